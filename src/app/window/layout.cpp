// The window's controls in the reference layout: positions in twips, as the layout was drawn.
#include "layout.h"

#include <QComboBox>
#include <QMainWindow>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include "bytes.h"
#include "config/settings_file.h"
#include "help/links.h"
#include "launch/emulator_settings.h"
#include "theme/theme_colors.h"
#include "widgets/controls.h"
#include "widgets/file_list_box.h"
#include "widgets/picture_pane.h"
#include "binder.h"

namespace {

const QString kStarted = QStringLiteral("Status: Kalmora Launcher started");

const char* const kThemeCaptions[] = {"&Beach", "&C-64", "&Gothic", "&Matrix", "&Retro", "R&omance", "&Spring", "S&ummer"};
const char* const kFileTypeCaptions[] = {"&Virtual Boy (*.vb) files", "&Compressed (*.zip) files",
                                         "&Both (*.vb && *.zip) files", "&All (*.*) files"};

// The reference window's width, and the picture pane's beside it, in twips.
constexpr int kFormWidth = 8400;
constexpr int kPaneWidth = 3600;

// Twips to pixels: 15 twips per pixel at 96 dpi; Qt scales for dense screens.
constexpr int px(int twips) { return (twips + 7) / 15; }
QRect twipRect(int left, int top, int width, int height) { return QRect(px(left), px(top), px(width), px(height)); }

// Frames are placed relative to the tab control including its strip; the pages start below it.
constexpr int kFrameTopOnPage = 480;
QRect frameRect(int left, int top, int width, int height)
{
    return QRect(px(left) - 2, px(top - kFrameTopOnPage) + 6, px(width), px(height));
}

template <class W, class... Args>
W* make(QWidget* parent, const char* name, Args&&... args)
{
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QGroupBox* frame(QWidget* page, const char* name, const char* caption, int l, int t, int w, int h)
{
    auto* box = make<QGroupBox>(page, name, QString::fromUtf8(caption));
    box->setGeometry(frameRect(l, t, w, h));
    // A frame takes the mouse moves over it, so the tab's own move handler sees only its background.
    box->setAttribute(Qt::WA_NoMousePropagation);
    return box;
}

QRadioButton* radio(QWidget* parent, const char* name, const char* text, QRect geometry, int index = 0)
{
    auto* b = make<QRadioButton>(parent, name, QString::fromUtf8(text));
    b->setGeometry(geometry);
    if (index)
        b->setProperty("Index", index);
    return b;
}

CheckBox* check(QWidget* parent, const char* name, const char* text, QRect geometry)
{
    auto* c = make<CheckBox>(parent, name, QString::fromUtf8(text));
    c->setGeometry(geometry);
    return c;
}

QComboBox* combo(QWidget* parent, const char* name, QRect geometry, std::span<const std::string_view> items)
{
    auto* c = make<QComboBox>(parent, name);
    c->setGeometry(geometry);
    fillCombo(c, items);
    return c;
}

QAction* item(QMenu* menu, const char* name, const char* caption)
{
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

// The items the File menu and the list's context menu share, in their order, with the
// separators after the first, the third and the last; named by the menu's prefix.
void addFileItems(QMenu* menu, const char* prefix, const char* line, std::array<QAction**, 8> items)
{
    struct Item {
        const char* name;
        const char* caption;
        bool separatorAfter;
    };
    constexpr Item kItems[] = {{"Launch", "&Launch", true},
                               {"Rename", "&Rename", false},
                               {"Delete", "&Delete", true},
                               {"Properties", "&Properties", false},
                               {"KeepOptions", "Keep options for this &game", false},
                               {"ForgetOptions", "&Forget options for this game", false},
                               {"AddToMenu", "Add to applications &menu", false},
                               {"RemoveFromMenu", "Remove from applications men&u", true}};
    int separators = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        *items[i] = item(menu, (QByteArray(prefix) + kItems[i].name).constData(), kItems[i].caption);
        if (kItems[i].separatorAfter)
            menu->addSeparator()->setObjectName(QString::fromLatin1(line) + QString::number(++separators));
    }
}

}  // namespace

QColor bgr(std::uint32_t value) { return QColor(kl::red(value), kl::green(value), kl::blue(value)); }

void WindowControls::buildControls(QMainWindow& window, QObject* mouseWatcher)
{
    auto* central = new QWidget(&window);
    central->setFixedSize(px(8400), px(6525));
    window.setCentralWidget(central);

    lstFiles = make<FileListBox>(central, "lstFiles");
    lstFiles->setGeometry(twipRect(60, 0, 3915, 6135));

    auto* tabs = make<TabControl>(central, "tabGUI");
    tabGUI = tabs;
    tabStrip = tabs->strip();
    tabGUI->setGeometry(twipRect(4050, 0, 4275, 5565));
    const char* captions[] = {"&Video", "&Controls", "&Options", "&Debug", "&Paths", "&About"};
    for (const char* caption : captions) {
        auto* page = new QWidget;
        page->setMouseTracking(true);
        page->installEventFilter(mouseWatcher);
        tabGUI->addTab(page, QString::fromUtf8(caption));
    }
    tabGUI->tabBar()->setMouseTracking(true);
    tabGUI->tabBar()->installEventFilter(mouseWatcher);
    buildVideoTab(tabGUI->widget(0));
    buildControlsTab(tabGUI->widget(1));
    buildOptionsTab(tabGUI->widget(2));
    buildDebugTab(tabGUI->widget(3));
    buildPathsTab(tabGUI->widget(4));
    buildAboutTab(tabGUI->widget(5));

    cmdLaunch = make<QPushButton>(central, "cmdLaunch", QStringLiteral("&Launch emulator"));
    cmdLaunch->setGeometry(twipRect(4055, 5690, 1575, 435));
    cmdHelp = make<QPushButton>(central, "cmdHelp", QStringLiteral("&Show parameter"));
    cmdHelp->setGeometry(twipRect(5795, 5690, 1575, 435));
    cmdExit = make<QPushButton>(central, "cmdExit", QStringLiteral("E&xit"));
    cmdExit->setGeometry(twipRect(7530, 5690, 795, 435));
    for (QPushButton* command : {cmdLaunch, cmdHelp, cmdExit})
        clickAtOnceByAccessKey(command);
    buildStatusPanel(central);
    buildMenus(window);
    setTabOrder();
    picPane = make<PicturePane>(central, "picPane");
    picPane->setGeometry(twipRect(kFormWidth, 0, kPaneWidth, 6135));
    picPane->hide();
}

void WindowControls::layOutPicturePane(bool shown)
{
    QWidget* central = lstFiles->parentWidget();
    const int width = shown ? kFormWidth + kPaneWidth + 75 : kFormWidth;
    central->setFixedSize(px(width), px(6525));
    // The status line's frame spans the window.
    central->findChild<QWidget*>(QStringLiteral("Line1"))->setGeometry(0, px(6245), px(width), 1);
    central->findChild<QWidget*>(QStringLiteral("Line3"))->setGeometry(0, px(6515), px(width), 1);
    central->findChild<QWidget*>(QStringLiteral("Line4"))->setGeometry(px(width - 10), px(6260), 1, px(6510 - 6260));
    lblStatus->setGeometry(px(45), px(6260) + 1, px(width - 45) - 4, px(6515) - px(6260) - 1);
    picPane->setVisible(shown);
}

void WindowControls::buildVideoTab(QWidget* page)
{
    QGroupBox* display = frame(page, "fmDisplayMode", " Display Mode ", 180, 480, 3885, 1215);
    optWindow = radio(display, "optWindow", "Window", QRect(8, 22, 84, 20));
    opt320x200 = radio(display, "opt320x200", "320x200", QRect(92, 22, 84, 20));
    opt640x480 = radio(display, "opt640x480", "640x480", QRect(176, 22, 80, 20));
    opt800x600 = radio(display, "opt800x600", "800x600", QRect(8, 50, 84, 20));
    opt1024x768 = radio(display, "opt1024x768", "1024x768", QRect(92, 50, 84, 20));
    chkHStretch = check(display, "chkHStretch", "H-Stretch", QRect(176, 50, 80, 20));
    optWindow->setChecked(true);

    QGroupBox* mode = frame(page, "fm3DMode", " 3D Mode ", 180, 1920, 3885, 1215);
    opt3DMode[2] = radio(mode, "opt3DMode", "Normal", QRect(8, 22, 84, 20), 2);
    opt3DMode[1] = radio(mode, "opt3DMode", "Red/Blue", QRect(92, 22, 84, 20), 1);
    opt3DMode[3] = radio(mode, "opt3DMode", "Interlaced", QRect(176, 22, 80, 20), 3);
    opt3DMode[4] = radio(mode, "opt3DMode", "Over under", QRect(8, 50, 84, 20), 4);
    opt3DMode[5] = radio(mode, "opt3DMode", "Side", QRect(92, 50, 84, 20), 5);
    opt3DMode[6] = radio(mode, "opt3DMode", "CyberScope", QRect(176, 50, 80, 20), 6);
    opt3DMode[2]->setChecked(true);

    QGroupBox* palette = frame(page, "fmPaletteBrightness", " Palette && Brightness ", 180, 3360, 2355, 840);
    cmbPalette = combo(palette, "cmbPalette", QRect(8, 24, 86, 24), kl::paletteItems(kl::PaletteFamily::Standard));
    cmbBrightness = combo(palette, "cmbBrightness", QRect(100, 24, 55, 24), kl::brightnessItems());
    QGroupBox* swap = frame(page, "fmSwap", " Swap ", 2700, 3360, 1350, 840);
    chkFlip = check(swap, "chkFlip", "Flip Screen", QRect(8, 26, 84, 20));

    QGroupBox* zoom = frame(page, "fmZoom", " Zoom ", 180, 4440, 785, 840);
    cmbZoom = combo(zoom, "cmbZoom", QRect(5, 24, 43, 24), kl::zoomItems());
    QGroupBox* skip = frame(page, "fmFrameSkip", " Frame Skip ", 1130, 4440, 1410, 840);
    cmbFrameSkip = combo(skip, "cmbFrameSkip", QRect(6, 24, 82, 24), kl::frameSkipItems());
    QGroupBox* speed = frame(page, "fmSpeed", " Speed ", 2700, 4440, 1350, 840);
    chkNoThrottle = check(speed, "chkNoThrottle", "No Throttle", QRect(8, 26, 84, 20));
}

void WindowControls::buildControlsTab(QWidget* page)
{
    QGroupBox* keys = frame(page, "fmKeys", " Keyboard ", 180, 480, 2475, 840);
    optKeyLayout[1] = radio(keys, "optKeyLayout", "Layout 1", QRect(10, 26, 76, 20), 1);
    optKeyLayout[2] = radio(keys, "optKeyLayout", "Layout 2", QRect(90, 26, 74, 20), 2);
    optKeyLayout[1]->setChecked(true);
    QGroupBox* joystick = frame(page, "fmJoystick", " Joystick ", 2820, 480, 1245, 840);
    chkJoystick = check(joystick, "chkJoystick", "Enabled", QRect(8, 26, 74, 20));

    fmPreview = frame(page, "fmPreview", " Preview - Layout 1 ", 180, 1560, 3885, 2475);
    const auto descriptions = kl::keyDescriptions();
    const auto keys1 = kl::keyLabels(1);
    for (int i = 1; i <= kl::kKeyPreviewRows; ++i) {
        const int top = px(360 + 240 * (i - 1));
        const auto row = static_cast<std::size_t>(i - 1);
        lblKeyDesc[i] = make<QLabel>(fmPreview, qPrintable(QStringLiteral("lblKeyDesc%1").arg(i)), qs(descriptions[row]));
        lblKeyDesc[i]->setGeometry(px(120), top, px(2700) - 4, 16);
        lblKey[i] = make<QLabel>(fmPreview, qPrintable(QStringLiteral("lblKey%1").arg(i)), qs(keys1[row]));
        lblKey[i]->setGeometry(px(2820) - 12, top, px(1000), 16);
    }

    QGroupBox* controller = frame(page, "fmVBController", " Virtual Boy controller ", 180, 4260, 3885, 840);
    cmbVBController = combo(controller, "cmbVBController", QRect(8, 24, 243, 24), kl::controllerItems());
}

void WindowControls::buildOptionsTab(QWidget* page)
{
    QGroupBox* hacks = frame(page, "fmHacks", " Hacks ", 180, 480, 3885, 1215);
    chkForceTimer = check(hacks, "chkForceTimer", "Force a longer duration to the timer", QRect(8, 24, 245, 20));
    chkFixVF = check(hacks, "chkFixVF", "Fix game \"Vertical Force\"", QRect(8, 50, 245, 20));
    QGroupBox* status = frame(page, "fmStatus", " Status ", 180, 1920, 3885, 840);
    chkDisplayFPS = check(status, "chkDisplayFPS", "Display FPS while running the emulator", QRect(8, 26, 245, 20));
}

void WindowControls::buildDebugTab(QWidget* page)
{
    QGroupBox* debug = frame(page, "fmDebug", " Debug mode ", 180, 480, 3885, 1575);
    chkEnableDebug = check(debug, "chkEnableDebug", "Enable debug mode", QRect(8, 24, 245, 20));
    chkGenerateDisam = check(debug, "chkGenerateDisam", "Generate disam file", QRect(8, 48, 245, 20));
    chkOutputDebug = check(debug, "chkOutputDebug", "Output debug info to dos box", QRect(8, 72, 245, 20));
    QGroupBox* notice = frame(page, "fmNotice", " Notice ", 180, 2280, 3885, 1215);
    auto* label = make<QLabel>(notice, "Label2",
                               QStringLiteral("The debug mode is available in debug releases of Kalmora Boy only. "
                                              "It is not required for standard use of the emulator."));
    label->setWordWrap(true);
    label->setGeometry(px(120), px(300), px(3585), px(780));
}

void WindowControls::buildPathsTab(QWidget* page)
{
    QGroupBox* emu = frame(page, "fmEmuPath", " Emulator path ", 180, 480, 3885, 840);
    txtEmuPath = make<QLineEdit>(emu, "txtEmuPath");
    txtEmuPath->setGeometry(px(120), 24, px(2625), 23);
    cmdBrowseEmu = make<QPushButton>(emu, "cmdBrowseEmu", QStringLiteral("Browse..."));
    cmdBrowseEmu->setGeometry(px(2880), 24, px(825), 23);
    QGroupBox* rom = frame(page, "fmRomPath", " ROM images path ", 180, 1560, 3885, 840);
    txtRomPath = make<QLineEdit>(rom, "txtRomPath");
    txtRomPath->setGeometry(px(120), 24, px(2625), 23);
    cmdBrowseRom = make<QPushButton>(rom, "cmdBrowseRom", QStringLiteral("Browse..."));
    cmdBrowseRom->setGeometry(px(2880), 24, px(825), 23);
    // Paths longer than the box's default limit must survive a load and a save unchanged.
    txtEmuPath->setMaxLength(static_cast<int>(kl::kMaxSettingsLine));
    txtRomPath->setMaxLength(static_cast<int>(kl::kMaxSettingsLine));
}

void WindowControls::buildAboutTab(QWidget* page)
{
    QGroupBox* about = frame(page, "fmAbout", " About this program ", 180, 480, 3885, 2205);
    auto* kl1 = make<QLabel>(about, "lblKL1",
                             QStringLiteral("Kalmora Launcher - GUI for Kalmora Boy, a Nintendo Virtual Boy emulator "
                                            "by %1.").arg(qs(kl::kEmulatorAuthor)));
    kl1->setWordWrap(true);
    kl1->setGeometry(px(120), px(330), px(3600), px(560));
    auto* kl2 = make<QLabel>(about, "lblKL2",
                             QStringLiteral("Pick a ROM image, choose the options, and launch: the launcher builds "
                                            "the emulator's command line for you."));
    kl2->setWordWrap(true);
    kl2->setGeometry(px(120), px(960), px(3645), px(630));
    auto* kl3 = make<QLabel>(about, "lblKL3", QStringLiteral("(c) %1").arg(qs(kl::kLauncherCredit)));
    kl3->setGeometry(px(120), px(1740), px(2925), px(225));
    auto* version = make<QLabel>(about, "lblVersion", QStringLiteral("v" KL_VERSION));
    version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    version->setGeometry(px(3380), px(1740), px(460), px(225));

    fmOnTheWeb = make<TrackingGroupBox>(page, "fmOnTheWeb", QStringLiteral(" On the Web "));
    fmOnTheWeb->setGeometry(frameRect(180, 2940, 3885, 2385));
    fmOnTheWeb->setAttribute(Qt::WA_NoMousePropagation);
    const char* captionNames[] = {"lblHomeKL", "lblHomeKB", "lblHomeKBNET"};
    const QString captions[] = {QStringLiteral("Home of Kalmora Launcher"), QStringLiteral("Home of Kalmora Boy"),
                                qs(kl::kCommunityName)};
    const int tops[] = {360, 1020, 1680};
    for (int i = 1; i <= 3; ++i) {
        auto* caption = make<QLabel>(fmOnTheWeb, captionNames[i - 1], captions[i - 1]);
        caption->setGeometry(px(120), px(tops[i - 1]), px(3600), 16);
        // Only the links react to the mouse; the frame's background resets them.
        caption->setAttribute(Qt::WA_NoMousePropagation);
        lblURL[i] = make<LinkLabel>(fmOnTheWeb, "lblURL", qs(kl::kWebAddresses[static_cast<std::size_t>(i - 1)]));
        lblURL[i]->setProperty("Index", i);
        lblURL[i]->setGeometry(px(120), px(tops[i - 1] + 240), px(3600), 16);
        lblURL[i]->setTextColor(bgr(i == 1 ? kLinkFirstColor : kLinkNormalColor));
    }
}

void WindowControls::buildStatusPanel(QWidget* central)
{
    // Four lines draw the sunken panel: dark upper and left edges, light lower and right edges.
    struct Edge {
        const char* name;
        QRect rect;
        QColor color;
    };
    const Edge edges[] = {
        {"Line1", QRect(0, px(6245), px(8400), 1), QColor(128, 128, 128)},
        {"Line2", QRect(0, px(6260), 1, px(6510 - 6260)), QColor(128, 128, 128)},
        {"Line3", QRect(0, px(6515), px(8400), 1), QColor(255, 255, 255)},
        {"Line4", QRect(px(8390), px(6260), 1, px(6510 - 6260)), QColor(255, 255, 255)},
    };
    for (const Edge& e : edges) {
        auto* line = make<QWidget>(central, e.name);
        line->setGeometry(e.rect);
        line->setAutoFillBackground(true);
        QPalette p = line->palette();
        p.setColor(QPalette::Window, e.color);
        line->setPalette(p);
    }
    lblStatus = make<QLabel>(central, "lblStatus", kStarted);
    lblStatus->setGeometry(px(45), px(6260) + 1, px(8355) - 4, px(6515) - px(6260) - 1);
}

void WindowControls::buildMenus(QMainWindow& form)
{
    QMenuBar* bar = form.menuBar();
    QMenu* file = mnuFile = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    addFileItems(file, "mnuFile", "mnuLine",
                 {&mnuFileLaunch, &mnuFileRename, &mnuFileDelete, &mnuFileProperties, &mnuFileKeepOptions,
                  &mnuFileForgetOptions, &mnuFileAddToMenu, &mnuFileRemoveFromMenu});
    // The recent games follow the launch item, before its separator.
    mnuFileRecent = new QMenu(QStringLiteral("Recen&t games"), file);
    mnuFileRecent->setObjectName(QStringLiteral("mnuFileRecent"));
    file->insertMenu(file->actions().at(1), mnuFileRecent);
    for (int i = 1; i <= kRecentItems; ++i) {
        mnuFileRecentGame[i] = item(mnuFileRecent, "mnuFileRecentGame", "");
        mnuFileRecentGame[i]->setProperty("Index", i);
        mnuFileRecentGame[i]->setVisible(false);
    }
    mnuFileRecent->addSeparator()->setObjectName(QStringLiteral("mnuLineRecent"));
    mnuFileRecentClear = item(mnuFileRecent, "mnuFileRecentClear", "&Clear recent games");
    mnuFileRecent->menuAction()->setObjectName(QStringLiteral("mnuFileRecent"));
    mnuFileRecent->menuAction()->setEnabled(false);
    mnuFileExit = item(file, "mnuFileExit", "E&xit");

    QMenu* view = bar->addMenu(QStringLiteral("V&iew"));
    view->setObjectName(QStringLiteral("mnuView"));
    for (int i = 1; i <= 4; ++i) {
        mnuViewFileType[i] = item(view, "mnuViewFileType", kFileTypeCaptions[i - 1]);
        mnuViewFileType[i]->setProperty("Index", i);
        mnuViewFileType[i]->setCheckable(true);
    }
    mnuViewFileType[1]->setChecked(true);
    view->addSeparator()->setObjectName(QStringLiteral("mnuLinePicture"));
    mnuViewPicture = item(view, "mnuViewPicture", "Game &picture");
    mnuViewPicture->setCheckable(true);
    view->addSeparator()->setObjectName(QStringLiteral("mnuLine4"));
    mnuViewRefresh = item(view, "mnuViewRefresh", "&Refresh");

    QMenu* config = bar->addMenu(QStringLiteral("Co&nfig"));
    config->setObjectName(QStringLiteral("mnuConfig"));
    mnuConfigResetEmu = item(config, "mnuConfigResetEmu", "Reset &emulator");
    mnuConfigResetGUI = item(config, "mnuConfigResetGUI", "Reset &GUI");
    config->addSeparator()->setObjectName(QStringLiteral("mnuLine5"));
    mnuConfigResetBoth = item(config, "mnuConfigResetBoth", "Reset &both");
    config->addSeparator()->setObjectName(QStringLiteral("mnuLineWine"));
    mnuConfigWine = config->addMenu(QStringLiteral("&Wine"));
    mnuConfigWine->setObjectName(QStringLiteral("mnuConfigWine"));
    mnuConfigWine->menuAction()->setObjectName(QStringLiteral("mnuConfigWine"));
    mnuConfigPictures = item(config, "mnuConfigPictures", "&Pictures...");

    QMenu* window = bar->addMenu(QStringLiteral("&Window"));
    window->setObjectName(QStringLiteral("mnuWindow"));
    QMenu* themes = window->addMenu(QStringLiteral("&Filebrowser theme"));
    themes->setObjectName(QStringLiteral("mnuWindowFilebrowserTheme"));
    for (int i = 1; i <= kl::kThemeCount; ++i) {
        mnuWindowTheme[i] = item(themes, "mnuWindowTheme", kThemeCaptions[i - 1]);
        mnuWindowTheme[i]->setProperty("Index", i);
        mnuWindowTheme[i]->setCheckable(true);
    }
    themes->addSeparator()->setObjectName(QStringLiteral("mnuLine6"));
    mnuWindowThemeDefault = item(themes, "mnuWindowThemeDefault", "&Default");
    mnuWindowThemeDefault->setCheckable(true);
    mnuWindowThemeDefault->setChecked(true);
    window->addSeparator()->setObjectName(QStringLiteral("mnuLine7"));
    mnuWindowMinimize = item(window, "mnuWindowMinimize", "&Minimize on launch");
    mnuWindowMinimize->setCheckable(true);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpReadme = item(help, "mnuHelpReadme", "&Readme.txt");
    mnuHelpHistory = item(help, "mnuHelpHistory", "&History.txt");

    // The context menu of the file list; it never appears in the menu bar.
    popMenu = new QMenu(QStringLiteral("Popup"), &form);
    popMenu->setObjectName(QStringLiteral("popMenu"));
    addFileItems(popMenu, "pop", "popLine",
                 {&popLaunch, &popRename, &popDelete, &popProperties, &popKeepOptions, &popForgetOptions,
                  &popAddToMenu, &popRemoveFromMenu});
    // The list's own: play time is kept for the game the list shows, in that group's end.
    popForgetPlayTime = new QAction(QStringLiteral("Forget play time"), popMenu);
    popForgetPlayTime->setObjectName(QStringLiteral("popForgetPlayTime"));
    popForgetPlayTime->setEnabled(false);
    popMenu->insertAction(popMenu->actions().constLast(), popForgetPlayTime);
    popRefresh = item(popMenu, "popRefresh", "R&efresh");
    popMenu->setDefaultAction(popLaunch);

}

void WindowControls::setTabOrder()
{
    const QList<QWidget*> order{
        lstFiles, optWindow, opt320x200, opt640x480, opt800x600, opt1024x768, chkHStretch,
        opt3DMode[2], opt3DMode[1], opt3DMode[3], opt3DMode[5], opt3DMode[6], cmbPalette, cmbBrightness,
        chkFlip, cmbZoom, cmbFrameSkip, chkNoThrottle, cmdLaunch, cmdHelp, cmdExit,
        optKeyLayout[1], optKeyLayout[2], chkJoystick, cmbVBController,
        chkForceTimer, chkFixVF, chkDisplayFPS, chkEnableDebug, chkGenerateDisam, chkOutputDebug,
        txtEmuPath, cmdBrowseEmu, txtRomPath, cmdBrowseRom, lblURL[1], lblURL[2], lblURL[3], tabGUI->tabBar(),
        opt3DMode[4]};
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}
