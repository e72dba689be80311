// fork and execve with an error channel, so a failed start is known before the call returns.
#include "process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <string_view>
#include <vector>

extern char** environ;

namespace kl {

namespace {

// What a front-end stops a game with; --run passes each on to the emulator.
constexpr int kPassedOn[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT};

// Between a fork and an exec, as the children below need them: async-signal-safe calls only.
void standardStreamsToNull()
{
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; null >= 0 && fd < 3; ++fd)
        ::dup2(null, fd);
    if (null > 2)
        ::close(null);
}

void unblockAllSignals()
{
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

// Everything the child needs is prepared before the fork: after it, only async-signal-safe
// calls are allowed in a process that may have other threads, so the program is an absolute
// path (execve, no PATH search, no fall-back to a shell) and the descriptor limit is known.
struct ExecImage {
    std::vector<char*> argv;
    const char* program;
    const char* folder;
    std::vector<std::string> changedVariables;
    std::vector<char*> changedEnvironment;
    char** environment = environ;
    int descriptorLimit;
    bool nullStreams = false;  // the standard descriptors on /dev/null
    int output = -1;           // then standard output to this descriptor instead

    explicit ExecImage(const LaunchCommand& command, Streams streams = Streams::Inherited)
        : program(command.program.c_str()),
          folder(command.workingDirectory.empty() ? nullptr : command.workingDirectory.c_str())
    {
        argv.push_back(const_cast<char*>(command.program.c_str()));
        for (const std::string& a : command.arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        nullStreams = streams == Streams::Null;
        if (!command.environment.empty())
            changeEnvironment(command.environment);
        rlimit limit{};
        descriptorLimit = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
                              ? static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 1 << 20))
                              : 1 << 16;
    }

    ExecImage(const ExecImage&) = delete;
    ExecImage& operator=(const ExecImage&) = delete;

    // The launcher's environment with the command's changes; the child only hands it on.
    void changeEnvironment(const std::vector<EnvironmentChange>& changes)
    {
        const auto changed = [&](std::string_view entry) {
            const std::string_view name = entry.substr(0, entry.find('='));
            return std::any_of(changes.begin(), changes.end(), [&](const auto& c) { return c.name == name; });
        };
        for (char** e = environ; e && *e; ++e)
            if (!changed(*e))
                changedEnvironment.push_back(*e);
        for (const EnvironmentChange& change : changes)
            if (change.value)
                changedVariables.push_back(change.name + '=' + *change.value);
        for (std::string& variable : changedVariables)
            changedEnvironment.push_back(variable.data());
        changedEnvironment.push_back(nullptr);
        environment = changedEnvironment.data();
    }

    // Descriptors that Qt, its plugins, the lock or the caller left without close-on-exec
    // are no business of the emulator's (nor of Wine's, nor of a watcher's).
    void closeOnExec() const
    {
        if (::syscall(SYS_close_range, 3U, ~0U, 4U /* CLOSE_RANGE_CLOEXEC */) != 0)
            for (int fd = 3; fd < descriptorLimit; ++fd)
                ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }

    // In the child: never returns; the errno of a failure goes down the channel, which is
    // itself closed by the exec.
    [[noreturn]] void exec(int channel) const
    {
        closeOnExec();
        // The emulator starts with the signals as a shell would give them: none blocked, and a
        // broken pipe or a child's end at their defaults rather than ignored as a GUI program
        // or its caller may have them.
        ::signal(SIGPIPE, SIG_DFL);
        ::signal(SIGCHLD, SIG_DFL);
        unblockAllSignals();
        if (nullStreams) {
            standardStreamsToNull();
            if (output >= 0)
                ::dup2(output, 1);
        }
        int error = 0;
        if (folder && ::chdir(folder) != 0)
            error = errno;
        else {
            ::execve(program, argv.data(), environment);
            error = errno;
        }
        [[maybe_unused]] const auto written = ::write(channel, &error, sizeof error);
        ::_exit(127);
    }
};

// The errno the child sent, or 0 when the channel closed on a successful exec.
int readChannel(int fd)
{
    int error = 0;
    ssize_t n;
    do
        n = ::read(fd, &error, sizeof error);
    while (n < 0 && errno == EINTR);
    ::close(fd);
    return n == static_cast<ssize_t>(sizeof error) ? error : 0;
}

pid_t waitFor(pid_t pid, int& status)
{
    pid_t r;
    do
        r = ::waitpid(pid, &status, 0);
    while (r < 0 && errno == EINTR);
    return r;
}

// While --run waits, a stop signal for the launcher is meant for the game.
volatile sig_atomic_t g_emulator = 0;
void passOn(int signal)
{
    if (g_emulator > 0)
        ::kill(static_cast<pid_t>(g_emulator), signal);
}

// The signal set-up of a wait, undone when it ends: children are waited for even when the
// caller ignored SIGCHLD (which would make the kernel reap them), and the stop signals that
// the caller did not ignore are passed on. They are blocked until the emulator is known.
class PassingOn {
public:
    PassingOn()
    {
        struct sigaction wait {};
        wait.sa_handler = SIG_DFL;
        sigemptyset(&wait.sa_mask);
        ::sigaction(SIGCHLD, &wait, &m_child);
        sigset_t stops;
        sigemptyset(&stops);
        for (const int s : kPassedOn)
            sigaddset(&stops, s);
        ::sigprocmask(SIG_BLOCK, &stops, &m_mask);
        struct sigaction pass {};
        pass.sa_handler = passOn;  // no SA_RESTART: the wait is simply resumed
        sigemptyset(&pass.sa_mask);
        for (std::size_t i = 0; i < std::size(kPassedOn); ++i) {
            ::sigaction(kPassedOn[i], nullptr, &m_old[i]);
            m_installed[i] = m_old[i].sa_handler != SIG_IGN;  // nohup and friends stay obeyed
            if (m_installed[i])
                ::sigaction(kPassedOn[i], &pass, nullptr);
        }
    }
    ~PassingOn()
    {
        for (std::size_t i = 0; i < std::size(kPassedOn); ++i)
            if (m_installed[i])
                ::sigaction(kPassedOn[i], &m_old[i], nullptr);
        g_emulator = 0;
        ::sigprocmask(SIG_SETMASK, &m_mask, nullptr);
        ::sigaction(SIGCHLD, &m_child, nullptr);
    }
    PassingOn(const PassingOn&) = delete;
    PassingOn& operator=(const PassingOn&) = delete;

    // In the child, before it unblocks: the emulator starts with the caller's dispositions.
    void undoInChild() const
    {
        for (std::size_t i = 0; i < std::size(kPassedOn); ++i)
            if (m_installed[i])
                ::signal(kPassedOn[i], SIG_DFL);
    }
    // In the launcher, once the emulator runs: what arrived meanwhile is passed on now.
    void passTo(pid_t emulator)
    {
        g_emulator = emulator;
        sigset_t stops;
        sigemptyset(&stops);
        for (const int s : kPassedOn)
            sigaddset(&stops, s);
        ::sigprocmask(SIG_UNBLOCK, &stops, nullptr);
    }

private:
    struct sigaction m_child {};
    struct sigaction m_old[std::size(kPassedOn)] {};
    bool m_installed[std::size(kPassedOn)] {};
    sigset_t m_mask {};
};

// The watcher's exec, prepared like the program's: only the program's process id is written
// in after the fork, by hand, since formatting is not async-signal-safe.
struct WatcherImage {
    ExecImage image;
    char pid[24] {};

    explicit WatcherImage(const LaunchCommand& watcher) : image(watcher)
    {
        image.argv.back() = pid;
        image.argv.push_back(nullptr);
    }

    // In the program's parent, once the program is forked: never returns. A watcher that
    // cannot start leaves the program unwatched; the start itself succeeded.
    [[noreturn]] void exec(pid_t program)
    {
        char digits[sizeof pid];
        std::size_t n = 0;
        for (auto value = static_cast<unsigned long>(program); n == 0 || value > 0; value /= 10)
            digits[n++] = static_cast<char>('0' + value % 10);
        for (std::size_t i = 0; i < n; ++i)
            pid[i] = digits[n - 1 - i];
        pid[n] = '\0';
        standardStreamsToNull();
        image.closeOnExec();
        unblockAllSignals();
        if (::chdir("/") == 0)
            ::execve(image.program, image.argv.data(), image.environment);
        ::_exit(0);
    }
};

bool startInOwnSession(const LaunchCommand& command, Streams streams, WatcherImage* watcher)
{
    const ExecImage image(command, streams);
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0)
        return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        return false;
    }
    if (child == 0) {
        // The middle process ends at once, so the emulator (or its watcher) is adopted by
        // init and never lingers as the launcher's zombie; its own session keeps it out of
        // our signals.
        ::close(channel[0]);
        ::setsid();
        pid_t grandchild = ::fork();
        if (grandchild == 0 && watcher) {
            // The watcher-to-be: the program's parent. A child's end must not be ignored here,
            // or the kernel would reap the program before the watcher could see it end.
            ::signal(SIGCHLD, SIG_DFL);
            const pid_t program = ::fork();
            if (program == 0)
                image.exec(channel[1]);
            if (program > 0)
                watcher->exec(program);
            grandchild = program;  // not forked: reported below
        } else if (grandchild == 0) {
            image.exec(channel[1]);
        }
        if (grandchild < 0) {
            const int error = errno;
            [[maybe_unused]] const auto written = ::write(channel[1], &error, sizeof error);
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    int status = 0;
    waitFor(child, status);
    return readChannel(channel[0]) == 0;
}

// In the chain's own process, a fork of the launcher that never execs until its second
// step: it must hold nothing of the launcher's (the single-instance lock above all, which
// would outlive the window), nor answer the launcher's stop signals with its handlers.
void becomeBareChain(int descriptorLimit)
{
    if (::syscall(SYS_close_range, 3U, ~0U, 0U) != 0)  // a kernel before 5.9, or a filter
        for (int fd = 3; fd < descriptorLimit; ++fd)
            ::close(fd);
    standardStreamsToNull();
    for (const int s : kPassedOn)
        ::signal(s, SIG_DFL);
    ::signal(SIGCHLD, SIG_DFL);
}

// The first step's exit, waited for by polling (waitpid and nanosleep are async-signal-safe)
// for at most `seconds`; false when it did not end in time or could not be waited for.
bool endedWithin(pid_t pid, int seconds)
{
    const timespec tick{0, 50'000'000};
    for (long waited = 0; waited < seconds * 20L; ++waited) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return true;
        if (r < 0 && errno != EINTR)
            return false;
        ::nanosleep(&tick, nullptr);
    }
    return false;
}

}  // namespace

bool startDetachedChain(const LaunchCommand& first, int firstSeconds, const LaunchCommand& then)
{
    const ExecImage firstImage(first, Streams::Null);
    const ExecImage thenImage(then, Streams::Null);
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // As in startInOwnSession: the middle process ends at once, and the chain, adopted by
        // init in a session of its own, goes on however long the first step takes.
        ::setsid();
        if (::fork() == 0) {
            becomeBareChain(firstImage.descriptorLimit);
            const pid_t step = ::fork();
            if (step == 0)
                firstImage.exec(-1);
            if (step > 0 && endedWithin(step, firstSeconds))
                thenImage.exec(-1);
        }
        ::_exit(0);
    }
    int status = 0;
    waitFor(child, status);
    return true;
}

bool startDetached(const LaunchCommand& command) { return startDetached(command, Streams::Inherited); }

bool startDetached(const LaunchCommand& command, Streams streams) { return startInOwnSession(command, streams, nullptr); }

bool startDetached(const LaunchCommand& command, const LaunchCommand& watcher)
{
    WatcherImage image(watcher);
    return startInOwnSession(command, Streams::Inherited, &image);
}

std::optional<int> runAndWait(const LaunchCommand& command, std::string& error, const std::function<void()>& started)
{
    const ExecImage image(command);
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    PassingOn signals;
    const pid_t child = ::fork();
    if (child < 0) {
        error = std::strerror(errno);
        ::close(channel[0]);
        ::close(channel[1]);
        return std::nullopt;
    }
    if (child == 0) {
        ::close(channel[0]);
        signals.undoInChild();
        image.exec(channel[1]);
    }
    signals.passTo(child);
    ::close(channel[1]);
    const int startError = readChannel(channel[0]);
    if (startError == 0 && started)
        started();
    int status = 0;
    if (waitFor(child, status) < 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    if (startError != 0) {
        error = std::strerror(startError);
        return std::nullopt;
    }
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

std::optional<int> runQuietly(const LaunchCommand& command)
{
    const ExecImage image(command, Streams::Null);
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        return std::nullopt;
    }
    if (child == 0) {
        ::close(channel[0]);
        image.exec(channel[1]);
    }
    ::close(channel[1]);
    const int startError = readChannel(channel[0]);
    int status = 0;
    if (waitFor(child, status) < 0 || startError != 0)
        return std::nullopt;
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

std::optional<std::string> outputOf(const LaunchCommand& command)
{
    ExecImage image(command, Streams::Null);
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return std::nullopt;
    image.output = out[1];
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        image.exec(channel[1]);
    }
    ::close(out[1]);
    ::close(channel[1]);
    std::string text;
    if (child > 0) {
        char buffer[4096];
        ssize_t n;
        while (text.size() < sizeof buffer
               && ((n = ::read(out[0], buffer, sizeof buffer - text.size())) > 0 || (n < 0 && errno == EINTR)))
            if (n > 0)
                text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    if (child < 0) {
        ::close(channel[0]);
        return std::nullopt;
    }
    const int startError = readChannel(channel[0]);
    int status = 0;
    if (waitFor(child, status) < 0 || startError != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return text;
}

}  // namespace kl
