// What a path names, asked of the file system once; and opening only what can be read
// without waiting.
#pragma once

#include <string>

namespace kl {

enum class FileKind { Missing, Regular, Folder, Other };  // Other: a pipe, socket or device

// What the path names, links followed.
FileKind fileKind(const std::string& path);

// A regular file with the run bit for this user.
bool isExecutableFile(const std::string& path);

// A descriptor for reading the path, or -1 when it is not a regular file or cannot be opened.
// It is opened without blocking and checked before anything is read, so a pipe or device
// given a file's name never makes the caller wait; reads block again as usual afterwards.
int openRegularFile(const std::string& path);

}  // namespace kl
