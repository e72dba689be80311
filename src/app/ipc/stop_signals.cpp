// A self-pipe: the handler only writes the signal's number, which is async-signal-safe; Qt is
// called from the event loop, never from the handler.
#include "stop_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kStops[] = {SIGTERM, SIGHUP, SIGINT};
int g_pipe[2] = {-1, -1};

void onStop(int signal)
{
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const auto written = ::write(g_pipe[1], &number, 1);
    errno = saved;
}

}  // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent)
{
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;  // the signals keep their default action: the process ends as before
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readPipe);
    for (const int s : kStops) {
        struct sigaction old {};
        ::sigaction(s, nullptr, &old);
        if (old.sa_handler == SIG_IGN)
            continue;
        struct sigaction stop {};
        stop.sa_handler = onStop;
        stop.sa_flags = SA_RESTART;
        sigemptyset(&stop.sa_mask);
        ::sigaction(s, &stop, nullptr);
    }
}

StopSignals::~StopSignals()
{
    for (const int s : kStops) {
        struct sigaction current {};
        ::sigaction(s, nullptr, &current);
        if (current.sa_handler == onStop)
            ::signal(s, SIG_DFL);
    }
}

void StopSignals::readPipe()
{
    unsigned char number = 0;
    while (::read(g_pipe[0], &number, 1) == 1) {
        // A second signal while the first one's exit runs changes nothing: the saves finish.
        if (m_received != 0)
            continue;
        m_received = number;
        emit stopRequested(number);
    }
}

void StopSignals::endBy(int signal)
{
    ::signal(signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    std::_Exit(128 + signal);  // not reached unless the signal was held back elsewhere
}
