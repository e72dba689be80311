// The Qt implementation of the desktop services.
#include "platform.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <utility>

#include "bytes.h"
#include "launch/process.h"
#include "properties.h"

MessageAnswer QtPlatform::messageBox(QWidget* owner, const QString& message, MessageStyle style, const QString& title)
{
    // The texts break lines with a bare carriage return, which Qt's labels do not show as a break.
    QString text = message;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    switch (style) {
    case MessageStyle::Question:
        return QMessageBox::question(owner, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
                       == QMessageBox::No
                   ? MessageAnswer::No
                   : MessageAnswer::Yes;
    case MessageStyle::Information: QMessageBox::information(owner, title, text); break;
    case MessageStyle::Critical: QMessageBox::critical(owner, title, text); break;
    }
    return MessageAnswer::Ok;
}

QString QtPlatform::inputBox(QWidget* owner, const QString& prompt, const QString& title)
{
    bool ok = false;
    const QString text = QInputDialog::getText(owner, title, prompt, QLineEdit::Normal, QString(), &ok);
    return ok ? text : QString();
}

QString QtPlatform::browseForFolder(QWidget* owner, const QString& prompt)
{
    return QFileDialog::getExistingDirectory(owner, prompt, QStringLiteral("/"), QFileDialog::ShowDirsOnly);
}

// QProcess would pass the names through the locale's codec, which loses bytes that are not UTF-8.
bool QtPlatform::startDetached(const kl::LaunchCommand& command, const std::string& romPath,
                               const std::optional<kl::Sha1>& playKey)
{
    return kl::startGame(command, m_watcher, romPath, playKey);
}

bool QtPlatform::openWithShell(const QString& pathOrAddress)
{
    if (pathOrAddress.startsWith(QLatin1Char('/'))) {
        // xdg-open reports success before it looks at the file, so a missing document is caught here.
        if (!QFileInfo(pathOrAddress).isFile())
            return false;
        return QDesktopServices::openUrl(QUrl::fromLocalFile(pathOrAddress));
    }
    return QDesktopServices::openUrl(QUrl(pathOrAddress));
}

void QtPlatform::showFileProperties(QWidget* owner, const QString& path)
{
    auto* window = new PropertiesWindow(path, owner);
    window->adjustSize();
    // Over the launcher rather than wherever the desktop puts a new window, if it puts it at all.
    if (owner)
        window->move(owner->frameGeometry().center() - window->rect().center());
    window->show();
}

QRect QtPlatform::screenGeometry(QWidget* window)
{
    QScreen* screen = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

void QtPlatform::popupMenu(QMenu* menu, QAction* defaultItem, std::optional<QPoint> byKeyboardAt)
{
    menu->setDefaultAction(defaultItem);
    if (!byKeyboardAt) {
        menu->exec(QCursor::pos());
        return;
    }
    // Once the menu is up, so that opening it does not clear the active item again.
    QTimer::singleShot(0, menu, [menu, defaultItem] { menu->setActiveAction(defaultItem); });
    menu->exec(*byKeyboardAt);
}

void QtPlatform::endProgram()
{
    QCoreApplication::exit(0);
}

void QtPlatform::prepareWine(const kl::WineWarmUp& warmUp)
{
    // Once a window: the server, kept for minutes, needs no second call.
    if (!std::exchange(m_wineReady, true))
        kl::makeWineReady(warmUp);
}

QtArguments::QtArguments(int argc, char** argv) : m_values(argv, argv + argc)
{
    static char platform[] = "-platform";
    static char xcb[] = "xcb";
    if (!qEnvironmentVariableIsEmpty("GAMESCOPE_WAYLAND_DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        m_values.push_back(platform);
        m_values.push_back(xcb);
    }
    m_count = static_cast<int>(m_values.size());
    m_values.push_back(nullptr);
}
