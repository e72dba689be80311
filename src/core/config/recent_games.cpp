// The recent games' file: NUL-ended paths, changed under a lock and written atomically.
#include "recent_games.h"

#include <algorithm>

#include "../paths.h"
#include "text_file.h"

namespace kl {

namespace {

// Ten paths of at most PATH_MAX; anything larger is not a file of ours.
constexpr std::size_t kMaxFileSize = kRecentGamesKept * 4097;

// Reads, changes and writes the list under its lock, as the play times are. A portable
// copy's Data is the user's to make; an installed copy makes its state folder.
template <class Change>
bool changeList(const ConfigLocation& location, Change change)
{
    const std::string folder = stateFolder(location);
    if (location.installed && !makeFolders(folder, 0700))
        return false;
    return changeStateFile(recentGamesPath(location), kMaxFileSize, [&](const StateRead& read) {
        std::vector<std::string> games =
            read.status == StateRead::Status::Read ? parseRecentGames(read.bytes) : std::vector<std::string>{};
        // Every list of ours names a game; bytes that name none are damage.
        StateChange changed;
        changed.damaged = games.empty() && !read.bytes.empty();
        change(games);
        if (games.size() > kRecentGamesKept)
            games.resize(kRecentGamesKept);
        changed.content = formatRecentGames(games);
        return changed;
    });
}

}  // namespace

std::string recentGamesPath(const ConfigLocation& location)
{
    return joinAlways(stateFolder(location), kRecentGamesName, kNativeStyle);
}

std::string formatRecentGames(const std::vector<std::string>& games)
{
    std::string bytes;
    for (const std::string& game : games) {
        bytes += game;
        bytes += '\0';
    }
    return bytes;
}

std::vector<std::string> parseRecentGames(std::string_view bytes)
{
    std::vector<std::string> games;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\0');
        if (end == std::string_view::npos || end == 0 || bytes.front() != '/' || games.size() == kRecentGamesKept)
            return {};
        games.emplace_back(bytes.substr(0, end));
        bytes.remove_prefix(end + 1);
    }
    return games;
}

std::vector<std::string> loadRecentGames(const ConfigLocation& location)
{
    const auto bytes = readWholeFile(recentGamesPath(location), kMaxFileSize);
    return bytes ? parseRecentGames(*bytes) : std::vector<std::string>{};
}

bool recordRecentGame(const ConfigLocation& location, const std::string& romPath)
{
    if (romPath.empty() || romPath.front() != '/' || romPath.find('\0') != std::string::npos)
        return false;
    return changeList(location, [&](std::vector<std::string>& games) {
        std::erase(games, romPath);
        games.insert(games.begin(), romPath);
    });
}

bool forgetRecentGame(const ConfigLocation& location, const std::string& romPath)
{
    return changeList(location, [&](std::vector<std::string>& games) { std::erase(games, romPath); });
}

bool clearRecentGames(const ConfigLocation& location)
{
    return changeList(location, [](std::vector<std::string>& games) { games.clear(); });
}

}  // namespace kl
