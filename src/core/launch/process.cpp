// fork and exec with an error channel, so a failed start is known before the call returns.
#include "process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace kl {

namespace {

// Everything the child needs is prepared before the fork: after it, only async-signal-safe
// calls are allowed in a process that may have other threads.
struct ExecImage {
    std::vector<char*> argv;
    const char* program;
    const char* folder;

    explicit ExecImage(const LaunchCommand& command)
        : program(command.program.c_str()),
          folder(command.workingDirectory.empty() ? nullptr : command.workingDirectory.c_str())
    {
        argv.push_back(const_cast<char*>(command.program.c_str()));
        for (const std::string& a : command.arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
    }

    // In the child: never returns; the errno of a failure goes down the channel.
    [[noreturn]] void exec(int channel) const
    {
        // The emulator starts with the signals as a shell would give them: none blocked, and a
        // broken pipe ending it rather than ignored as a GUI program may have it.
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGPIPE, SIG_DFL);
        int error = 0;
        if (folder && ::chdir(folder) != 0)
            error = errno;
        else {
            ::execvp(program, argv.data());
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

}  // namespace

bool startDetached(const LaunchCommand& command)
{
    const ExecImage image(command);
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
        // The middle process ends at once, so the emulator is adopted by init and never
        // lingers as the launcher's zombie; its own session keeps it out of our signals.
        ::close(channel[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0)
            image.exec(channel[1]);
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

std::optional<int> runAndWait(const LaunchCommand& command, std::string& error)
{
    const ExecImage image(command);
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        error = std::strerror(errno);
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

}  // namespace kl
