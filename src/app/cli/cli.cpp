// The ways to launch a file without the window: waited for, printed, or opened.
#include "cli.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>

#include "bytes.h"
#include "catalogues.h"
#include "config/config_location.h"
#include "config/game_options.h"
#include "config/play_times.h"
#include "config/recent_games.h"
#include "ipc/handover.h"
#include "launch/launcher.h"
#include "wine/wine_choice.h"
#include "launch/process.h"
#include "launch/session_watch.h"
#include "paths.h"
#include "platform.h"
#include "ipc/single_instance.h"

namespace {

// Exit statuses of the launcher itself; a started emulator's own status passes through.
constexpr int kFailed = 1;
constexpr int kNotStarted = 127;  // what shells answer for a command they cannot run

int fail(std::string message, int status)
{
    printErrorLine(std::move(message));
    return status;
}

kl::LaunchPlan plan(const std::string& programFolder, const std::string& file)
{
    const kl::ConfigLocation location = kl::configLocation(programFolder);
    const kl::EmulatorSettings options = kl::optionsForGame(location, kl::splitPath(file).name);
    useCatalogues(kl::catalogueFolder(location));  // read only to word a patch's refusal
    return kl::planFileLaunch(options, file, kl::startEnvironmentFor(location), patchPlaceFor(location));
}

// A missing file is the caller's mistake; the others mean nothing could be started.
int failed(const kl::LaunchPlan& plan, const std::string& file, const std::string& detail = {})
{
    const std::string text = kl::launchProblemText(plan, file) + (detail.empty() ? "" : " (" + detail + ")");
    return fail(text, plan.problem == kl::LaunchProblem::FileMissing ? kFailed : kNotStarted);
}

// A window that is starting holds its lock before it listens; it is given a few seconds. One
// that listens but does not take the file (it is exiting, or does not answer) is not waited for.
bool handOverToRunningWindow(const std::string& programFolder, const std::string& file)
{
    const auto socket = handoverSocketPath(programFolder);
    if (!socket)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (true) {
        switch (handOver(*socket, file)) {
        case Handover::Taken: return true;
        case Handover::Refused: return false;
        case Handover::NoWindow: break;
        }
        if (!instanceRunning(programFolder) || std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

// The plan to start, or nothing after its failure's line on standard error. Printing a
// command needs no emulator, starting one does.
std::optional<kl::LaunchPlan> planOrFailure(const std::string& programFolder, const std::string& file, int& status,
                                            bool toStart = true)
{
    kl::LaunchPlan start = plan(programFolder, file);
    if (!toStart && start.problem == kl::LaunchProblem::EmulatorNotFound)
        start.problem = kl::LaunchProblem::None;
    if (start.problem == kl::LaunchProblem::None)
        return start;
    status = failed(start, file);
    return std::nullopt;
}

}  // namespace

int runFile(const std::string& programFolder, const std::string& file)
{
    int status = 0;
    const auto start = planOrFailure(programFolder, file, status);
    if (!start)
        return status;
    std::string error;
    const kl::ConfigLocation location = kl::configLocation(programFolder);
    std::optional<kl::Sha1> game;
    // The session counts from the start, as a watched one does: the moment the launcher learns
    // that the emulator runs may come after the emulator's first moments on a busy machine.
    const auto started = std::chrono::steady_clock::now();
    // Recorded once the game runs: a game played for an hour is the most recent one meanwhile.
    // Its key is read meanwhile too, while the file is surely where it was started from.
    const auto exit = kl::runAndWait(start->command, error, [&] {
        kl::recordRecentGame(location, file);
        game = start->playKey ? start->playKey : kl::playKeyOf(file);
    });
    if (!exit)
        return failed(kl::failedPlan(kl::LaunchProblem::EmulatorNotFound), file, error);
    kl::endSession(location, game, file, started);
    return *exit;
}

int printCommand(const std::string& programFolder, const std::string& file)
{
    int status = 0;
    const auto start = planOrFailure(programFolder, file, status, false);
    if (!start)
        return status;
    const std::string text = kl::shellCommand(start->command);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

int listWine(const std::string& programFolder)
{
    const kl::StartEnvironment environment = kl::startEnvironmentFor(kl::configLocation(programFolder));
    const std::vector<kl::WineBuild> builds = kl::findWineBuilds(kl::wineSearchOf(environment));
    const auto used = kl::chooseWine(environment, builds);
    const bool found = used && (used->from == kl::WineToUse::From::Chosen || used->from == kl::WineToUse::From::Found);
    // One line a build, whatever its folder's name holds.
    const auto field = [](std::string text) {
        for (char& c : text)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
                c = '?';
        return text;
    };
    std::string text;
    for (const kl::WineBuild& build : builds) {
        text += found && used->program == build.program ? "* " : "  ";
        text += field(build.name) + '\t' + field(build.program) + '\n';
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

int openFile(int argc, char** argv, const std::string& programFolder, const std::string& file)
{
    if (handOverToRunningWindow(programFolder, file))
        return 0;
    kl::LaunchPlan start = plan(programFolder, file);
    if (start.problem == kl::LaunchProblem::None
        && !kl::startGame(start.command, kl::sessionWatcherIn(programFolder), file, start.playKey))
        start.problem = kl::LaunchProblem::EmulatorNotFound;
    if (start.problem == kl::LaunchProblem::None) {
        kl::recordRecentGame(kl::configLocation(programFolder), file);
        return 0;
    }
    const std::string message = kl::launchProblemText(start, file);
    int status = kFailed;
    if (start.problem == kl::LaunchProblem::NoWindowsPath || start.problem == kl::LaunchProblem::PatchRefused) {
        // As with --run, for whoever started it; a file manager's user still gets the box.
        status = fail(message, kNotStarted);
        if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            return status;
    }
    // Only a failure needs the display.
    QtArguments qtArguments(argc, argv);
    QApplication app(qtArguments.count(), qtArguments.values());
    QtPlatform().messageBox(nullptr, shown(fromBytes(message)), MessageStyle::Critical, QStringLiteral("Error"));
    return status;
}
