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
#include "../wine/wine_builds.h"

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
    std::string xdgDataHome;    // XDG_DATA_HOME and XDG_CONFIG_HOME as set; empty when unset
    std::string xdgConfigHome;
    std::optional<std::string> steamCompatDataPath;  // the user's own, which a Proton start keeps
    std::optional<std::string> steamCompatClientInstallPath;
    std::string chosenWine;      // the program of the Wine the user chose; empty: automatic
    std::string chosenWineName;  // its name with where it came from
};
// The process's working folder as the kernel names it (bytes; empty when it is gone).
std::string currentFolder();
// The process's own: its working folder, the variables PATH and WINE, and its locale.
StartEnvironment currentStartEnvironment();

// Where the Wine and Proton builds of other tools are looked for, from these surroundings.
WineSearch wineSearchOf(const StartEnvironment& environment);

// The Wine a Windows emulator starts through, and why that one.
struct WineToUse {
    enum class From { Variable, Chosen, Path, Found } from = From::Path;
    std::string program;  // wine, or a Proton build's proton
    WineKind kind = WineKind::Wine;
    std::string name;       // a found build's name with where it came from; empty otherwise
    std::string folder;     // a Proton build's folder
    std::string steamRoot;  // the real path of the Steam root a Proton build was found in, else empty
    std::string goneChoice; // the name of a chosen Wine that has gone, which automatic replaced
};
// The first that applies: WINE (a path, or a name on the PATH; a Proton build's proton runs as
// Proton), the Wine the user chose while it is still found, wine on the PATH, the first build
// found. Nothing when none is there.
std::optional<WineToUse> chooseWine(const StartEnvironment& environment);
// The same, with the builds already found.
std::optional<WineToUse> chooseWine(const StartEnvironment& environment, const std::vector<WineBuild>& builds);
// How a Wine is named to the user: a found build's name, else its program's path.
std::string wineNameOf(const WineToUse& wine);
// Whether a start with these options goes through Wine (a Windows emulator that is there), and
// through which: an empty inner value where none is found.
std::optional<std::optional<WineToUse>> wineOfStart(const EmulatorSettings& options, const StartEnvironment& environment);

enum class LaunchProblem { None, FileMissing, EmulatorNotFound, WineNotFound, NoWindowsPath, PatchRefused };
struct LaunchPlan {
    LaunchCommand command;  // with a problem: the command as far as it was planned
    LaunchProblem problem = LaunchProblem::None;
    WindowsPath windowsPath;  // with NoWindowsPath: why the file cannot be named to Wine
    std::string patchName;    // the patch the image starts patched by, if any
    std::optional<Sha1> playKey;  // the patched image's: the session is kept under it
    std::string refusal;      // with PatchRefused: the message
    std::string wineName;     // the Wine a Windows emulator starts through, as wineNameOf names it
    std::string goneWineChoice;  // a chosen Wine that has gone: its name
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
// The wine program a Windows emulator starts through, as chooseWine picks it; nothing where
// that is a Proton build, which is started its own way, or where none is there.
std::optional<std::string> findWine(const StartEnvironment& environment);

// The folder a Proton start keeps its prefix in where the user set no STEAM_COMPAT_DATA_PATH:
// $XDG_DATA_HOME/kalmora-launcher/proton.
std::string protonDataFolder(const StartEnvironment& environment);
// The native command (absolute paths, the ROM path already in its Windows form) started through
// a Proton build: "<proton> run <emulator> <arguments>" with Steam's variables, or through
// umu-run (given its path) with PROTONPATH, GAMEID and WINEPREFIX. `changes` come first.
LaunchCommand protonLaunchCommand(const LaunchCommand& native, const WineToUse& proton,
                                  const StartEnvironment& environment, const std::optional<std::string>& umuRun,
                                  std::vector<EnvironmentChange> changes);

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
