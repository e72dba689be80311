// How a Linux path reaches a Windows program under Wine as that exact file. Wine follows
// Windows' rules for names: it drops trailing blanks and dots, opens devices for names like
// "nul.vb", refuses characters Windows names cannot hold, and an ANSI program sees only the
// characters of its code page. What Wine does offer: the prefix \\?\ skips the trailing-dot
// and device-name rules, and every name that is not a legal 8.3 name has an ASCII short name
// that Wine resolves to it, in its own folder.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "wine_locale.h"

namespace kl {

// A Unix name as Wine reads it under a UTF-8 locale: UTF-16, with U+FFFD for each byte that
// does not begin a valid sequence.
std::u16string wineWideName(std::string_view unixName);

// Wine's rules for short names changed after Wine 8 for names with dots near their start
// ("a.b\"c.vb": A_B_~QR2.VB under Wine 8, AB_C~QR2.VB under Wine 10).
enum class ShortNameRule { Wine8, Wine10 };

// The DOS short name Wine gives a long name (upper case, such as "TRAI~5Y5.VB_"), or nothing
// for a legal 8.3 name, which has none, and for a name that is not ASCII where the C library
// has no C.UTF-8 to fold it with as Wine does.
std::optional<std::string> wineShortName(std::u16string_view longName, ShortNameRule rule = ShortNameRule::Wine8);

// Which rule the Wine in use follows, asked only where the rules differ for a name; nothing
// when that Wine's rule is not known.
using ShortNameRuleOfWine = std::function<std::optional<ShortNameRule>()>;

struct WindowsPath {
    enum class Refusal {
        None,
        NoWindowsName,    // a backslash or a control character: no Windows path holds it
        NoShortName,       // one is needed, and Wine has none it would look up
        SharedShortName,   // two names in one folder that Wine would both open by that name
        UnreadableFolder   // one is needed, and the folder cannot be read to find it
    };
    std::string path;  // what the Windows program is given
    Refusal refusal = Refusal::None;
    std::string name;   // with a refusal: the file or folder name concerned
    std::string other;  // with a shared short name: the other name in that folder; else its folder
};

// The Windows path of an absolute Linux path. A path whose every name a Windows program
// opens as it stands is "Z:" with each "/" turned into "\", as every Wine prefix maps Z: to
// the root. Otherwise the folder is taken as the kernel resolves it, each name that cannot
// pass as it stands is written as its short name, and the path is prefixed with \\?\ where a
// name still ends in a blank or a dot or is a device's.
WindowsPath windowsPathFor(const std::string& absolutePath, AnsiCharacters ansi,
                           const ShortNameRuleOfWine& ruleOfWine = {});

// The rule of a Wine by its version text ("wine-8.0 (Debian 8.0~repack-4)"): the old one up
// to wine-9.10, the new one from wine-9.11; nothing for a text that does not say which (a
// development build after 9.10, no version).
std::optional<ShortNameRule> shortNameRuleOfVersion(std::string_view version);

}  // namespace kl
