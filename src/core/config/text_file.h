// Line-oriented reading and all-or-nothing writing of the two configuration files.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kl {

// Reads lines that end at CR, at CR LF or at the end of the file; an LF alone belongs to
// the line. Reads lazily, so a huge file costs only the lines asked for.
class LineReader {
public:
    explicit LineReader(const std::string& path);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool isOpen() const { return m_file != nullptr; }
    // The next line, or nothing at the end of the file, on a read error, or when the line
    // is longer than the limit (a hostile file must not fill the memory or the window).
    std::optional<std::string> next(std::size_t limit = static_cast<std::size_t>(-1));

private:
    int get();
    int peek();

    std::FILE* m_file = nullptr;
    char m_buffer[8192];
    std::size_t m_pos = 0;
    std::size_t m_len = 0;
    bool m_failed = false;
};

// The file a path names once every symbolic link on it is followed, a last link whose
// target is missing included: a save or a lock through a link reaches what it names, and
// the link stays a link.
std::string followLinks(const std::string& path);

// Writes the whole content to a temporary file beside the target and renames it over the
// target once it is complete and flushed, so a failed save leaves the old file whole. The
// temporary files of saves that were killed part-way are removed by the next save.
bool writeFileAtomically(const std::string& path, std::string_view content);

// An exclusive lock on a file that each change replaces as a whole (read, change, write
// atomically): the lock is on the file itself, created when missing, so a process that waited
// on a file that was replaced meanwhile takes the lock on the new one instead.
class FileLock {
public:
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// A file with something in it (a regular file of at least one byte): one that start-up could
// not use is then damaged, not merely missing.
bool hasContent(const std::string& path);
// The file's bytes, read without waiting on a pipe or device; nothing when it is not a
// regular file, cannot be read, or holds more than the limit.
std::optional<std::string> readWholeFile(const std::string& path, std::size_t limit = static_cast<std::size_t>(-1));
// Why readWholeFile gave nothing.
enum class ReadFailure { None, Missing, TooLarge, Unreadable };
std::optional<std::string> readWholeFile(const std::string& path, std::size_t limit, ReadFailure& why);

// What a change to a state file under its lock (path as followLinks gives it) starts from:
// its bytes (none for a missing file), or the first `limit` of them for a larger one. A file
// that could not be read must not be replaced by one holding only the change: its content may
// be whole.
struct StateRead {
    enum class Status { Read, TooLarge, Unreadable } status = Status::Read;
    std::string bytes;
};
StateRead readStateForChange(const std::string& path, std::size_t limit);
// Keeps a state file that cannot be understood as <path>.damaged, replacing an older one,
// before the change replaces it. False when nothing could be kept.
bool setAsideDamaged(const std::string& path);

// What a change makes of a state file's bytes.
struct StateChange {
    std::optional<std::string> content;  // what replaces them; nothing leaves the file as it is
    bool damaged = false;                // they could not be understood: kept as <path>.damaged first
};
// The one way each state file is changed, so that two processes changing it at once both land
// in it and no failure loses it: the file is followed through links, locked, read (at most
// `limit` bytes), given to `change`, and replaced atomically by its result. False where it
// could not be locked, read or written, or `change` left it.
bool changeStateFile(const std::string& path, std::size_t limit,
                     const std::function<StateChange(const StateRead&)>& change);

// Keeps the exact bytes of the file as <path>.damaged, replacing an older copy of that name,
// before a save replaces the file. False when nothing could be kept.
bool keepDamagedCopy(const std::string& path);

// Number conversions shared by both files. A decimal number: optional blanks, optional sign,
// digits with an optional fraction and exponent.
std::optional<double> parseDecimal(std::string_view text);
// "True"/"False" in any letter case, or a decimal number (0 is false).
std::optional<bool> parseBoolean(std::string_view text);

}  // namespace kl
