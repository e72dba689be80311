// The desktop services the window needs, behind one interface so tests can answer them.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "launch/command_line.h"
#include "launch/session_watch.h"
#include "launch/wine_ready.h"
#include "pictures/picture_settings.h"

class QAction;
class QMenu;
class QWidget;

enum class MessageStyle { Critical = 16, Question = 36, Information = 64 };
enum class MessageAnswer { Ok = 1, Yes = 6, No = 7 };

class Platform {
public:
    virtual ~Platform() = default;

    // Modal; Critical and Information have an OK button, Question has Yes and No (Yes default).
    virtual MessageAnswer messageBox(QWidget* owner, const QString& text, MessageStyle style, const QString& title) = 0;
    // Modal, with an empty field; Cancel gives the empty text.
    virtual QString inputBox(QWidget* owner, const QString& prompt, const QString& title) = 0;
    // A folder picker that starts at the top of the tree; empty on cancel.
    virtual QString browseForFolder(QWidget* owner, const QString& prompt) = 0;
    // Starts a game's emulator from an argument vector, without a shell and without waiting;
    // the session is recorded as the file's play time once the emulator ends (under the
    // patched image's key where the plan gave one).
    virtual bool startDetached(const kl::LaunchCommand& command, const std::string& romPath,
                               const std::optional<kl::Sha1>& playKey) = 0;
    // Hands a local file path or a web address to the desktop; false when it refused.
    virtual bool openWithShell(const QString& pathOrAddress) = 0;
    // A non-modal window about one file, owned by the given window.
    virtual void showFileProperties(QWidget* owner, const QString& path) = 0;
    virtual QRect screenGeometry(QWidget* window) = 0;
    // Opens the menu with its default item shown bold: at the mouse position, or, asked for by
    // keyboard, at the given point with the keyboard on the default item.
    virtual void popupMenu(QMenu* menu, QAction* defaultItem, std::optional<QPoint> byKeyboardAt = {}) = 0;
    // Ends the program; no handler of the window runs afterwards.
    virtual void endProgram() = 0;
    // Makes Wine ready in the background; returns at once.
    virtual void prepareWine(const kl::WineWarmUp& warmUp) = 0;
    // Config > Pictures...: the settings as the user leaves the dialog with OK; nothing on Cancel.
    virtual std::optional<kl::PictureSettings> pictureSettingsDialog(QWidget* owner,
                                                                     const kl::PictureSettings& current) = 0;
};

// The real desktop.
class QtPlatform : public Platform {
public:
    // Without a watcher, games start unwatched and no play time is kept.
    explicit QtPlatform(std::optional<kl::SessionWatcher> watcher = {}) : m_watcher(std::move(watcher)) {}
    MessageAnswer messageBox(QWidget* owner, const QString& text, MessageStyle style, const QString& title) override;
    QString inputBox(QWidget* owner, const QString& prompt, const QString& title) override;
    QString browseForFolder(QWidget* owner, const QString& prompt) override;
    bool startDetached(const kl::LaunchCommand& command, const std::string& romPath,
                       const std::optional<kl::Sha1>& playKey) override;
    bool openWithShell(const QString& pathOrAddress) override;
    void showFileProperties(QWidget* owner, const QString& path) override;
    QRect screenGeometry(QWidget* window) override;
    void popupMenu(QMenu* menu, QAction* defaultItem, std::optional<QPoint> byKeyboardAt = {}) override;
    void endProgram() override;
    void prepareWine(const kl::WineWarmUp& warmUp) override;
    std::optional<kl::PictureSettings> pictureSettingsDialog(QWidget* owner,
                                                             const kl::PictureSettings& current) override;

private:
    std::optional<kl::SessionWatcher> m_watcher;
    bool m_wineReady = false;
};

// The arguments QApplication is given: the program's own, and "-platform xcb" under the Steam
// Deck's game mode (gamescope, which sets GAMESCOPE_WAYLAND_DISPLAY), where Qt's Wayland
// platform fails, unless the user chose a platform with QT_QPA_PLATFORM. An argument rather
// than a variable: nothing of it may reach the programs the launcher starts.
class QtArguments {
public:
    QtArguments(int argc, char** argv);
    int& count() { return m_count; }
    char** values() { return m_values.data(); }

private:
    std::vector<char*> m_values;
    int m_count = 0;
};
