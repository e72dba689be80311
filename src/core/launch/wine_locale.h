// The locale Wine is started with: it reads Unix file names in its LC_CTYPE's character set,
// and a Windows program's ANSI code page follows that locale's language.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"

namespace kl {

// The locale variables of the launcher's environment (empty when unset), and whether the C
// library loads their LC_CTYPE with UTF-8 as the character set.
struct LocaleVariables {
    std::string all;    // LC_ALL
    std::string ctype;  // LC_CTYPE
    std::string lang;   // LANG
    bool loadsAsUtf8 = false;
};
LocaleVariables currentLocaleVariables();

// What Wine needs so that every Unix name reaches it as the UTF-8 it is: nothing where the
// locale is UTF-8 already, else a UTF-8 LC_CTYPE, the other categories kept as they were.
std::vector<EnvironmentChange> wineLocaleChanges(const LocaleVariables& locale);

// The characters an ANSI Windows program is handed unchanged: those of code page 1252 in
// the Western locales Wine maps to it (C and POSIX among them), only ASCII where another
// code page may be in force.
enum class AnsiCharacters { Windows1252, Ascii };
// For the locale Wine gets after the changes.
AnsiCharacters wineAnsiCharacters(const LocaleVariables& locale, const std::vector<EnvironmentChange>& changes);
// The languages (the part of a locale's name before '_', '.' or '@') whose ANSI code page is
// 1252 under Wine; C, POSIX and no locale at all are too.
std::span<const std::string_view> wineWesternLanguages();

}  // namespace kl
