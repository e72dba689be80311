// The games started most recently, by any way a game starts: a short list of absolute ROM
// paths kept in the state folder, newest first.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config_location.h"

namespace kl {

inline constexpr std::size_t kRecentGamesKept = 10;
inline constexpr std::string_view kRecentGamesName = "recent-games";

// The list's file for this location.
std::string recentGamesPath(const ConfigLocation& location);

// The list, newest first; empty when the file is missing or cannot be read as a list.
std::vector<std::string> loadRecentGames(const ConfigLocation& location);
// Puts the game at the top (once), keeping the newest ten. Each change reads, changes and
// writes the file under a lock, so two processes recording at once both land in the list.
// False when nothing could be recorded (no state folder); a start never fails for that.
bool recordRecentGame(const ConfigLocation& location, const std::string& romPath);
bool forgetRecentGame(const ConfigLocation& location, const std::string& romPath);
bool clearRecentGames(const ConfigLocation& location);

// The file's bytes: each path followed by a NUL, which no path holds.
std::string formatRecentGames(const std::vector<std::string>& games);
// Nothing when the bytes are not such a list of absolute paths.
std::vector<std::string> parseRecentGames(std::string_view bytes);

}  // namespace kl
