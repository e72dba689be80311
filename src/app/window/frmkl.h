// The main window: every control, menu and handler of the launcher.
#pragma once

#include <QMainWindow>

#include <functional>
#include <optional>
#include <vector>

#include "binder.h"
#include "rom/catalogue.h"
#include "layout.h"
#include "config/config_location.h"
#include "config/gui_settings.h"
#include "config/options_scope.h"
#include "launch/command_line.h"
#include "launch/launcher.h"
#include "wine/wine_choice.h"
#include "fixed_size.h"
#include "pictures.h"
#include "platform.h"

class Platform;
namespace kl {
class FolderPrefetch;
}

class HandoverServer;
class QLineEdit;

// The controls come from the layout's struct, so the window and the tests name them as the
// documented form does (window.lstFiles).
class frmKL : public QMainWindow, public WindowControls {
    Q_OBJECT
public:
    // The prefetch, when given, holds the ROM folder read ahead; it must outlive Form_Load.
    frmKL(Platform& platform, QString programFolder, kl::FolderPrefetch* prefetch = nullptr,
          QWidget* parent = nullptr);

    // Start-up and shutdown.
    void Form_Load();
    void mnuFileExit_Click();
    void cmdExit_Click();
    // The exit, asked for by a signal: no box can be answered then, so a failed save is one
    // line on standard error, and an open box is closed as if cancelled.
    void endBySignal(int signal);
    // The session manager's request to keep what would be lost at logout: both files are
    // saved, without boxes; the window stays, as the logout may still be cancelled.
    void commitSessionData();
    // Once the window is up: the Wine a launch would use made ready, where there is one.
    void makeWineReady();
    void CenterFormOnScreen();
    // Whether every caption fits its control at the window's current font.
    bool captionsFit() const;

    // Configuration files.
    void LoadEmulatorSettings();
    void SaveEmulatorSettings();
    void LoadGuiSettings();
    void ApplyGuiSettings();
    void SaveGuiSettings();
    kl::GuiSettings guiSettings() const;
    void setGuiSettings(const kl::GuiSettings& gui);
    kl::EmulatorSettings emulatorSettings() const { return m_binder.read(); }

    // Launch and preview.
    // A ROM file handed over by a second start: launched as the launch routine launches,
    // with the file's own folder; the list, its folder and its selection stay as they are.
    void launchHandedFile(const std::string& absolutePath);
    // False once the exit has begun: a file handed over then is left to the second process.
    bool takesHandedFiles() const { return !m_exiting; }
    void mnuFileLaunch_Click();
    void cmdLaunch_Click();
    void cmdHelp_Click();
    void lstFiles_DblClick();
    void popLaunch_Click();
    void mnuWindowMinimize_Click();

    // Option interlocks.
    void opt3DMode_Click(int index);
    void optKeyLayout_Click(int index);

    // ROM folder view, file operations and folder selection.
    void txtRomPath_Change();
    void txtEmuPath_Change();
    void lstFiles_Click();
    void lstFiles_MouseDown(Qt::MouseButton button);
    // The menu key or Shift+F10 on the list: the context menu at the selected file's row.
    void lstFiles_MenuKey();
    void mnuViewFileType_Click(int index);
    void mnuViewRefresh_Click();
    void popRefresh_Click();
    void cmdBrowseEmu_Click();
    void cmdBrowseRom_Click();
    void mnuFileRename_Click();
    void mnuFileDelete_Click();
    void mnuFileProperties_Click();
    void popRename_Click();
    void popDelete_Click();
    void popProperties_Click();

    // Games' own options.
    void mnuFileKeepOptions_Click();
    void mnuFileForgetOptions_Click();
    void popKeepOptions_Click();
    void popForgetOptions_Click();
    // The window's options: the controls, or what they held before a game's own options
    // were shown in them. Settings.ini keeps these.
    kl::EmulatorSettings windowOptions() const;

    // Recent games and the games' entries in the applications menu.
    void mnuFileRecent_Click(int index);
    void mnuFileRecentClear_Click();
    void mnuFileAddToMenu_Click();
    void mnuFileRemoveFromMenu_Click();
    void popAddToMenu_Click();
    void popRemoveFromMenu_Click();
    // Play time.
    void popForgetPlayTime_Click();

    // Resets, themes, help and links.
    void mnuConfigResetEmu_Click();
    void mnuConfigResetGUI_Click();
    void mnuConfigResetBoth_Click();
    // Config > Wine: automatic, then every Wine and Proton build found, the kept one checked.
    void mnuConfigWine_AboutToShow();
    void mnuConfigWine_Click(const std::optional<kl::WineChoice>& choice);
    // View > Game picture and Config > Pictures...: the pane beside the tabs, kept in Pictures.ini.
    void mnuViewPicture_Click();
    void mnuConfigPictures_Click();
    PictureSource& pictures() { return *m_pictures; }
    void mnuWindowTheme_Click(int index);
    void mnuWindowThemeDefault_Click();
    void mnuHelpReadme_Click();
    void mnuHelpHistory_Click();
    void lblURL_Click(int index);
    void lblURL_MouseMove(int index);
    void fmOnTheWeb_MouseMove();
    void tabGUI_MouseMove();

    QString settingsPath() const;
    QString guiPath() const;
    int ShowParametersOnly = 0;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadPictureSettings();
    void usePictureSettings(const kl::PictureSettings& settings);
    void showSelectedPicture();
    // The icon a game's applications menu entry gets: a copy of its picture, where it has one.
    std::string entryIcon(const std::string& romPath);
    // The launch routine's start of a planned command: the error boxes, the status, the recent
    // games and the minimise. The path is the ROM's, absolute. True when the emulator started.
    bool startEmulator(kl::LaunchPlan plan, const std::string& fileName, const std::string& path);
    // Recent games and the applications menu.
    void recordRecentGame(const std::string& romPath);
    void showRecentGames();
    void showEntryItems();
    // The selected game's key where it has play time; its image is read only then.
    std::optional<kl::Sha1> selectedPlayedGame();
    std::string selectedRomPath() const;
    // What a desktop entry starts: this program.
    std::string launcherPath() const;
    // A ROM renamed through the window takes its applications menu entry along.
    void carryGameEntry(const std::string& oldPath, const std::string& newPath);
    std::vector<std::string> m_recentGames;
    // Writes a record into the controls; a write by code is not a change to save to a game.
    void writeOptions(const kl::EmulatorSettings& options);
    // The selected game's own options into the controls, or the window's back.
    void followSelection();
    void optionControlChanged();
    void saveShownGame();
    void showKeepFailed(const std::string& romName);
    void bindSettings();
    void connectHandlers();
    void applyColors(int theme);
    void resetEmulatorOptions();
    void resetGuiOptions();
    bool applyFileTypePattern();
    void openDocument(std::string_view constant);
    // The selected file's name, or nothing after the message that none is selected.
    std::optional<std::string> selectedFile();
    std::string joinedPath(const std::string& name) const;
    void browseInto(QLineEdit* edit, const QString& prompt);
    bool saveConfigFile(bool& damaged, const std::string& path, const std::function<bool()>& write);
    void showError(const QString& text);
    void setStatus(const QString& text);

    Platform& m_platform;
    QString m_programFolder;
    kl::FolderPrefetch* m_prefetch = nullptr;
    kl::ConfigLocation m_config;
    PictureSource* m_pictures = nullptr;
    bool m_picturesKept = true;  // false where Pictures.ini could not be read: it is left as it is
    FixedSizeKeeper* m_sizeKeeper = nullptr;
    SettingsBinder m_binder;
    bool m_exiting = false;
    bool m_unattended = false;  // nobody answers boxes: errors go to standard error
    // Start-up could not use the file: the first save keeps its bytes before replacing it.
    bool m_settingsDamaged = false;
    bool m_guiDamaged = false;
    kl::OptionsScope m_scope;
    bool m_writingOptions = false;
};

// The window takes the files handed over to it, while it is not exiting.
void takeHandedFiles(HandoverServer& server, frmKL& window);
