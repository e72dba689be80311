// Entry point: the window (one per user and program folder), or a ROM file from outside.
#include <QApplication>
#include <QSessionManager>
#include <QTimer>

#include <cstdio>

#include "cli/arguments.h"
#include "bytes.h"
#include "cli/cli.h"
#include "cli/desktop_install.h"
#include "browser/startup_listing.h"
#include "window/frmkl.h"
#include "ipc/handover.h"
#include "platform.h"
#include "ipc/single_instance.h"
#include "ipc/stop_signals.h"

int main(int argc, char** argv)
{
    dropQtLocaleNotice();
    const std::string folder = runningProgramFolder();
    const Invocation call = parseArguments(argc, argv);
    switch (call.mode) {
    case Invocation::Mode::Finished: return call.status;
    case Invocation::Mode::Run: return runFile(folder, call.file);
    case Invocation::Mode::PrintCommand: return printCommand(folder, call.file);
    case Invocation::Mode::Open: return openFile(argc, argv, folder, call.file);
    case Invocation::Mode::ListWine: return listWine(folder);
    case Invocation::Mode::InstallDesktopEntry: return installDesktopEntry(folder);
    case Invocation::Mode::RemoveDesktopEntry: return removeDesktopEntry();
    case Invocation::Mode::Window: break;
    }
    // A second instance ends here: no window, no file read or written.
    const InstanceLock lock = acquireSingleInstanceLock(folder);
    if (lock == InstanceLock::HeldByAnother)
        return 0;
    if (lock == InstanceLock::Unavailable)
        std::fputs("kalmora-launcher: no private runtime folder; this window runs without single-instance and "
                   "hand-over\n", stderr);
    kl::FolderPrefetch prefetch(folder);  // reads the ROM folder while Qt and the window start

    QtArguments qtArguments(argc, argv);
    QApplication app(qtArguments.count(), qtArguments.values());
    QApplication::setApplicationName(QStringLiteral("Kalmora Launcher"));
    QApplication::setDesktopFileName(QStringLiteral("org.example.kalmora_launcher"));

    QtPlatform platform(kl::sessionWatcherIn(folder));
    frmKL window(platform, fromBytes(folder), &prefetch);
    window.Form_Load();
    window.show();
    // After the first paint is queued: nothing of it may delay the window.
    QTimer::singleShot(0, &window, &frmKL::makeWineReady);
    HandoverServer handover;
    takeHandedFiles(handover, window);
    if (const auto socket = handoverSocketPath(folder); socket && lock == InstanceLock::Held)
        handover.listen(*socket);
    // Every ending the program sees goes through its exit: a logout's or a closed terminal's
    // signal, and the X11 session manager's request before a logout.
    StopSignals stops;
    QObject::connect(&stops, &StopSignals::stopRequested, &window, &frmKL::endBySignal);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&window] { window.commitSessionData(); });
    const int status = app.exec();
    if (stops.received() != 0)
        StopSignals::endBy(stops.received());
    return status;
}
