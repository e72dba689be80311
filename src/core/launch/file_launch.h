// Starting one ROM file named by its path, from outside the window's list: the file manager,
// a terminal, a game front-end. The window's launch routine and these share the command.
#pragma once

#include <string>
#include <string_view>

#include "../config/config_location.h"
#include "emulator_settings.h"
#include "launch_plan.h"

namespace kl {

inline constexpr std::string_view kEmulatorNotFoundMessage =
    "Emulator \"kalmora_boy.exe\" was not found. Please set the correct path to it on the \"Paths\" register.";
inline constexpr std::string_view kWineNotFoundMessage =
    "Emulator \"kalmora_boy.exe\" is a Windows program and Wine was not found. Please install Wine to run it.";
// The message for a ROM file that is not there, naming it.
std::string fileNotFoundMessage(std::string_view path);

struct RomPath {
    std::string folder;
    std::string name;
};
// The folder and the name of an absolute path.
RomPath splitRomPath(std::string_view absolutePath);

// True when the path names a regular file (or a link to one).
bool isExistingFile(const std::string& path);

enum class FileLaunchProblem { None, FileMissing, EmulatorNotFound, WineNotFound };
struct FileLaunchPlan {
    LaunchCommand command;
    FileLaunchProblem problem = FileLaunchProblem::None;
};
// The start of an absolute ROM path with these options, planned like the window's.
FileLaunchPlan planFileLaunch(const EmulatorSettings& options, const std::string& absoluteFile,
                              const StartEnvironment& environment);

// One argument as a POSIX shell word that sh reads back unchanged: bare when it is plainly
// safe, otherwise in single quotes (a newline stays inside them).
std::string shellWord(std::string_view argument);
// The program and its arguments as shell words on one line, then a line "cd <folder>".
std::string shellCommand(const LaunchCommand& command);

}  // namespace kl
