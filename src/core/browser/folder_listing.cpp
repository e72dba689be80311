// Folder reading with readdir and the matching rules of the file-type filter.
#include "folder_listing.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace kl {

namespace {

constexpr std::array<std::string_view, 4> kFileTypePatterns{"*.vb", "*.zip", "*.vb;*.zip", "*.*"};
constexpr std::array<std::string_view, 4> kFileTypeStatus{
    "Status: Now viewing Virtual Boy (*.vb) files in current folder",
    "Status: Now viewing compressed (*.zip) files in current folder",
    "Status: Now viewing Virtual Boy (*.vb) and compressed (*.zip) files in current folder",
    "Status: Now viewing all (*.*) files in current folder",
};

inline unsigned char fold(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + 32) : u;
}

// Length of the UTF-8 sequence starting at name[i], so "?" stands for one character.
std::size_t characterLength(std::string_view name, std::size_t i)
{
    std::size_t len = 1;
    while (i + len < name.size() && (static_cast<unsigned char>(name[i + len]) & 0xC0) == 0x80)
        ++len;
    return len;
}

bool onlyStarsFrom(std::string_view pattern, std::size_t p)
{
    for (; p < pattern.size(); ++p)
        if (pattern[p] != '*')
            return false;
    return true;
}

}  // namespace

std::string_view FileTypePattern(int index)
{
    if (index < 1 || index > 4)
        return {};
    return kFileTypePatterns[static_cast<std::size_t>(index - 1)];
}

std::string_view fileTypeStatus(int index)
{
    if (index < 1 || index > 4)
        return {};
    return kFileTypeStatus[static_cast<std::size_t>(index - 1)];
}

bool wildcardMatch(std::string_view pattern, std::string_view name)
{
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n += characterLength(name, n);
        } else if (p < pattern.size() && fold(pattern[p]) == fold(name[n])) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            starN += characterLength(name, starN);
            n = starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    if (p == pattern.size())
        return true;
    return pattern[p] == '.' && p + 1 < pattern.size() && onlyStarsFrom(pattern, p + 1);
}

PatternList::PatternList(std::string_view patterns)
{
    std::size_t pos = 0;
    for (;;) {
        const std::size_t end = patterns.find(';', pos);
        const std::string_view one = patterns.substr(pos, end == std::string_view::npos ? end : end - pos);
        if (!one.empty())
            m_patterns.emplace_back(one);
        if (end == std::string_view::npos)
            break;
        pos = end + 1;
    }
}

bool PatternList::matches(std::string_view name) const
{
    return std::any_of(m_patterns.begin(), m_patterns.end(),
                       [name](const std::string& p) { return wildcardMatch(p, name); });
}

bool lessIgnoringCase(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = fold(a[i]);
        const unsigned char y = fold(b[i]);
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

FolderListing listFolder(const std::string& folder, std::string_view patterns)
{
    FolderListing result;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        result.error = errno == ENOENT ? ListingError::Missing
                     : errno == ENOTDIR ? ListingError::NotAFolder
                                        : ListingError::Unreadable;
        return result;
    }
    const PatternList list(patterns);
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.empty() || name.front() == '.' || !list.matches(name))
            continue;
        if (entry->d_type == DT_DIR)
            continue;
        if (entry->d_type != DT_REG) {
            // Links and unknown types: list what leads to something that is not a folder.
            struct stat st {};
            if (::fstatat(fd, entry->d_name, &st, 0) != 0 || S_ISDIR(st.st_mode))
                continue;
        }
        result.names.emplace_back(name);
    }
    ::closedir(dir);
    std::sort(result.names.begin(), result.names.end(),
              [](const std::string& a, const std::string& b) { return lessIgnoringCase(a, b); });
    return result;
}

std::optional<std::uint64_t> fileSize(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

std::string sizeText(std::uint64_t bytes, std::string_view groupSeparator)
{
    const std::string digits = std::to_string(bytes);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += groupSeparator;
        out += digits[i];
    }
    out += " Bytes";
    return out;
}

}  // namespace kl
