// A bounded reader of Valve's text KeyValues, for the Steam libraries' list.
#include "key_values.h"

#include <optional>

namespace kl {

namespace {

constexpr int kMaxDepth = 32;

bool sameKey(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

bool isNumber(std::string_view key)
{
    if (key.empty())
        return false;
    for (const char c : key)
        if (c < '0' || c > '9')
            return false;
    return true;
}

struct Token {
    enum class Kind { Text, Open, Close, End, Damage } kind;
    std::string text;
};

class Tokens {
public:
    explicit Tokens(std::string_view text) : m_text(text.substr(0, kMaxKeyValuesSize)) {}

    Token next()
    {
        while (true) {
            skipBlanks();
            if (m_at >= m_text.size())
                return {Token::Kind::End, {}};
            if (m_text.compare(m_at, 2, "//") == 0) {
                const std::size_t end = m_text.find('\n', m_at);
                m_at = end == std::string_view::npos ? m_text.size() : end + 1;
                continue;
            }
            // A platform condition after a value ("[$WIN32]") says nothing of the paths.
            if (m_text[m_at] == '[') {
                const std::size_t end = m_text.find(']', m_at);
                if (end == std::string_view::npos)
                    return {Token::Kind::Damage, {}};
                m_at = end + 1;
                continue;
            }
            break;
        }
        const char c = m_text[m_at];
        if (c == '{' || c == '}') {
            ++m_at;
            return {c == '{' ? Token::Kind::Open : Token::Kind::Close, {}};
        }
        return c == '"' ? quoted() : bare();
    }

private:
    void skipBlanks()
    {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\r'
                                         || m_text[m_at] == '\n'))
            ++m_at;
    }

    Token quoted()
    {
        std::string text;
        for (++m_at; m_at < m_text.size(); ++m_at) {
            const char c = m_text[m_at];
            if (c == '"') {
                ++m_at;
                return {Token::Kind::Text, std::move(text)};
            }
            if (c == '\\' && m_at + 1 < m_text.size()) {
                const char e = m_text[++m_at];
                text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                continue;
            }
            text += c;
        }
        return {Token::Kind::Damage, {}};  // the file ends inside a string
    }

    Token bare()
    {
        const std::size_t start = m_at;
        while (m_at < m_text.size()) {
            const char c = m_text[m_at];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '{' || c == '}' || c == '"')
                break;
            ++m_at;
        }
        return {Token::Kind::Text, std::string(m_text.substr(start, m_at - start))};
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

// Reads the top level, then only what the libraries' list needs.
class Reader {
public:
    explicit Reader(std::string_view text) : m_tokens(text) {}

    std::vector<std::string> libraries()
    {
        std::vector<std::string> found;
        // The top level: keys and their values; only "libraryfolders" is looked into.
        while (true) {
            Token key = m_tokens.next();
            if (key.kind != Token::Kind::Text)
                return found;
            Token value = m_tokens.next();
            if (value.kind == Token::Kind::Open) {
                if (sameKey(key.text, "libraryfolders")) {
                    libraryList(found);
                    return found;
                }
                if (!skipObject(1))
                    return found;
            } else if (value.kind != Token::Kind::Text)
                return found;
        }
    }

private:
    // Inside "libraryfolders" {…}: each numbered entry, committed once read whole.
    void libraryList(std::vector<std::string>& found)
    {
        while (true) {
            Token key = m_tokens.next();
            if (key.kind != Token::Kind::Text)
                return;  // its end, or damage
            Token value = m_tokens.next();
            if (value.kind == Token::Kind::Text) {
                if (isNumber(key.text))
                    add(found, std::move(value.text));
                continue;
            }
            if (value.kind != Token::Kind::Open)
                return;
            std::optional<std::string> path;
            if (!entry(path))
                return;
            if (isNumber(key.text) && path)
                add(found, std::move(*path));
        }
    }

    // A numbered entry's object: its "path", and its nested objects skipped.
    bool entry(std::optional<std::string>& path) { return skipObject(2, &path); }

    // Reads an object to its "}": true when it closed. A "path" met directly in it is kept where
    // `path` is given.
    bool skipObject(int depth, std::optional<std::string>* path = nullptr)
    {
        if (depth > kMaxDepth)
            return false;
        while (true) {
            Token key = m_tokens.next();
            if (key.kind == Token::Kind::Close)
                return true;
            if (key.kind != Token::Kind::Text)
                return false;
            Token value = m_tokens.next();
            if (value.kind == Token::Kind::Open) {
                if (!skipObject(depth + 1))
                    return false;
            } else if (value.kind != Token::Kind::Text) {
                return false;
            } else if (path && sameKey(key.text, "path")) {
                *path = std::move(value.text);
            }
        }
    }

    static void add(std::vector<std::string>& found, std::string path)
    {
        if (!path.empty() && path.front() == '/')
            found.push_back(std::move(path));
    }

    Tokens m_tokens;
};

}  // namespace

std::vector<std::string> steamLibraryFolders(std::string_view text) { return Reader(text).libraries(); }

}  // namespace kl
