// How long and how often each game was played, kept under the image's SHA-1 so that a game
// renamed, moved to another folder or copied keeps its figures. One small file in the state
// folder, changed under a lock like the recent games.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../rom/catalogue.h"
#include "config_location.h"

namespace kl {

inline constexpr std::string_view kPlayTimesName = "play-times";
// A start that ended sooner was the emulator refusing the file, not a game played.
inline constexpr std::chrono::seconds kShortestSession{5};
// Beyond this many games, the one played longest ago is dropped.
inline constexpr std::size_t kPlayRecordsKept = 1000;

struct PlayRecord {
    Sha1 game{};                 // the image's SHA-1
    std::uint64_t sessions = 0;
    std::uint64_t seconds = 0;   // in all
    std::int64_t lastEnd = 0;    // the end of the last session, seconds since 1970 (UTC)
    std::string lastPath;        // where it was last started from
    bool operator==(const PlayRecord&) const = default;
};

struct PlaySession {
    Sha1 game{};
    std::string path;
    std::chrono::nanoseconds length{};
    std::int64_t end = 0;  // seconds since 1970 (UTC)
};

// Data/play-times for a portable copy whose Data folder exists, else
// $XDG_STATE_HOME/kalmora-launcher/play-times.
std::string playTimesPath(const ConfigLocation& location);

// The records; nothing when no game was ever played here (no file). A damaged file reads as
// no record: the next session replaces it.
std::optional<std::vector<PlayRecord>> loadPlayTimes(const ConfigLocation& location);
const PlayRecord* findPlayRecord(const std::vector<PlayRecord>& records, const Sha1& game);

// Adds one session under its game's record, under the file's lock. False when it was too short
// to count or could not be kept (no state folder, a file of a newer format); a start never
// fails for that.
bool recordSession(const ConfigLocation& location, const PlaySession& session);
bool forgetPlayTime(const ConfigLocation& location, const Sha1& game);

// The key of a game file: the SHA-1 of the image it holds; nothing when it holds none.
std::optional<Sha1> playKeyOf(const std::string& romPath);

// "never", "1 session, less than a minute", "14 sessions, 3 h 12 min".
std::string playedText(const PlayRecord* record);

// The file: a version line, then one record per game, each "<SHA-1 in hex> <sessions>
// <seconds> <last end>", a blank, the last path, a NUL and a line feed.
std::string formatPlayTimes(const std::vector<PlayRecord>& records);
// Nothing when the bytes are not such a file (of this version).
std::optional<std::vector<PlayRecord>> parsePlayTimes(std::string_view bytes);

}  // namespace kl
