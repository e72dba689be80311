// The window's controls, tabs, menus and tab order in the reference layout, and the plain
// struct of control pointers that the window and the tests reach them through (the role a
// designer's generated form class plays). Controls are named as documented; arrays are
// indexed from 1.
#pragma once

#include <QColor>

#include <array>
#include <cstdint>

class CheckBox;
class EvenTabBar;
class FileListBox;
class LinkLabel;
class PicturePane;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QObject;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;
class TrackingGroupBox;

// Link colours, 0x00BBGGRR.
inline constexpr std::uint32_t kLinkHoverColor = 0x00FF0000;
inline constexpr std::uint32_t kLinkNormalColor = 0x00C00000;
inline constexpr std::uint32_t kLinkFirstColor = 0x00800000;
QColor bgr(std::uint32_t value);

inline constexpr int kRecentItems = 10;

struct WindowControls {
    FileListBox* lstFiles = nullptr;
    QTabWidget* tabGUI = nullptr;
    EvenTabBar* tabStrip = nullptr;
    QPushButton* cmdLaunch = nullptr;
    QPushButton* cmdHelp = nullptr;
    QPushButton* cmdExit = nullptr;
    QLabel* lblStatus = nullptr;

    QRadioButton* optWindow = nullptr;
    QRadioButton* opt320x200 = nullptr;
    QRadioButton* opt640x480 = nullptr;
    QRadioButton* opt800x600 = nullptr;
    QRadioButton* opt1024x768 = nullptr;
    CheckBox* chkHStretch = nullptr;
    std::array<QRadioButton*, 7> opt3DMode{};
    QComboBox* cmbPalette = nullptr;
    QComboBox* cmbBrightness = nullptr;
    CheckBox* chkFlip = nullptr;
    QComboBox* cmbZoom = nullptr;
    QComboBox* cmbFrameSkip = nullptr;
    CheckBox* chkNoThrottle = nullptr;

    std::array<QRadioButton*, 3> optKeyLayout{};
    CheckBox* chkJoystick = nullptr;
    QGroupBox* fmPreview = nullptr;
    std::array<QLabel*, 9> lblKeyDesc{};
    std::array<QLabel*, 9> lblKey{};
    QComboBox* cmbVBController = nullptr;

    CheckBox* chkForceTimer = nullptr;
    CheckBox* chkFixVF = nullptr;
    CheckBox* chkDisplayFPS = nullptr;
    CheckBox* chkEnableDebug = nullptr;
    CheckBox* chkGenerateDisam = nullptr;
    CheckBox* chkOutputDebug = nullptr;

    QLineEdit* txtEmuPath = nullptr;
    QPushButton* cmdBrowseEmu = nullptr;
    QLineEdit* txtRomPath = nullptr;
    QPushButton* cmdBrowseRom = nullptr;

    TrackingGroupBox* fmOnTheWeb = nullptr;
    std::array<LinkLabel*, 4> lblURL{};

    QMenu* mnuFile = nullptr;
    QAction* mnuFileLaunch = nullptr;
    QAction* mnuFileRename = nullptr;
    QAction* mnuFileDelete = nullptr;
    QAction* mnuFileProperties = nullptr;
    QAction* mnuFileKeepOptions = nullptr;
    QAction* mnuFileForgetOptions = nullptr;
    QAction* mnuFileAddToMenu = nullptr;
    QAction* mnuFileRemoveFromMenu = nullptr;
    QMenu* mnuFileRecent = nullptr;
    std::array<QAction*, kRecentItems + 1> mnuFileRecentGame{};
    QAction* mnuFileRecentClear = nullptr;
    QAction* mnuFileExit = nullptr;
    std::array<QAction*, 5> mnuViewFileType{};
    QAction* mnuViewPicture = nullptr;  // View > Game picture: the pane beside the tabs
    QAction* mnuViewRefresh = nullptr;
    QAction* mnuConfigResetEmu = nullptr;
    QAction* mnuConfigResetGUI = nullptr;
    QAction* mnuConfigResetBoth = nullptr;
    QMenu* mnuConfigWine = nullptr;
    QAction* mnuConfigPictures = nullptr;
    PicturePane* picPane = nullptr;  // filled each time it opens: the Wine builds found then
    std::array<QAction*, 9> mnuWindowTheme{};
    QAction* mnuWindowThemeDefault = nullptr;
    QAction* mnuWindowMinimize = nullptr;
    QAction* mnuHelpReadme = nullptr;
    QAction* mnuHelpHistory = nullptr;
    QMenu* popMenu = nullptr;
    QAction* popLaunch = nullptr;
    QAction* popRename = nullptr;
    QAction* popDelete = nullptr;
    QAction* popProperties = nullptr;
    QAction* popKeepOptions = nullptr;
    QAction* popForgetOptions = nullptr;
    QAction* popAddToMenu = nullptr;
    QAction* popRemoveFromMenu = nullptr;
    QAction* popForgetPlayTime = nullptr;
    QAction* popRefresh = nullptr;

protected:
    // Makes every control in the window; the tab pages' and the strip's mouse moves go to
    // the watcher. Nothing is connected yet.
    void buildControls(QMainWindow& window, QObject* mouseWatcher);
    // The pane beside the tabs shown or hidden: the window grows by it, the status line with it;
    // hidden, every control is where the reference layout puts it.
    void layOutPicturePane(bool shown);

private:
    void buildVideoTab(QWidget* page);
    void buildControlsTab(QWidget* page);
    void buildOptionsTab(QWidget* page);
    void buildDebugTab(QWidget* page);
    void buildPathsTab(QWidget* page);
    void buildAboutTab(QWidget* page);
    void buildStatusPanel(QWidget* central);
    void buildMenus(QMainWindow& window);
    void setTabOrder();
};
