// The ROM folder's listing: file-type patterns, wildcard matching, sorting and size text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "name_list.h"

namespace kl {

// The pattern that empties the list; the list counts as hidden exactly while it has it.
inline constexpr std::string_view HideAllPattern = "*._dontdisplayfiles";

// The pattern of file-type item 1 to 4 ("*.vb", "*.zip", "*.vb;*.zip", "*.*"); empty otherwise.
std::string_view FileTypePattern(int index);
// The status text written when file-type item 1 to 4 is chosen while the list is shown.
std::string_view fileTypeStatus(int index);

// "*" stands for any run of characters and "?" for one; letters match without regard to
// case. A trailing ".*" also matches a name without an extension, so "*.*" lists every file.
bool wildcardMatch(std::string_view pattern, std::string_view name);

// A ";"-separated list of patterns, compiled once for a whole folder.
class PatternList {
public:
    explicit PatternList(std::string_view patterns);
    bool matches(std::string_view name) const;

private:
    // Folders hold up to 100,000 names, so the usual shapes skip the general matcher.
    enum class Shape { AnyName, Suffix, General };
    struct Pattern {
        std::string text;  // for Suffix: the folded literal after the star
        Shape shape;
    };
    std::vector<Pattern> m_patterns;
    static Pattern compile(std::string_view pattern);
};

enum class ListingError { None, Missing, NotAFolder, Unreadable };

struct FolderListing {
    ListingError error = ListingError::None;
    NameList names;  // sorted by name without regard to case
};

// Whether the folder can be listed, without reading it.
ListingError folderError(const std::string& folder);

// Names of the files (not folders, not hidden dot-files) in the folder that match the
// pattern list. The folder is used as given, trailing blanks included.
FolderListing listFolder(const std::string& folder, std::string_view patterns);

// Orders names without regard to letter case, byte order breaking ties.
bool lessIgnoringCase(std::string_view a, std::string_view b);

// Sorts into the order of lessIgnoringCase, much faster than comparing whole names when a
// folder holds many names with long common prefixes.
void sortIgnoringCase(NameList& names);

// The size of a file in bytes, or nothing when it cannot be read.
std::optional<std::uint64_t> fileSize(const std::string& path);

// "#,##0" with the given group separator, then " Bytes".
std::string sizeText(std::uint64_t bytes, std::string_view groupSeparator);

}  // namespace kl
