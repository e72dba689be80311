// Buffered line reader, atomic file replacement and the tolerant value parsers.
#include "text_file.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <random>

#include "../file_kind.h"
#include "../paths.h"

namespace kl {

LineReader::LineReader(const std::string& path)
{
    // Only a regular file is read; a pipe named like the file would block start-up for ever.
    const int fd = openRegularFile(path);
    if (fd >= 0 && !(m_file = ::fdopen(fd, "rb")))
        ::close(fd);
}

LineReader::~LineReader()
{
    if (m_file)
        std::fclose(m_file);
}

int LineReader::peek()
{
    if (m_pos == m_len) {
        if (m_failed || !m_file)
            return EOF;
        m_len = std::fread(m_buffer, 1, sizeof m_buffer, m_file);
        m_pos = 0;
        if (m_len == 0) {
            // A folder opens but cannot be read; that and a real error both end the input.
            m_failed = true;
            return EOF;
        }
    }
    return static_cast<unsigned char>(m_buffer[m_pos]);
}

int LineReader::get()
{
    const int c = peek();
    if (c != EOF)
        ++m_pos;
    return c;
}

std::optional<std::string> LineReader::next(std::size_t limit)
{
    if (peek() == EOF)
        return std::nullopt;
    std::string line;
    for (;;) {
        const int c = get();
        if (c == EOF)
            break;
        if (c == '\r') {
            if (peek() == '\n')
                get();
            break;
        }
        if (line.size() == limit)
            return std::nullopt;
        line += static_cast<char>(c);
    }
    if (m_file && std::ferror(m_file))
        return std::nullopt;
    return line;
}

namespace {

bool writeAll(int fd, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A temporary file is the target's name, a dot, six letters or digits and ".tmp".
constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::size_t kTempRandom = 6;

bool isTemporaryOf(std::string_view entry, std::string_view base)
{
    const std::size_t size = base.size() + 1 + kTempRandom + kTempSuffix.size();
    if (entry.size() != size || entry.substr(0, base.size()) != base || entry[base.size()] != '.'
        || entry.substr(size - kTempSuffix.size()) != kTempSuffix)
        return false;
    for (const char c : entry.substr(base.size() + 1, kTempRandom))
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    return true;
}

// Saves in a folder hold a shared lock on it from the temporary file's creation to its
// rename; one that gets the exclusive lock knows nobody is mid-save there, so whatever
// temporary files it finds were left by saves that were killed.
void removeLeftovers(int folder, std::string_view base)
{
    if (::flock(folder, LOCK_EX | LOCK_NB) != 0)
        return;
    const int listing = ::dup(folder);
    DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (dir) {
        while (const dirent* entry = ::readdir(dir))
            if (isTemporaryOf(entry->d_name, base))
                ::unlinkat(folder, entry->d_name, 0);
        ::closedir(dir);
    } else if (listing >= 0) {
        ::close(listing);
    }
    ::flock(folder, LOCK_UN);
}

// A new temporary file beside the target, close-on-exec. Its mode is left to the kernel,
// which applies the umask: changing the umask to read it would hit files that other threads
// create meanwhile.
int createTemporary(int folder, std::string_view base, std::string& name)
{
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name.assign(base);
        name += '.';
        for (std::size_t i = 0; i < kTempRandom; ++i)
            name += kLetters[device() % (sizeof kLetters - 1)];
        name += kTempSuffix;
        const int fd = ::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

}  // namespace

std::string followLinks(const std::string& path)
{
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        if (char* resolved = ::realpath(current.c_str(), nullptr)) {
            std::string target = resolved;
            std::free(resolved);
            return target;
        }
        // realpath refuses a link whose target is missing: that one is followed by hand.
        char target[4096];
        const ssize_t n = ::readlink(current.c_str(), target, sizeof target);
        if (n <= 0 || static_cast<std::size_t>(n) == sizeof target)
            return current;
        const std::string named(target, static_cast<std::size_t>(n));
        current = named.front() == '/' ? named : joinAlways(splitPath(current).folder, named, kNativeStyle);
    }
    return current;
}

bool writeFileAtomically(const std::string& path, std::string_view content)
{
    // Write through a link to the file it names, so a linked configuration stays linked.
    const std::string target = followLinks(path);
    const FileStatus existing = fileStatus(target);
    const bool exists = existing.kind != FileKind::Missing;
    if (exists && existing.kind != FileKind::Regular)
        return false;
    // Read-only files stay read-only: replacing one would silently bypass the user's choice.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return false;

    const PathParts parts = splitPath(target);
    const std::string& base = parts.name;
    // A folder that may be written but not read is still saved into, without the clean-up
    // (the lock needs a readable descriptor; without one both lock calls simply fail).
    int folder = ::open(parts.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        folder = ::open(parts.folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return false;
    removeLeftovers(folder, base);
    ::flock(folder, LOCK_SH);
    std::string temp;
    const int fd = createTemporary(folder, base, temp);
    bool ok = fd >= 0 && writeAll(fd, content) && ::fsync(fd) == 0;
    if (ok && exists)
        ok = ::fchmod(fd, existing.permissions) == 0;
    if (fd >= 0)
        ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::renameat(folder, temp.c_str(), folder, base.c_str()) == 0;
    if (!ok && fd >= 0)
        ::unlinkat(folder, temp.c_str(), 0);
    // Make the rename itself durable; a failure here no longer endangers the old content.
    if (ok)
        ::fsync(folder);
    ::close(folder);  // and with it the shared lock
    return ok;
}

FileLock::FileLock(const std::string& path)
{
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        if (fd < 0)
            return;
        while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        struct stat held {}, named {};
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && ::stat(path.c_str(), &named) == 0
            && held.st_dev == named.st_dev && held.st_ino == named.st_ino)
            m_fd = fd;
        else
            ::close(fd);
    }
}

FileLock::~FileLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool hasContent(const std::string& path)
{
    const FileStatus status = fileStatus(path);
    return status.kind == FileKind::Regular && status.size > 0;
}

namespace {

// The file's bytes into `bytes`, at most `limit` of them (the first ones of a larger file).
ReadFailure readInto(const std::string& path, std::size_t limit, std::string& bytes)
{
    errno = 0;  // a name that opens but is no regular file leaves errno as it was
    const int fd = openRegularFile(path);
    if (fd < 0)
        return errno == ENOENT ? ReadFailure::Missing : ReadFailure::Unreadable;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
        if (n > 0)
            bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > limit) {
            bytes.resize(limit);
            ::close(fd);
            return ReadFailure::TooLarge;
        }
    }
    ::close(fd);
    return n == 0 ? ReadFailure::None : ReadFailure::Unreadable;
}

}  // namespace

std::optional<std::string> readWholeFile(const std::string& path, std::size_t limit)
{
    ReadFailure why;
    return readWholeFile(path, limit, why);
}

std::optional<std::string> readWholeFile(const std::string& path, std::size_t limit, ReadFailure& why)
{
    std::string bytes;
    why = readInto(path, limit, bytes);
    return why == ReadFailure::None ? std::optional(std::move(bytes)) : std::nullopt;
}

StateRead readStateForChange(const std::string& path, std::size_t limit)
{
    StateRead read;
    switch (readInto(path, limit, read.bytes)) {
    case ReadFailure::None:
    case ReadFailure::Missing: read.status = StateRead::Status::Read; break;
    case ReadFailure::TooLarge: read.status = StateRead::Status::TooLarge; break;
    case ReadFailure::Unreadable: read.status = StateRead::Status::Unreadable; break;
    }
    return read;
}

bool setAsideDamaged(const std::string& path)
{
    // A second name, not a rename: the lock is the file's under its own name until the change
    // replaces it, so another process waiting for it cannot take a new file meanwhile.
    const std::string damaged = path + ".damaged";
    if (::unlink(damaged.c_str()) != 0 && errno != ENOENT)
        return false;
    return ::link(path.c_str(), damaged.c_str()) == 0 || keepDamagedCopy(path);
}

bool keepDamagedCopy(const std::string& path)
{
    const auto bytes = readWholeFile(path);
    return bytes && writeFileAtomically(path + ".damaged", *bytes);
}

std::optional<double> parseDecimal(std::string_view text)
{
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars would take "inf" and "nan"; a number must start with a digit or a point.
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text.front())) || text.front() == '.'))
        return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return negative ? -value : value;
}

std::optional<bool> parseBoolean(std::string_view text)
{
    const std::string_view word = trimBlanks(text);
    auto equalsIgnoringCase = [word](std::string_view literal) {
        if (word.size() != literal.size())
            return false;
        for (std::size_t i = 0; i < word.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(word[i])) != literal[i])
                return false;
        return true;
    };
    if (equalsIgnoringCase("true"))
        return true;
    if (equalsIgnoringCase("false"))
        return false;
    if (const auto number = parseDecimal(word))
        return *number != 0;
    return std::nullopt;
}

}  // namespace kl

namespace kl {

bool changeStateFile(const std::string& path, std::size_t limit,
                     const std::function<StateChange(const StateRead&)>& change)
{
    const std::string target = followLinks(path);
    const FileLock lock(target);
    if (!lock.held())
        return false;
    const StateRead read = readStateForChange(target, limit);
    if (read.status == StateRead::Status::Unreadable)
        return false;
    const StateChange changed = change(read);
    if (!changed.content || (changed.damaged && !setAsideDamaged(target)))
        return false;
    return writeFileAtomically(target, *changed.content);
}

}  // namespace kl
