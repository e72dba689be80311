// Settings.ini loading: any bytes load without a fault, and what a load leaves is a record
// whose saved form loads back to itself.
#include "config/settings_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::MemoryFile file(data, size);
    kl::EmulatorSettings loaded;
    kl::resetEmulatorDefaults(loaded);
    kl::loadSettingsFile(file.path(), loaded);
    const std::string saved = kl::formatSettingsFile(loaded);
    fuzz::MemoryFile again(reinterpret_cast<const std::uint8_t*>(saved.data()), saved.size());
    kl::EmulatorSettings reloaded;
    kl::resetEmulatorDefaults(reloaded);
    fuzz::require(kl::loadSettingsFile(again.path(), reloaded));
    fuzz::require(kl::formatSettingsFile(reloaded) == saved);
    return 0;
}
