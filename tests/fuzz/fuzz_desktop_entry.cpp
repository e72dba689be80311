// A game's desktop entry for any ROM path: the entry holds no line break of its own in a
// value, and its Exec line, read back the way the Desktop Entry Specification says (string
// unescaping, then quoting and field codes), gives exactly the launcher, --run and the path.
// The recent games' file reads back the list it was written from.
#include <string>
#include <string_view>
#include <vector>

#include "config/recent_games.h"
#include "fuzz_support.h"
#include "launch/desktop_entry.h"
#include "utf8.h"

namespace {

std::string unescapeString(std::string_view value)
{
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        fuzz::require(i + 1 < value.size());
        const char c = value[++i];
        out += c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c == 's' ? ' ' : c;
    }
    return out;
}

std::vector<std::string> execArguments(std::string_view exec)
{
    std::vector<std::string> arguments;
    std::size_t i = 0;
    while (i < exec.size()) {
        std::string argument;
        if (exec[i] == '"') {
            for (++i; i < exec.size() && exec[i] != '"'; ++i) {
                if (exec[i] == '\\') {
                    fuzz::require(i + 1 < exec.size() && std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos);
                    ++i;
                }
                argument += exec[i];
            }
            fuzz::require(i < exec.size());
            ++i;
        } else {
            for (; i < exec.size() && exec[i] != ' '; ++i) {
                fuzz::require(std::string_view("\t\n\"'\\><~|&;$*?#()`").find(exec[i]) == std::string_view::npos);
                argument += exec[i];
            }
        }
        fuzz::require(i == exec.size() || exec[i] == ' ');
        if (i < exec.size())
            ++i;
        std::string plain;  // %% is a percent sign; no other field code may be left
        for (std::size_t j = 0; j < argument.size(); ++j) {
            if (argument[j] == '%') {
                fuzz::require(j + 1 < argument.size() && argument[j + 1] == '%');
                ++j;
            }
            plain += argument[j];
        }
        arguments.push_back(plain);
    }
    return arguments;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string rom(reinterpret_cast<const char*>(data), size);
    const std::string launcher = "/opt/kalmora $x/bin/kalmora-launcher";
    const auto entry = kl::gameEntry(launcher, rom, "org.example.kalmora_launcher");
    fuzz::require(entry.has_value() == kl::isUtf8(rom));
    if (entry) {
        const std::size_t exec = entry->find("\nExec=");
        fuzz::require(exec != std::string::npos);
        const std::size_t end = entry->find('\n', exec + 1);
        const std::vector<std::string> arguments = execArguments(unescapeString(entry->substr(exec + 6, end - exec - 6)));
        fuzz::require(arguments == std::vector<std::string>{launcher, "--run", rom});
        fuzz::require(end == entry->size() - 1);  // Exec is the last line: no value broke its line
    }

    const std::vector<std::string> games = kl::parseRecentGames(rom);
    fuzz::require(games.size() <= kl::kRecentGamesKept);
    if (!games.empty())
        fuzz::require(kl::formatRecentGames(games) == rom);
    return 0;
}
