// The watcher's command line and its work: wait for the emulator, then record the session.
#include "session_watch.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <sys/wait.h>

#include "../config/play_times.h"
#include "../file_kind.h"
#include "../paths.h"
#include "patched_start.h"
#include "process.h"

namespace kl {

namespace {

template <class Number>
std::optional<Number> numberOf(const char* text)
{
    Number value{};
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    if (error != std::errc() || stop != end || end == text)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<SessionWatcher> sessionWatcherIn(const std::string& programFolder)
{
    std::string program = joinAlways(programFolder, kWatcherName, kNativeStyle);
    if (!isExecutableFile(program))
        return std::nullopt;
    return SessionWatcher{std::move(program), programFolder};
}

bool startGame(const LaunchCommand& command, const std::optional<SessionWatcher>& watcher, const std::string& romPath,
               const std::optional<Sha1>& playKey)
{
    if (!watcher || romPath.empty())
        return startDetached(command);
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    LaunchCommand watch{watcher->program,
                        {watcher->programFolder, romPath,
                         std::to_string(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count())},
                        "/",
                        {}};
    if (playKey)
        watch.arguments.push_back(sha1Hex(*playKey));
    return startDetached(command, watch);
}

bool endSession(const ConfigLocation& location, const std::optional<Sha1>& game, const std::string& romPath,
                std::chrono::steady_clock::time_point started)
{
    if (!game)
        return false;
    const auto end = std::chrono::system_clock::now();
    return recordSession(location, {*game, romPath, std::chrono::steady_clock::now() - started,
                                    std::chrono::duration_cast<std::chrono::seconds>(end.time_since_epoch()).count()});
}

int watchSession(int argc, const char* const* argv)
{
    if (argc != 5 && argc != 6)
        return 2;
    const std::string programFolder = argv[1];
    const std::string romPath = argv[2];
    const auto started = numberOf<std::int64_t>(argv[3]);
    const auto emulator = numberOf<pid_t>(argv[argc - 1]);
    const std::optional<Sha1> given = argc == 6 ? sha1OfHex(argv[4]) : std::nullopt;
    if (programFolder.empty() || romPath.empty() || romPath.front() != '/' || !started || !emulator || *emulator <= 0
        || (argc == 6 && !given))
        return 2;
    // A logout ends the emulator and its watcher alike; the watcher outlives it by the moment
    // it takes to record what was played.
    for (const int s : {SIGTERM, SIGHUP, SIGINT, SIGPIPE})
        ::signal(s, SIG_IGN);
    // Read while the game starts: the file may be moved or renamed while it is played.
    const std::optional<Sha1> game = given ? given : playKeyOf(romPath);
    int status = 0;
    pid_t r;
    do
        r = ::waitpid(*emulator, &status, 0);
    while (r < 0 && errno == EINTR);
    if (r < 0)
        return 2;  // not a child of ours: no start of the launcher's
    endSession(configLocation(programFolder), game, romPath,
               std::chrono::steady_clock::time_point(std::chrono::nanoseconds(*started)));
    return 0;
}

}  // namespace kl
