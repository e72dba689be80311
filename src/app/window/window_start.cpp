// The plain start: the window, once per user and program folder, with the hand-over, the
// stop signals and Wine made ready.
#include "window_start.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>

#include <cstdio>

#include "bytes.h"
#include "browser/startup_listing.h"
#include "window/frmkl.h"
#include "ipc/handover.h"
#include "platform.h"
#include "ipc/single_instance.h"
#include "ipc/stop_signals.h"

int runWindow(int argc, char** argv, const std::string& folder)
{
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
