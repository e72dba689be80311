// A game's own options file: any bytes load or are refused without a fault; what loads keeps
// the window's paths and saves to a file that loads back to itself.
#include "config/game_options.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::MemoryFile file(data, size);
    kl::EmulatorSettings window;
    window.setText(kl::Field::txtEmuPath, "/emu");
    window.setText(kl::Field::txtRomPath, "/roms");
    const auto loaded = kl::loadGameOptions(file.path(), window);
    if (!loaded)
        return 0;
    fuzz::require(loaded->text(kl::Field::txtEmuPath) == "/emu" && loaded->text(kl::Field::txtRomPath) == "/roms");
    const std::string saved = kl::formatGameFile(*loaded);
    fuzz::MemoryFile again(reinterpret_cast<const std::uint8_t*>(saved.data()), saved.size());
    const auto reloaded = kl::loadGameOptions(again.path(), window);
    fuzz::require(reloaded && kl::formatGameFile(*reloaded) == saved);
    return 0;
}
