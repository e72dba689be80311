// The emulator's command line: the string the user is shown and the argument vector started.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../paths.h"

namespace kl {

inline constexpr std::string_view kEmulatorName = "kalmora_boy.exe";

// The folder with trailing blanks removed, then separator + "kalmora_boy.exe " when the
// untrimmed folder is longer than a root, otherwise "kalmora_boy.exe " alone.
std::string emulatorPart(std::string_view emuPath, PathStyle style);
// The folder with trailing blanks removed, then a separator when the untrimmed folder is
// longer than a root, otherwise nothing.
std::string romFolderPart(std::string_view romPath, PathStyle style);

// Emulator part, quoted ROM path, then the parameter string (which brings its own blank).
std::string EmulatorCommandLine(std::string_view emuPath, std::string_view romPath, std::string_view fileName,
                                std::string_view parameterString, PathStyle style);

// A variable the started program gets otherwise than the launcher has it: set to the value,
// or removed when there is none.
struct EnvironmentChange {
    std::string name;
    std::optional<std::string> value;
    bool operator==(const EnvironmentChange&) const = default;
};

// What the process start receives: no shell ever sees these, so every argument arrives as is.
struct LaunchCommand {
    std::string program;
    std::vector<std::string> arguments;
    std::string workingDirectory;  // empty: inherit the launcher's
    std::vector<EnvironmentChange> environment;  // over the launcher's own, which is otherwise passed on
};

LaunchCommand emulatorLaunchCommand(std::string_view emuPath, std::string_view romPath, std::string_view fileName,
                                    std::string_view parameterString, PathStyle style);

// True when the file begins with "MZ", the mark of DOS and Windows executables.
bool isWindowsExecutable(const std::string& path);

// What a PATH search takes: a program with the run bit, or that or a Windows program (which
// starts through Wine and needs no run bit).
enum class ProgramKind { Executable, ExecutableOrWindows };
// The first regular file of that name and kind in the absolute folders of a PATH-style
// list. Empty and relative entries are skipped: the start changes folder, and a program
// picked up from whatever folder is current is not one the user chose. Nothing when none.
std::optional<std::string> findOnPath(std::string_view name, std::string_view pathList,
                                      ProgramKind kind = ProgramKind::Executable);

// An absolute Linux path as a Windows program reads it: every Wine prefix maps Z: to the
// root by default, so "Z:" then the path with each "/" turned into "\".
std::string wineDrivePath(std::string_view absolutePath);

// The same launch through Wine: Wine is the program, the emulator and the ROM path (in its
// drive form) come first, the switches follow unchanged, the working folder stays. The
// native command must hold absolute paths.
LaunchCommand wineLaunchCommand(const LaunchCommand& native, std::string_view wine);

// True when the path names an existing folder; the path is used exactly as given.
bool CheckFolderExists(const std::string& path);

}  // namespace kl
