// What every way of starting a game shares: the command for a file and a set of options,
// made absolute and put behind Wine where the emulator is a Windows program.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "command_line.h"
#include "emulator_settings.h"

namespace kl {

// What of the launcher's surroundings a start depends on.
struct StartEnvironment {
    std::string currentFolder;        // the folder relative paths were read against
    std::string path;                 // PATH
    std::optional<std::string> wine;  // WINE, when it names a program
};
// The process's working folder as the kernel names it (bytes; empty when it is gone).
std::string currentFolder();
// The process's own: its working folder and the variables PATH and WINE.
StartEnvironment currentStartEnvironment();

// The emulator command for a file in a folder with these options, as the launch routine
// composes it (the ROM folder given instead of the ROM path field).
LaunchCommand composeLaunch(const EmulatorSettings& settings, std::string_view romFolder, std::string_view fileName);

enum class StartProblem { None, EmulatorNotFound, WineNotFound };
struct StartPlan {
    LaunchCommand command;  // with a problem: the command as far as it was planned
    StartProblem problem = StartProblem::None;
};

// The start changes into the emulator's folder, so relative paths (which the launcher read
// against its own folder) are made absolute; absolute paths stay exactly as composed. A
// program named without a folder is looked for on the PATH here, once, so the file that is
// checked is the file that starts; none there is the emulator-not-found problem. A Windows
// emulator then starts through the program WINE names (the winetricks convention), or else
// through wine from the PATH.
StartPlan planStart(LaunchCommand command, const StartEnvironment& environment);

// A path made absolute against a folder, by joining; nothing is resolved or cleaned.
std::string absoluteAgainst(std::string_view path, std::string_view folder);

}  // namespace kl
