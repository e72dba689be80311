// Wine's own rules for names, as its NT layer applies them on Linux, so that the path a
// Windows emulator is handed opens the listed file and nothing else.
#include "wine_names.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "../paths.h"

namespace kl {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Wine's UTF-8 decoder (decode_utf8_char), step for step: the sequence after `lead`, which
// `next` points past; on a failure it has read the lead and the continuation bytes seen
// before it, and a sequence cut short by the end of the name swallows the rest of it. The
// strict rules of the C library would give another count of U+FFFD, and another short name.
char32_t decodeAsWine(unsigned char lead, std::string_view text, std::size_t& next)
{
    const unsigned length = lead >= 0xC2 && lead <= 0xDF ? 1 : lead >= 0xE0 && lead <= 0xEF ? 2
                            : lead >= 0xF0 && lead <= 0xF4                                ? 3
                                                                                           : 0;
    static constexpr unsigned char kMask[4] = {0x7f, 0x1f, 0x0f, 0x07};
    char32_t c = lead & kMask[length];
    const std::size_t end = next + length;
    if (end > text.size()) {
        next = text.size();
        return kInvalid;
    }
    const auto continuation = [&](std::size_t at) { return static_cast<unsigned char>(text[at]) ^ 0x80u; };
    unsigned bits = 0;
    switch (length) {
    case 3:
        if ((bits = continuation(end - 3)) >= 0x40)
            break;
        c = (c << 6) | bits;
        ++next;
        if (c < 0x10)
            break;
        [[fallthrough]];
    case 2:
        if ((bits = continuation(end - 2)) >= 0x40)
            break;
        c = (c << 6) | bits;
        if (c >= (0x110000 >> 6))
            break;
        ++next;
        if (c < 0x20 || (c >= (0xd800 >> 6) && c <= (0xdfff >> 6)))
            break;
        [[fallthrough]];
    case 1:
        if ((bits = continuation(end - 1)) >= 0x40)
            break;
        c = (c << 6) | bits;
        ++next;
        if (c < 0x80)
            break;
        return c;
    default: break;
    }
    return kInvalid;
}

bool isAsciiIn(char16_t c, std::u16string_view set) { return c < 0x80 && set.find(c) != std::u16string_view::npos; }

// Unicode's case mappings, from the C library's C.UTF-8 (checked once). A system without that
// locale cannot fold a name as Wine does, and a hash folded otherwise names another file.
locale_t unicodeLocale()
{
    static const locale_t unicode = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return unicode;
}

bool foldsLikeWine(std::u16string_view name)
{
    return unicodeLocale() || std::all_of(name.begin(), name.end(), [](char16_t c) { return c < 0x80; });
}

// Wine's case folding for the short name's hash: Unicode's simple mappings of the BMP, kept
// only where lower and upper case map back to each other (so not for U+0130 or U+212A).
char16_t toLower(char16_t c)
{
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? static_cast<char16_t>(c + 32) : c;
    if (c >= 0xD800 && c <= 0xDFFF)
        return c;
    const locale_t unicode = unicodeLocale();
    const wint_t lower = ::towlower_l(c, unicode);
    return lower <= 0xFFFF && ::towupper_l(lower, unicode) == c ? static_cast<char16_t>(lower) : c;
}
char toUpperAscii(char16_t c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c); }

// What a DOS name cannot hold; the short name has '_' in its place.
bool isInvalidDosChar(char16_t c) { return c > 0x7f || isAsciiIn(c, u"*?<>|\"+=,;[] ~."); }

bool isLegal8dot3(std::u16string_view name)
{
    if (name.empty() || name.size() > 12)
        return false;
    if (name[0] == '.')
        return name == u"." || name == u"..";
    std::size_t dot = std::u16string_view::npos;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c > 0x7f || isAsciiIn(c, u"*?<>|\"+=,;[] \xe5:/\\"))
            return false;
        if (c == '.') {
            if (dot != std::u16string_view::npos)
                return false;
            dot = i;
        }
    }
    if (dot == std::u16string_view::npos)
        return name.size() <= 8;
    return dot <= 8 && name.size() - dot > 1 && name.size() - dot < 5;
}

// Characters Wine refuses in any name of a path it is asked to open (control characters
// apart, which no Windows path can carry).
bool isInvalidNtChar(char16_t c) { return isAsciiIn(c, u"*?<>|\""); }

// The characters of code page 1252 past ASCII: Latin-1 and its 27 additions.
bool isWindows1252(char16_t c)
{
    if (c < 0x80)
        return c >= 0x20 && c != 0x7f;
    if (c >= 0xA0 && c <= 0xFF)
        return true;
    static constexpr std::u16string_view kAdditions = u"\u20ac\u201a\u0192\u201e\u2026\u2020\u2021\u02c6\u2030\u0160"
                                                      u"\u2039\u0152\u017d\u2018\u2019\u201c\u201d\u2022\u2013\u2014"
                                                      u"\u02dc\u2122\u0161\u203a\u0153\u017e\u0178";
    return kAdditions.find(c) != std::u16string_view::npos;
}

// Wine's RtlIsDosDeviceName_U: the part before any extension or stream, without trailing
// blanks, is a device's name.
bool isDeviceName(std::u16string_view name)
{
    std::u16string_view stem = name.substr(0, name.find_first_of(u".:"));
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    std::string upper;
    for (const char16_t c : stem)
        upper += c < 0x80 ? toUpperAscii(c) : '?';
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" || upper == "CONIN$" || upper == "CONOUT$")
        return true;
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '1'
           && upper[3] <= '9';
}

enum class NameKind {
    AsItStands,
    Verbatim,   // a trailing blank or dot: as it stands behind \\?\; or "." and "..", to resolve
    ShortName,  // only its short name reaches the program
    Nameless    // no Windows path can hold it
};

NameKind kindOf(std::string_view unixName, AnsiCharacters ansi)
{
    // Windows takes "." and ".." by the text, where the kernel follows links: the kernel's own
    // path is the one to give.
    if (unixName.empty() || unixName == "." || unixName == "..")
        return NameKind::Verbatim;
    const std::u16string wide = wineWideName(unixName);
    for (const char16_t c : wide)
        if (c == '\\' || c < 0x20)
            return NameKind::Nameless;
    for (const char16_t c : wide)
        if (isInvalidNtChar(c) || !(ansi == AnsiCharacters::Windows1252 ? isWindows1252(c) : c < 0x80))
            return NameKind::ShortName;
    if (wide.back() == ' ' || wide.back() == '.')
        return NameKind::Verbatim;
    return NameKind::AsItStands;
}

std::vector<std::string> namesOf(std::string_view path)
{
    std::vector<std::string> names;
    std::size_t start = 1;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        names.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

std::string folderOf(const std::vector<std::string>& names, std::size_t count)
{
    std::string folder = "/";
    for (std::size_t i = 0; i < count; ++i)
        folder += (i ? "/" : "") + names[i];
    return folder;
}

bool sameAscii(std::u16string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] >= 0x80 || toUpperAscii(a[i]) != toUpperAscii(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The short name of `name` in `folder`, unless another entry there answers to it too: Wine
// compares each entry's long name and short name, without regard to case, in whatever order
// the folder lists them. Where the rules of Wine 8 and Wine 10 give the name other short
// names, the Wine in use is asked which it follows; where they agree, the other entries are
// checked under both.
WindowsPath shortNameIn(const std::string& folder, const std::string& name, const ShortNameRuleOfWine& ruleOfWine)
{
    const std::u16string wide = wineWideName(name);
    const std::optional<std::string> alias = wineShortName(wide, ShortNameRule::Wine8);
    std::vector<ShortNameRule> rules{ShortNameRule::Wine8, ShortNameRule::Wine10};
    if (alias != wineShortName(wide, ShortNameRule::Wine10)) {
        const std::optional<ShortNameRule> rule = ruleOfWine ? ruleOfWine() : std::nullopt;
        if (!rule)
            return {{}, WindowsPath::Refusal::NoShortName, name, {}};
        rules = {*rule};
    }
    const std::optional<std::string> chosen = wineShortName(wide, rules.front());
    // Wine looks a short name up only when it is a legal 8.3 name itself, which one holding
    // a ':' (copied from the long name) is not.
    if (!chosen || !isLegal8dot3(std::u16string(chosen->begin(), chosen->end())))
        return {{}, WindowsPath::Refusal::NoShortName, name, {}};
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir && (errno == ENOENT || errno == ENOTDIR))
        return {name, WindowsPath::Refusal::None, {}, {}};  // nothing there to open, the wrong file least of all
    if (!dir)
        return {{}, WindowsPath::Refusal::UnreadableFolder, name, folder};
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view other = entry->d_name;
        if (other == name || other == "." || other == "..")
            continue;
        const std::u16string otherWide = wineWideName(other);
        if (!foldsLikeWine(otherWide))
            return {{}, WindowsPath::Refusal::NoShortName, name, {}};  // it may share the short name
        bool shared = sameAscii(otherWide, *chosen);
        for (const ShortNameRule rule : rules)
            shared = shared || wineShortName(otherWide, rule) == chosen;
        if (shared)
            return {{}, WindowsPath::Refusal::SharedShortName, name, std::string(other)};
    }
    return {*chosen, WindowsPath::Refusal::None, {}, {}};
}

}  // namespace

std::u16string wineWideName(std::string_view unixName)
{
    std::u16string wide;
    wide.reserve(unixName.size());
    std::size_t i = 0;
    while (i < unixName.size()) {
        const auto lead = static_cast<unsigned char>(unixName[i++]);
        if (lead < 0x80) {
            wide += lead;
            continue;
        }
        const char32_t c = decodeAsWine(lead, unixName, i);
        if (c == kInvalid)
            wide += kReplacement;
        else if (c >= 0x10000) {
            wide += static_cast<char16_t>(0xD800 | ((c - 0x10000) >> 10));
            wide += static_cast<char16_t>(0xDC00 | ((c - 0x10000) & 0x3FF));
        } else
            wide += static_cast<char16_t>(c);
    }
    return wide;
}

std::optional<std::string> wineShortName(std::u16string_view name, ShortNameRule rule)
{
    if (name.empty() || isLegal8dot3(name) || !foldsLikeWine(name))
        return std::nullopt;
    // The hash is Wine's (hash_short_file_name), over the name folded to lower case.
    std::uint16_t hash = 0xbeef;
    for (std::size_t i = 0; i + 1 < name.size(); ++i)
        hash = static_cast<std::uint16_t>((hash << 3) ^ (hash >> 5) ^ toLower(name[i]) ^ (toLower(name[i + 1]) << 8));
    hash = static_cast<std::uint16_t>((hash << 3) ^ (hash >> 5) ^ toLower(name.back()));

    // The extension begins at the last dot, not the first character nor the last; Wine 10
    // also passes over leading dots, and leaves dots out of the first four characters.
    const bool wine10 = rule == ShortNameRule::Wine10;
    std::size_t start = 0;
    while (wine10 && start < name.size() && name[start] == '.')
        ++start;
    std::size_t extension = std::u16string_view::npos;
    for (std::size_t i = start + 1; i + 1 < name.size(); ++i)
        if (name[i] == '.')
            extension = i;
    const auto dosChar = [](char16_t c) { return isInvalidDosChar(c) ? '_' : toUpperAscii(c); };
    std::string alias;
    for (std::size_t i = 0; alias.size() < 4 && i < name.size() && i != extension; ++i)
        if (!(wine10 && name[i] == '.'))
            alias += dosChar(name[i]);
    alias.append(5 - alias.size(), '~');
    static constexpr char kHashChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    alias += kHashChars[(hash >> 10) & 0x1f];
    alias += kHashChars[(hash >> 5) & 0x1f];
    alias += kHashChars[hash & 0x1f];
    if (extension != std::u16string_view::npos) {
        alias += '.';
        for (std::size_t i = extension + 1; i < name.size() && i <= extension + 3; ++i)
            alias += dosChar(name[i]);
    }
    return alias;
}

std::optional<ShortNameRule> shortNameRuleOfVersion(std::string_view version)
{
    const std::size_t at = version.find("wine-");
    if (at == std::string_view::npos)
        return std::nullopt;
    std::size_t i = at + 5;
    const auto number = [&]() -> std::optional<int> {
        int value = 0;
        const std::size_t start = i;
        for (; i < version.size() && version[i] >= '0' && version[i] <= '9' && value < 1000; ++i)
            value = value * 10 + (version[i] - '0');
        return i == start ? std::nullopt : std::optional(value);
    };
    const auto major = number();
    if (!major)
        return std::nullopt;
    std::optional<int> minor;
    if (i < version.size() && version[i] == '.') {
        ++i;
        minor = number();
    }
    if (!minor && *major == 9)
        return std::nullopt;
    // The rule changed in wine-9.11 ("ntdll: Ignore leading dots in hash_short_file_name()");
    // it is the same from wine-8.0 to 9.10, and from 9.11 to 10.0 and later.
    const int release = *major * 1000 + minor.value_or(0);
    if (release == 9010) {
        // A development build counted from 9.10 ("wine-9.10-123-gabcdef0") may hold the
        // change or not.
        const std::string_view rest = version.substr(i);
        if (rest.size() > 1 && rest[0] == '-' && rest[1] >= '0' && rest[1] <= '9')
            return std::nullopt;
    }
    return release <= 9010 ? ShortNameRule::Wine8 : ShortNameRule::Wine10;
}

WindowsPath windowsPathFor(const std::string& absolutePath, AnsiCharacters ansi, const ShortNameRuleOfWine& ruleOfWine)
{
    const auto asItStands = [ansi](const std::vector<std::string>& names) {
        for (const std::string& name : names)
            if (kindOf(name, ansi) != NameKind::AsItStands)
                return false;
        return !names.empty() && !isDeviceName(wineWideName(names.back()));
    };
    std::vector<std::string> names = namesOf(absolutePath);
    if (asItStands(names))
        return {wineDrivePath(absolutePath), WindowsPath::Refusal::None, {}, {}};

    // The names Wine will walk are the kernel's: a "." or ".." of the text would otherwise be
    // read by Windows' rules, or not at all behind \\?\.
    const PathParts parts = splitPath(absolutePath);
    if (char* real = ::realpath(parts.folder.c_str(), nullptr)) {
        names = namesOf(real);
        if (names.size() == 1 && names[0].empty())
            names.clear();  // the root
        std::free(real);
        names.push_back(parts.name);
        if (asItStands(names))
            return {wineDrivePath(folderOf(names, names.size())), WindowsPath::Refusal::None, {}, {}};
    }
    WindowsPath result;
    bool verbatim = false;
    std::string written;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string name = names[i];
        switch (kindOf(name, ansi)) {
        case NameKind::Nameless: return {{}, WindowsPath::Refusal::NoWindowsName, name, {}};
        case NameKind::ShortName: {
            WindowsPath shortName = shortNameIn(folderOf(names, i), name, ruleOfWine);
            if (shortName.refusal != WindowsPath::Refusal::None)
                return shortName;
            name = shortName.path;
            break;
        }
        case NameKind::Verbatim: verbatim = true; break;
        case NameKind::AsItStands: break;
        }
        written += '\\';
        written += name;
    }
    if (!names.empty() && isDeviceName(wineWideName(names.back())))
        verbatim = true;
    result.path = (verbatim ? "\\\\?\\Z:" : "Z:") + written;
    return result;
}

}  // namespace kl
