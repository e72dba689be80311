// Renaming and deleting ROM files with the safety the file list promises its user.
#pragma once

#include <string>

namespace kl {

// Never replaces an existing file, also when another program creates the new name at the
// same moment (an atomic no-replace rename where the file system offers one).
bool renameFile(const std::string& from, const std::string& to);

// Refuses a write-protected file (no write permission for its owner), as the classic
// read-only attribute does; deletes it outright otherwise.
bool deleteFile(const std::string& path);

}  // namespace kl
