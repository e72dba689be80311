// Which locale Wine is started with, and what its ANSI code page carries.
#include "wine_locale.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>

#include <algorithm>
#include <array>
#include <span>
#include <string_view>

namespace kl {

namespace {

constexpr std::string_view kUtf8Locale = "C.UTF-8";  // every Debian system has it

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The categories LC_ALL stands for, LC_CTYPE apart.
constexpr std::array<const char*, 11> kOtherCategories{
    "LC_COLLATE", "LC_MESSAGES", "LC_MONETARY", "LC_NUMERIC", "LC_TIME",        "LC_PAPER",
    "LC_NAME",    "LC_ADDRESS",  "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION"};

}  // namespace

LocaleVariables currentLocaleVariables()
{
    LocaleVariables locale{variable("LC_ALL"), variable("LC_CTYPE"), variable("LANG")};
    // Wine takes the character set of names from LC_CTYPE as the environment sets it, and
    // falls back to C, which reads names as ASCII, where that does not load; newlocale judges
    // the environment the same way without touching the launcher's own locale.
    if (locale_t loaded = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr))) {
        locale.loadsAsUtf8 = std::strcmp(::nl_langinfo_l(CODESET, loaded), "UTF-8") == 0;
        ::freelocale(loaded);
    }
    return locale;
}

std::vector<EnvironmentChange> wineLocaleChanges(const LocaleVariables& locale)
{
    if (locale.loadsAsUtf8)
        return {};
    const std::string utf8(kUtf8Locale);
    if (locale.all.empty())
        return {{"LC_CTYPE", utf8}};
    // LC_ALL overrides LC_CTYPE, so it is taken apart: every other category keeps its value.
    // A value that does not load gave Wine plain C anyway, and C.UTF-8 loses nothing of it.
    locale_t loaded = ::newlocale(LC_ALL_MASK, locale.all.c_str(), static_cast<locale_t>(nullptr));
    if (!loaded)
        return {{"LC_ALL", utf8}};
    ::freelocale(loaded);
    std::vector<EnvironmentChange> changes{{"LC_ALL", std::nullopt}, {"LC_CTYPE", utf8}};
    for (const char* category : kOtherCategories)
        changes.push_back({category, locale.all});
    return changes;
}

AnsiCharacters wineAnsiCharacters(const LocaleVariables& locale, const std::vector<EnvironmentChange>& changes)
{
    std::string all = locale.all, ctype = locale.ctype;
    for (const EnvironmentChange& change : changes) {
        if (change.name == "LC_ALL")
            all = change.value.value_or("");
        else if (change.name == "LC_CTYPE")
            ctype = change.value.value_or("");
    }
    const std::string& name = !all.empty() ? all : !ctype.empty() ? ctype : locale.lang;
    const std::string_view language = std::string_view(name).substr(0, name.find_first_of("_.@"));
    const auto western = wineWesternLanguages();
    return language.empty() || language == "C" || language == "POSIX"
                   || std::find(western.begin(), western.end(), language) != western.end()
               ? AnsiCharacters::Windows1252
               : AnsiCharacters::Ascii;
}

std::span<const std::string_view> wineWesternLanguages()
{
    // What Wine's own locale data gives code page 1252 (LOCALE_IDEFAULTANSICODEPAGE), each
    // checked with real Wine: not a map of countries, whose languages may differ (Albanian
    // is 1250). A language Wine does not know falls back to 1252 today, but would change
    // with the Wine that learns it, so none of those is here.
    static constexpr std::string_view kWestern[] = {"af", "ca", "da", "de", "en", "es", "eu", "fi", "fo", "fr", "ga",
                                                    "gl", "id", "is", "it", "ms", "nb", "nl", "nn", "pt", "sv", "sw"};
    return kWestern;
}

}  // namespace kl
