// One plan for every way of starting a game (the window's list, a file handed over, a file
// named on the command line): the command for a file and a set of options, made absolute and
// put behind Wine where the emulator is a Windows program; or the problem, with its text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "command_line.h"
#include "emulator_settings.h"
#include "patched_start.h"
#include "wine_locale.h"
#include "wine_names.h"

namespace kl {

// What of the launcher's surroundings a start depends on.
struct StartEnvironment {
    std::string currentFolder;        // the folder relative paths were read against
    std::string path;                 // PATH
    std::optional<std::string> wine;  // WINE, when it names a program
    LocaleVariables locale;
    std::string winePrefix;  // WINEPREFIX; empty when unset
    std::string wineServer;  // WINESERVER; empty when unset
    std::string home;        // HOME
    bool wineReady = true;   // false with KALMORA_WINE_READY=0
};
// The process's working folder as the kernel names it (bytes; empty when it is gone).
std::string currentFolder();
// The process's own: its working folder, the variables PATH and WINE, and its locale.
StartEnvironment currentStartEnvironment();

enum class LaunchProblem { None, FileMissing, EmulatorNotFound, WineNotFound, NoWindowsPath, PatchRefused };
struct LaunchPlan {
    LaunchCommand command;  // with a problem: the command as far as it was planned
    LaunchProblem problem = LaunchProblem::None;
    WindowsPath windowsPath;  // with NoWindowsPath: why the file cannot be named to Wine
    std::string patchName;    // the patch the image starts patched by, if any
    std::optional<Sha1> playKey;  // the patched image's: the session is kept under it
    std::string refusal;      // with PatchRefused: the message
};

// A plan that is only its problem.
LaunchPlan failedPlan(LaunchProblem problem);

// Where a start's patched images are kept, and the catalogues that word a refusal.
struct PatchPlace {
    std::string folder;
    CatalogueSource catalogues;
};

// The documented message of a problem; a missing file is named by its path.
std::string launchProblemText(LaunchProblem problem, std::string_view file = {});
// The message of a plan's problem, the file named by its path.
std::string launchProblemText(const LaunchPlan& plan, std::string_view file);

// The start of a file in a folder with these options, as the launch routine composes it
// (the folder text as typed, instead of the ROM path field). A patch beside the file is
// applied first: the emulator is given the patched image, kept in the place's folder, or the
// start is refused where the patch does not fit the image.
LaunchPlan planLaunch(const EmulatorSettings& options, std::string_view romFolder, std::string_view fileName,
                      const StartEnvironment& environment, const PatchPlace& patches);
// The start of an absolute ROM path, planned like the window's; the file must be there.
LaunchPlan planFileLaunch(const EmulatorSettings& options, const std::string& absoluteFile,
                          const StartEnvironment& environment, const PatchPlace& patches);

// The start changes into the emulator's folder, so relative paths (which the launcher read
// against its own folder) are made absolute; absolute paths stay exactly as composed. A
// program named without a folder is looked for on the PATH here, once, so the file that is
// checked is the file that starts; none there is the emulator-not-found problem. A Windows
// emulator then starts through the program WINE names (the winetricks convention), or else
// through wine from the PATH, with the ROM path as a Windows path that names exactly that file
// (or the NoWindowsPath problem where none can), and with a UTF-8 locale for Wine.
LaunchPlan planStart(LaunchCommand command, const StartEnvironment& environment);

// The emulator program as a start finds it: a path made absolute, or a name looked for on the
// PATH (a Windows program needs no run bit); nothing when no such program is on the PATH.
std::optional<std::string> findEmulator(const std::string& program, const StartEnvironment& environment);
// The Wine a Windows emulator starts through: WINE (a path, or a name on the PATH), else wine
// from the PATH; nothing when that program is not there.
std::optional<std::string> findWine(const StartEnvironment& environment);

// A path made absolute against a folder, by joining; nothing is resolved or cleaned.
std::string absoluteAgainst(std::string_view path, std::string_view folder);

// True when the path names a regular file (or a link to one).
bool isExistingFile(const std::string& path);

// One argument as a POSIX shell word that sh reads back unchanged: bare when it is plainly
// safe, otherwise in single quotes (a newline stays inside them).
std::string shellWord(std::string_view argument);
// The program and its arguments as shell words on one line (behind env and the variables it
// changes, where it changes any), then a line "cd <folder>".
std::string shellCommand(const LaunchCommand& command);

}  // namespace kl
