// Buffered line reader, atomic file replacement and the tolerant value parsers.
#include "text_file.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>

namespace kl {

LineReader::LineReader(const std::string& path)
{
    m_file = std::fopen(path.c_str(), "rb");
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

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

}  // namespace

bool writeFileAtomically(const std::string& path, std::string_view content)
{
    // Write through a link to the file it names, so a linked configuration stays linked.
    std::string target = path;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        return false;
    // Read-only files stay read-only: replacing one would silently bypass the user's choice.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return false;

    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, content) && ::fsync(fd) == 0;
    if (ok && exists)
        ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
    else if (ok) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ok = ::fchmod(fd, 0666 & ~mask) == 0;
    }
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here no longer endangers the old content.
    const int dir = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

std::optional<double> parseDecimal(std::string_view text)
{
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && text[b] == ' ')
        ++b;
    while (e > b && text[e - 1] == ' ')
        --e;
    text = text.substr(b, e - b);
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
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && text[b] == ' ')
        ++b;
    while (e > b && text[e - 1] == ' ')
        --e;
    const std::string_view word = text.substr(b, e - b);
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
