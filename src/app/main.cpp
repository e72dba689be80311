// Entry point: the single-instance check, then the window from the program folder.
#include <QApplication>

#include "browser/startup_listing.h"
#include "frmkl.h"
#include "platform.h"
#include "single_instance.h"

int main(int argc, char** argv)
{
    const std::string folder = runningProgramFolder();
    // A second instance ends here: no window, no file read or written.
    if (!acquireSingleInstanceLock(folder))
        return 0;
    kl::FolderPrefetch prefetch(folder);  // reads the ROM folder while Qt and the window start

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalmora Launcher"));
    QApplication::setDesktopFileName(QStringLiteral("kalmora-launcher"));

    QtPlatform platform;
    frmKL window(platform, QString::fromStdString(folder), &prefetch);
    window.Form_Load();
    window.show();
    return app.exec();
}
