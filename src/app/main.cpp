// Entry point: the single-instance check, then the window from the program folder.
#include <QApplication>

#include "bytes.h"
#include "frmkl.h"
#include "platform.h"
#include "single_instance.h"

int main(int argc, char** argv)
{
    const std::string folder = runningProgramFolder();
    // A second instance ends here: no window, no file read or written.
    if (!acquireSingleInstanceLock(folder))
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalmora Launcher"));
    QApplication::setDesktopFileName(QStringLiteral("org.example.kalmora_launcher"));

    QtPlatform platform;
    frmKL window(platform, fromBytes(folder));
    window.Form_Load();
    window.show();
    return app.exec();
}
