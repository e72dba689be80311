// GUI.ini loading: any bytes load without a fault, and the saved form loads back to itself.
#include "config/gui_settings.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::MemoryFile file(data, size);
    kl::GuiSettings loaded;
    kl::loadGuiFile(file.path(), loaded);
    const std::string saved = kl::formatGuiFile(loaded);
    fuzz::MemoryFile again(reinterpret_cast<const std::uint8_t*>(saved.data()), saved.size());
    kl::GuiSettings reloaded;
    fuzz::require(kl::loadGuiFile(again.path(), reloaded));
    fuzz::require(reloaded == loaded);
    kl::filePatternFor(loaded);
    kl::themeFor(loaded);
    return 0;
}
