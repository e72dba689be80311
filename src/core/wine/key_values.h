// Valve's text KeyValues, as Steam writes steamapps/libraryfolders.vdf: only what finding the
// Steam libraries needs, read within bounds, since the file is Steam's and may be damaged.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kl {

// More than any Steam writes; a larger file is read this far, the rest counting as damage.
inline constexpr std::size_t kMaxKeyValuesSize = 1 << 20;

// The library folders a libraryfolders.vdf lists, in its order: the "path" of each numbered
// entry of "libraryfolders" (Steam before 2021: the numbered key's own value), keys matched
// without regard to case, as Steam reads them. Quoted tokens take \\ \" \n \t escapes; //
// starts a comment. Only entries read whole count: a damaged or truncated file gives those
// before the damage, and nothing of the entry it is in. Relative paths are no libraries.
std::vector<std::string> steamLibraryFolders(std::string_view text);

}  // namespace kl
