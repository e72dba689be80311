// Folder reading with readdir and the matching rules of the file-type filter.
#include "folder_listing.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

#include "../file_kind.h"

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
            m_patterns.push_back(compile(one));
        if (end == std::string_view::npos)
            break;
        pos = end + 1;
    }
}

PatternList::Pattern PatternList::compile(std::string_view pattern)
{
    // "*", "*.*" and the like match every name, with or without an extension: stars, then at
    // most one dot followed by stars only.
    const std::size_t dot = pattern.find('.');
    const std::string_view afterDot = dot == std::string_view::npos ? std::string_view() : pattern.substr(dot + 1);
    if (pattern.substr(0, dot).find_first_not_of('*') == std::string_view::npos && pattern.front() == '*'
        && (dot == std::string_view::npos || (!afterDot.empty() && afterDot.find_first_not_of('*') == std::string_view::npos)))
        return {std::string(), Shape::AnyName};
    // "*.vb": a star, then a literal without wildcards, is a suffix without regard to case.
    const std::string_view rest = pattern.substr(1);
    if (pattern.front() == '*' && !rest.empty() && rest.find_first_of("*?") == std::string_view::npos) {
        std::string folded;
        for (char c : rest)
            folded += static_cast<char>(fold(c));
        return {folded, Shape::Suffix};
    }
    return {std::string(pattern), Shape::General};
}

bool PatternList::matches(std::string_view name) const
{
    return std::any_of(m_patterns.begin(), m_patterns.end(), [name](const Pattern& p) {
        switch (p.shape) {
        case Shape::AnyName: return true;
        case Shape::Suffix: {
            if (name.size() < p.text.size())
                return false;
            const std::string_view tail = name.substr(name.size() - p.text.size());
            return std::equal(tail.begin(), tail.end(), p.text.begin(),
                              [](char a, char b) { return fold(a) == static_cast<unsigned char>(b); });
        }
        case Shape::General: break;
        }
        return wildcardMatch(p.text, name);
    });
}

bool lessIgnoringCase(std::string_view a, std::string_view b)
{
    // Names of one collection share long prefixes; equal bytes are skipped eight at a time
    // and letters are folded only where the bytes differ. Sorting 100,000 names is mostly this.
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t i = 0;
    while (i < n) {
        while (i + 8 <= n) {
            std::uint64_t x = 0, y = 0;
            std::memcpy(&x, a.data() + i, 8);
            std::memcpy(&y, b.data() + i, 8);
            if (x != y)
                break;
            i += 8;
        }
        while (i < n && a[i] == b[i])
            ++i;
        if (i == n)
            break;
        const unsigned char x = fold(a[i]);
        const unsigned char y = fold(b[i]);
        if (x != y)
            return x < y;
        ++i;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

namespace {

// A name's folded bytes [depth, depth + 8) as a big-endian number, zero past its end: names
// hold no NUL, so comparing these numbers compares the folded bytes, shorter names first.
struct SortItem {
    std::uint64_t key;
    std::uint32_t index;
};

// The names are packed in a few blocks, so the keys are read from them at each level
// rather than cached: a cache costs more memory traffic than it saves.
class NameSorter {
public:
    explicit NameSorter(const NameList& names) : m_names(names) {}

    void sort(std::vector<SortItem>& items)
    {
        // Left uninitialised: every pass writes the part it reads.
        m_buffer.reset(new SortItem[items.size()]);
        sortGroup(items.data(), items.size(), 0);
    }

private:
    static constexpr std::size_t kSmallGroup = 48;

    // Eight bytes at once where the name is long enough: A-Z folded in parallel, then read
    // as a big-endian number.
    static std::uint64_t foldEight(const char* bytes)
    {
        constexpr std::uint64_t ones = 0x0101010101010101ULL;
        std::uint64_t x;
        std::memcpy(&x, bytes, 8);
        const std::uint64_t low7 = x & (0x7F * ones);
        const std::uint64_t aboveZ = low7 + (0x7F - 'Z') * ones;
        const std::uint64_t fromA = low7 + (0x80 - 'A') * ones;
        const std::uint64_t upper = ~x & (fromA ^ aboveZ) & (0x80 * ones);
        x |= upper >> 2;
        std::uint64_t key = 0;
        for (int i = 0; i < 8; ++i)
            key = (key << 8) | ((x >> (8 * i)) & 0xFF);
        return key;
    }

    std::uint64_t keyAt(std::uint32_t index, std::size_t depth) const { return computeKey(name(index), depth); }

    std::string_view name(std::uint32_t index) const { return m_names[index]; }

    static std::uint64_t computeKey(std::string_view name, std::size_t depth)
    {
        if (depth + 8 <= name.size())
            return foldEight(name.data() + depth);
        std::uint64_t key = 0;
        for (std::size_t i = 0; i < 8; ++i) {
            const std::size_t at = depth + i;
            key = (key << 8) | (at < name.size() ? fold(name[at]) : 0u);
        }
        return key;
    }

    bool less(const SortItem& a, const SortItem& b) const
    {
        return lessIgnoringCase(name(a.index), name(b.index));
    }

    // Most significant byte first: names of a collection differ in few bytes, so most of
    // the eight are never looked at.
    void radixByKey(SortItem* items, std::size_t count, int shift = 56)
    {
        if (count < 32) {
            for (std::size_t i = 1; i < count; ++i)
                for (std::size_t j = i; j > 0 && items[j].key < items[j - 1].key; --j)
                    std::swap(items[j], items[j - 1]);
            return;
        }
        for (;; shift -= 8) {
            std::size_t counts[256] = {};
            for (std::size_t i = 0; i < count; ++i)
                ++counts[(items[i].key >> shift) & 0xFF];
            if (std::find(std::begin(counts), std::end(counts), count) != std::end(counts)) {
                if (shift == 0)
                    return;  // all keys equal
                continue;
            }
            std::size_t starts[256];
            std::size_t next = 0;
            for (int b = 0; b < 256; ++b) {
                starts[b] = next;
                next += counts[b];
            }
            SortItem* const buffer = m_buffer.get();
            std::size_t fill[256];
            std::copy(std::begin(starts), std::end(starts), fill);
            for (std::size_t i = 0; i < count; ++i)
                buffer[fill[(items[i].key >> shift) & 0xFF]++] = items[i];
            std::copy(buffer, buffer + count, items);
            if (shift > 0)
                for (int b = 0; b < 256; ++b)
                    if (counts[b] > 1)
                        radixByKey(items + starts[b], counts[b], shift - 8);
            return;
        }
    }

    void sortGroup(SortItem* items, std::size_t count, std::size_t depth)
    {
        if (count < 2)
            return;
        if (count <= kSmallGroup) {
            std::sort(items, items + count, [this](const SortItem& a, const SortItem& b) { return less(a, b); });
            return;
        }
        for (std::size_t i = 0; i < count; ++i)
            items[i].key = keyAt(items[i].index, depth);
        radixByKey(items, count);
        for (std::size_t start = 0; start < count;) {
            std::size_t end = start + 1;
            while (end < count && items[end].key == items[start].key)
                ++end;
            if (end - start > 1) {
                // Names that end within these 8 bytes are equal but for case: they come first,
                // in byte order; the others go on to the next 8 bytes.
                SortItem* const run = items + start;
                SortItem* const rest = std::partition(run, items + end, [&](const SortItem& item) {
                    return name(item.index).size() <= depth + 8;
                });
                std::sort(run, rest, [this](const SortItem& a, const SortItem& b) {
                    return name(a.index) < name(b.index);
                });
                sortGroup(rest, static_cast<std::size_t>(items + end - rest), depth + 8);
            }
            start = end;
        }
    }

    const NameList& m_names;
    std::unique_ptr<SortItem[]> m_buffer;
};

}  // namespace

void NameList::reorder(const std::vector<std::uint32_t>& order)
{
    std::vector<Span> spans;
    spans.reserve(order.size());
    for (std::uint32_t from : order)
        spans.push_back(m_spans[from]);
    m_spans = std::move(spans);
}

void sortIgnoringCase(NameList& names)
{
    if (names.size() < 2)
        return;
    if (names.size() > UINT32_MAX) {  // beyond the sort items' index
        std::vector<std::size_t> wide(names.size());
        for (std::size_t i = 0; i < wide.size(); ++i)
            wide[i] = i;
        std::sort(wide.begin(), wide.end(), [&](std::size_t a, std::size_t b) { return lessIgnoringCase(names[a], names[b]); });
        NameList sorted;
        for (std::size_t i : wide)
            sorted.push_back(names[i]);
        names = std::move(sorted);
        return;
    }
    std::vector<SortItem> items;
    items.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        items.push_back({0, static_cast<std::uint32_t>(i)});
    NameSorter(names).sort(items);
    std::vector<std::uint32_t> order(items.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        order[i] = items[i].index;
    names.reorder(order);
}

namespace {
ListingError openError(int error)
{
    return error == ENOENT ? ListingError::Missing : error == ENOTDIR ? ListingError::NotAFolder : ListingError::Unreadable;
}
}  // namespace

ListingError folderError(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return openError(errno);
    ::closedir(dir);
    return ListingError::None;
}

FolderListing listFolder(const std::string& folder, std::string_view patterns)
{
    FolderListing result;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        result.error = openError(errno);
        return result;
    }
    const PatternList list(patterns);
    const int fd = ::dirfd(dir);
    // The end of a folder and a failed read both give no entry; only errno tells them apart,
    // and a list cut short must not pass for the whole folder.
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            error = errno;
            break;
        }
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
        result.names.push_back(name);
    }
    if (error != 0) {
        ::closedir(dir);
        return FolderListing{ListingError::Unreadable, NameList()};
    }
    ::closedir(dir);
    sortIgnoringCase(result.names);
    return result;
}

std::optional<std::uint64_t> fileSize(const std::string& path)
{
    const FileStatus status = fileStatus(path);
    if (status.kind == FileKind::Missing || status.kind == FileKind::Folder)
        return std::nullopt;
    return status.size;
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
