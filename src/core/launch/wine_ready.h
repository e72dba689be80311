// Wine made ready while the window is open: a Windows program started on a cold Wine waits
// about a second (longer on a slow disk) for Wine's server and the prefix's services, and
// about a tenth of that once they run. So, as the window opens, the server of the Wine and
// prefix a launch would use is started to stay for a while after its last program, and one
// harmless program of Wine's own starts the services. Nothing of it delays the window or a
// launch, and nothing of it is ever stopped by the launcher.
#pragma once

#include <optional>

#include "emulator_settings.h"
#include "launcher.h"

namespace kl {

// How long the server stays after its last program: a launcher left open keeps games starting
// fast, and nothing outlives it by more than that.
inline constexpr int kWineServerSeconds = 600;

struct WineWarmUp {
    LaunchCommand server;   // wineserver -p600, beside the wine that is used
    LaunchCommand program;  // a program of Wine's own that shows nothing and ends at once
};

// Nothing where a launch with these options would not go through Wine, where
// KALMORA_WINE_READY=0 turns it off, where no wineserver belongs to that Wine (WINESERVER, or
// one beside the wine program), or where the
// prefix (WINEPREFIX, else ~/.wine) does not exist yet: that is created by Wine's own first
// start, with its own progress window, when a game is launched.
std::optional<WineWarmUp> planWineWarmUp(const EmulatorSettings& options, const StartEnvironment& environment);

// The server, waited for until it listens (its first process ends then), then the program,
// both in a process of their own that the launcher never waits for, with /dev/null for their
// standard descriptors: the server outlives the launcher and must hold no pipe of whoever
// started it open. Returns at once.
void makeWineReady(const WineWarmUp& warmUp);

}  // namespace kl
