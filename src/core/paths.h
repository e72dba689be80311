// Path styles and the joining rules that every path the launcher composes follows.
#pragma once

#include <string>
#include <string_view>

namespace kl {

// A path style is all the launcher needs to know about a platform's paths: the folder
// separator and the length of the shortest root ("C:\" is 3, "/" is 1).
struct PathStyle {
    char separator;
    std::size_t rootLength;
};

inline constexpr PathStyle kWindowsStyle{'\\', 3};
inline constexpr PathStyle kPosixStyle{'/', 1};
inline constexpr PathStyle kNativeStyle = kPosixStyle;

// Removes trailing blanks (code 32 only, like the classic RTrim).
std::string trimTrailingBlanks(std::string_view text);
// Removes leading blanks (code 32 only).
std::string trimLeadingBlanks(std::string_view text);
// The text without its leading and trailing blanks (code 32 only).
std::string_view trimBlanks(std::string_view text);

// Folder and name joined with one separator when the folder is longer than a root,
// otherwise concatenated (a root already ends in its separator).
std::string joinPath(std::string_view folder, std::string_view name, PathStyle style);

// Folder, separator and name, the separator always inserted. A doubled separator after
// a root is accepted by both platforms.
std::string joinAlways(std::string_view folder, std::string_view name, PathStyle style);

struct PathParts {
    std::string folder;  // "." for a bare name, "/" for a name in the root
    std::string name;
};
// A path's folder and last name, split at its last separator.
PathParts splitPath(std::string_view path);

}  // namespace kl
