// Wine's reading of a Unix name and the short name it gives it: whatever the bytes, the short
// name is a legal DOS name Wine would look up (ASCII, upper case, at most 8.3, with its "~"),
// and the Windows path of a file with that name, in a folder that does not exist, is either
// refused or a drive path Wine reads, holding no control character.
#include <string>

#include "fuzz_support.h"
#include "launch/wine_names.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string name(reinterpret_cast<const char*>(data), size);
    const std::u16string wide = kl::wineWideName(name);
    fuzz::require(wide.size() <= name.size());
    if (const auto alias = kl::wineShortName(wide)) {
        fuzz::require(!alias->empty() && alias->size() <= 12 && alias->find('~') != std::string::npos);
        const std::size_t dot = alias->find('.');
        fuzz::require(dot == std::string::npos || (dot <= 8 && alias->size() - dot <= 4));
        for (const char c : *alias)
            fuzz::require(static_cast<unsigned char>(c) < 0x80 && !(c >= 'a' && c <= 'z'));
    }
    if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos)
        return 0;
    for (const auto ansi : {kl::AnsiCharacters::Windows1252, kl::AnsiCharacters::Ascii}) {
        const kl::WindowsPath path = kl::windowsPathFor("/nonexistent-kl/" + name, ansi);
        if (path.refusal != kl::WindowsPath::Refusal::None)
            continue;
        fuzz::require(path.path.rfind("Z:\\", 0) == 0 || path.path.rfind("\\\\?\\Z:\\", 0) == 0);
    }
    return 0;
}
