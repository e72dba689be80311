// A game's session, from its emulator's start to its end, kept as play time however the game
// was started. The window's starts and a FILE's are watched by a small program of the
// launcher's own, the emulator's parent, so the window never waits and may close first;
// --run waits itself.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "../config/config_location.h"
#include "../rom/catalogue.h"
#include "command_line.h"

namespace kl {

inline constexpr std::string_view kWatcherName = "kalmora-watch";

struct SessionWatcher {
    std::string program;        // the watcher program
    std::string programFolder;  // the launcher's, whose state keeps the figures
};

// The watcher beside the launcher in its program folder; nothing when a copy of the launcher
// came without it, whose games then start unwatched.
std::optional<SessionWatcher> sessionWatcherIn(const std::string& programFolder);

// Starts a game's command as startDetached does, with the watcher (where there is one) as the
// emulator's parent to record its session: under `playKey` where the plan gave one (a patched
// image's), else under the image the ROM path holds.
bool startGame(const LaunchCommand& command, const std::optional<SessionWatcher>& watcher, const std::string& romPath,
               const std::optional<Sha1>& playKey = std::nullopt);

// Records a game's session that began at `started` and has just ended, under the key its image
// had at the start (nothing: no image, nothing recorded). False when nothing was recorded.
bool endSession(const ConfigLocation& location, const std::optional<Sha1>& game, const std::string& romPath,
                std::chrono::steady_clock::time_point started);

// The watcher program: its arguments are the program folder, the ROM path, the start on the
// steady clock in nanoseconds, the key in hex where the start gave one, and the emulator's
// process id, a child of its own. It waits for
// the emulator and records the session; its status is 0, or 2 for arguments not of a start.
int watchSession(int argc, const char* const* argv);

}  // namespace kl
