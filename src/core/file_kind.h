// What a path names, asked of the file system once; and opening only what can be read
// without waiting.
#pragma once

#include <cstdint>
#include <string>

namespace kl {

enum class FileKind { Missing, Regular, Folder, Link, Pipe, Socket, Device };

// Everything the launcher asks of one stat.
struct FileStatus {
    FileKind kind = FileKind::Missing;
    std::uint64_t size = 0;
    unsigned permissions = 0;  // the mode's low twelve bits
    unsigned owner = 0;
    std::int64_t modified = 0;  // seconds since the epoch
};

enum class Links { Follow, Keep };
// What the path names: links followed, or (Keep) a link reported as a link.
FileStatus fileStatus(const std::string& path, Links links = Links::Follow);
inline FileKind fileKind(const std::string& path) { return fileStatus(path).kind; }
// A pipe, socket or device: nothing a reader may open and wait on.
inline bool isSpecial(FileKind kind) { return kind >= FileKind::Pipe; }

// The path with every link, "." and ".." resolved; empty when it does not lead anywhere.
std::string realPath(const std::string& path);

// A regular file with the run bit for this user.
bool isExecutableFile(const std::string& path);

// A descriptor for reading the path, or -1 when it is not a regular file or cannot be opened.
// It is opened without blocking and checked before anything is read, so a pipe or device
// given a file's name never makes the caller wait; reads block again as usual afterwards.
int openRegularFile(const std::string& path);

}  // namespace kl
