// The main window: its controls in the reference layout, and the handlers behind them.
#include "frmkl.h"

#include <QApplication>
#include <QAbstractButton>
#include <QGroupBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <cmath>
#include <vector>

#include "browser/file_ops.h"
#include "browser/folder_listing.h"
#include "config/game_options.h"
#include "config/settings_file.h"
#include "config/text_file.h"
#include "help/links.h"
#include "launch/command_line.h"
#include "launch/launcher.h"
#include "launch/parameter_string.h"
#include "bytes.h"
#include "ipc/handover.h"
#include "platform.h"
#include "prefetched_listing.h"
#include "theme/theme_colors.h"
#include "widgets/controls.h"
#include "widgets/file_list_box.h"

using kl::Field;

namespace {

const QString kTitle = QStringLiteral("Kalmora Launcher - GUI for Kalmora Boy");
const QString kStarted = QStringLiteral("Status: Kalmora Launcher started");
const QString kErrorTitle = QStringLiteral("Error");
const QString kNoFile = QStringLiteral("No file has been selected.");
const QString kNoFolder =
    QStringLiteral("Folder does not exist. Please set a path to your ROM images on the \"Paths\" register.");
const QString kPreviewIntro =
    QStringLiteral("The following parameter are currently chosen and will be passed on to Kalmora Boy: ");
const QString kPreviewTitle = QStringLiteral("Parameter");
const QString kLaunched = QStringLiteral("Status: Emulator launched with file ");
const QString kRefreshed = QStringLiteral("Status: File list refreshed");
const QString kEmuPrompt = QStringLiteral(
    "Please choose the folder, where the Nintendo Virtual Boy emulator \"kalmora_boy.exe\" is located in:");
const QString kRomPrompt =
    QStringLiteral("Please choose the folder, where your Nintendo Virtual Boy ROM images are located in:");
const QString kSaveEmuFailed = QStringLiteral(
    "Could not save emulator configuration to file \"%1\". Please make sure that the folder exists and that you "
    "have the right to write to it.");
const QString kSaveGuiFailed = QStringLiteral(
    "Could not save GUI configuration to file \"%1\". Please make sure that the folder exists and that you have "
    "the right to write to it.");
const QString kRenamePrompt = QStringLiteral("Please enter a new name for \"%1\":");
const QString kRenameTitle = QStringLiteral("Rename file");
const QString kRenamed = QStringLiteral("Status: File \"%1\" renamed to \"%2\"");
const QString kRenameFailed = QStringLiteral(
    "Could not rename \"%1\". This file is probably in use or the new name contains invalid characters.");
const QString kDeleteQuestion = QStringLiteral("Do you really want to delete \"%1\"?");
const QString kDeleteTitle = QStringLiteral("Delete file");
const QString kDeleted = QStringLiteral("Status: File \"%1\" deleted");
const QString kDeleteFailed =
    QStringLiteral("Could not delete \"%1\". This file is probably write protected or in use.");
const QString kOwnOptions = QStringLiteral(", with its own options");
const QString kKept = QStringLiteral("Status: Options kept for \"%1\"");
const QString kForgotten = QStringLiteral("Status: Options for \"%1\" forgotten");
const QString kKeepNameUnusable =
    QStringLiteral("The options for \"%1\" cannot be kept: its name is too long for a file name.");
const QString kKeepFailed = QStringLiteral(
    "Could not keep the options for \"%1\" in file \"%2\". Please make sure that the folder exists and that you "
    "have the right to write to it.");
const QString kForgetFailed =
    QStringLiteral("Could not forget the options for \"%1\": file \"%2\" could not be deleted.");
const QString kOpenFailed = QStringLiteral(
    "Could not open file \"%1\". Please make sure that folder and file exist and that a standard text editor for "
    "*.txt files is installed on your system.");

struct ResetQuestion {
    const char* title;
    const char* text;
};
constexpr ResetQuestion kResetEmu{"Reset emulator configuration",
                                  "Do you really want to reset the emulator configuration (paths are not affected)?"};
constexpr ResetQuestion kResetGui{"Reset GUI configuration",
                                  "Do you really want to reset the GUI configuration (paths are not affected)?"};
constexpr ResetQuestion kResetBoth{
    "Reset emulator and GUI configuration",
    "Do you really want to reset the emulator and GUI configuration (paths are not affected)?"};

const char* const kThemeCaptions[] = {"&Beach", "&C-64", "&Gothic", "&Matrix", "&Retro", "R&omance", "&Spring", "S&ummer"};
const char* const kFileTypeCaptions[] = {"&Virtual Boy (*.vb) files", "&Compressed (*.zip) files",
                                         "&Both (*.vb && *.zip) files", "&All (*.*) files"};

// Link colours, 0x00BBGGRR.
constexpr std::uint32_t kLinkHoverColor = 0x00FF0000;
constexpr std::uint32_t kLinkNormalColor = 0x00C00000;
constexpr std::uint32_t kLinkFirstColor = 0x00800000;

QColor bgr(std::uint32_t value) { return QColor(kl::red(value), kl::green(value), kl::blue(value)); }
QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

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

// The handlers own the check marks; a checkable action toggles itself on a click, so that
// toggle is undone before the handler runs.
template <class F>
void onClick(QAction* action, F handler)
{
    QObject::connect(action, &QAction::triggered, action, [action, handler] {
        if (action->isCheckable()) {
            const QSignalBlocker block(action);
            action->setChecked(!action->isChecked());
        }
        handler();
    });
}

}  // namespace

frmKL::frmKL(Platform& platform, QString programFolder, kl::FolderPrefetch* prefetch, QWidget* parent)
    : QMainWindow(parent),
      m_platform(platform),
      m_programFolder(std::move(programFolder)),
      m_prefetch(prefetch),
      m_config(kl::configLocation(toBytes(m_programFolder))),
      m_scope(m_config)
{
    setObjectName(QStringLiteral("frmKL"));
    setWindowTitle(kTitle);
    QIcon icon(QStringLiteral(":/kalmora-launcher-16.png"));
    icon.addFile(QStringLiteral(":/kalmora-launcher.png"));
    setWindowIcon(icon);

    auto* central = new QWidget(this);
    central->setFixedSize(px(8400), px(6525));
    setCentralWidget(central);

    lstFiles = make<FileListBox>(central, "lstFiles");
    lstFiles->setGeometry(twipRect(60, 0, 3915, 6135));

    auto* tabs = make<TabControl>(central, "tabGUI");
    tabGUI = tabs;
    m_tabBar = tabs->strip();
    tabGUI->setGeometry(twipRect(4050, 0, 4275, 5565));
    const char* captions[] = {"&Video", "&Controls", "&Options", "&Debug", "&Paths", "&About"};
    for (const char* caption : captions) {
        auto* page = new QWidget;
        page->setMouseTracking(true);
        page->installEventFilter(this);
        tabGUI->addTab(page, QString::fromUtf8(caption));
    }
    tabGUI->tabBar()->setMouseTracking(true);
    tabGUI->tabBar()->installEventFilter(this);
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
    buildStatusPanel(central);
    buildMenus();
    bindSettings();
    setTabOrder();

    connect(cmdLaunch, &QPushButton::clicked, this, [this] { cmdLaunch_Click(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
    connect(lstFiles, &FileListBox::entrySelected, this, [this] { lstFiles_Click(); });
    connect(lstFiles, &FileListBox::selectionCleared, this, [this] { followSelection(); });
    connect(lstFiles, &FileListBox::launchRequested, this, [this] { lstFiles_DblClick(); });
    connect(lstFiles, &FileListBox::mouseDown, this, [this](Qt::MouseButton b) { lstFiles_MouseDown(b); });
    connect(txtRomPath, &QLineEdit::textChanged, this, [this] { txtRomPath_Change(); });
    connect(txtEmuPath, &QLineEdit::textChanged, this, [this] { txtEmuPath_Change(); });
    connect(cmdBrowseEmu, &QPushButton::clicked, this, [this] { cmdBrowseEmu_Click(); });
    connect(cmdBrowseRom, &QPushButton::clicked, this, [this] { cmdBrowseRom_Click(); });
    for (int i = 1; i <= 6; ++i)
        connect(opt3DMode[i], &QRadioButton::toggled, this, [this, i](bool on) { if (on) opt3DMode_Click(i); });
    for (int i = 1; i <= 2; ++i)
        connect(optKeyLayout[i], &QRadioButton::toggled, this, [this, i](bool on) { if (on) optKeyLayout_Click(i); });
    for (int i = 1; i <= 3; ++i) {
        connect(lblURL[i], &LinkLabel::clicked, this, [this, i] { lblURL_Click(i); });
        connect(lblURL[i], &LinkLabel::mouseMoved, this, [this, i] { lblURL_MouseMove(i); });
    }
    connect(fmOnTheWeb, &TrackingGroupBox::mouseMoved, this, [this] { fmOnTheWeb_MouseMove(); });

    // After the handlers: a change is saved to a game's file once its reactions have run.
    m_binder.watchOptions(this, [this] { optionControlChanged(); });

    fitFont();
    setFixedSize(sizeHint());
}

bool frmKL::captionsFit() const
{
    if (!m_tabBar->captionsFit())
        return false;
    for (const QAbstractButton* b : centralWidget()->findChildren<QAbstractButton*>()) {
        // Push buttons report a style minimum width; what matters is their caption.
        const int needed = qobject_cast<const QPushButton*>(b)
                               ? b->fontMetrics().horizontalAdvance(b->text().remove(QLatin1Char('&'))) + 10
                               : b->sizeHint().width();
        if (needed > b->width() || b->fontMetrics().height() + 4 > b->height())
            return false;
    }
    for (const QLabel* l : centralWidget()->findChildren<QLabel*>())
        if (!l->wordWrap() && l->sizeHint().width() > l->width())
            return false;
    for (const QComboBox* c : centralWidget()->findChildren<QComboBox*>())
        if (c->sizeHint().width() > c->width() + 2)
            return false;
    for (const QGroupBox* g : centralWidget()->findChildren<QGroupBox*>())
        if (g->fontMetrics().horizontalAdvance(g->title()) + 14 > g->width())
            return false;
    return true;
}

namespace {

// How a control's caption is measured, as the control measures it for its size hint.
enum class Measure { Advance, ItemText, Label, ComboItems };

// One caption's demand at a font size: its text measured at that size, plus what the control
// adds around it (the indicator of an option button, a list's arrow), which does not grow
// with the size and so is measured once at the font the control has.
struct CaptionRoom {
    const QWidget* control;
    Measure measure;
    QString text;
    int around = 0;
    int room = 0;
    int lineRoom = -1;  // the control's height where the caption's line must fit, else -1
};

int measured(const CaptionRoom& c, const QFontMetrics& fm)
{
    switch (c.measure) {
    case Measure::Advance: return fm.horizontalAdvance(c.text);
    case Measure::ItemText:
        return c.control->style()->itemTextRect(fm, QRect(), Qt::TextShowMnemonic, false, c.text).width();
    case Measure::Label: {
        const auto* label = static_cast<const QLabel*>(c.control);
        const int flags = (label->alignment() & ~(Qt::AlignVCenter | Qt::AlignHCenter)).toInt();
        return fm.boundingRect(0, 0, 2000, 2000, flags, c.text).width();
    }
    case Measure::ComboItems: {
        const auto* combo = static_cast<const QComboBox*>(c.control);
        int widest = 0;
        for (int i = 0; i < combo->count(); ++i)
            widest = std::max(widest, fm.boundingRect(combo->itemText(i)).width());
        return widest;
    }
    }
    return 0;
}

}  // namespace

void frmKL::fitFont()
{
    // The layout is fixed; the desktop's font is taken at the largest size that fits it.
    // Sizes go in quarter points from 6 up to the desktop's size (at most 9); captions grow
    // with the size, so the largest that fits is found by halving. Setting a font on the
    // whole window costs far more than measuring text, so each size is judged from the
    // captions' widths at that size (the same rules as captionsFit) and only the chosen size
    // is set.
    QFont f = QApplication::font();
    const qreal desktopSize = f.pointSizeF() > 0 ? f.pointSizeF() : 9.0;
    const int top = static_cast<int>(std::floor((std::min<qreal>(desktopSize, 9.0) - 6.0) / 0.25));
    if (top < 0)
        return;  // a desktop font below 6 pt is kept as it is

    std::vector<CaptionRoom> captions;
    for (const QAbstractButton* b : centralWidget()->findChildren<QAbstractButton*>()) {
        if (qobject_cast<const QPushButton*>(b)) {
            captions.push_back({b, Measure::Advance, b->text().remove(QLatin1Char('&')), 10, b->width(), b->height()});
        } else {
            CaptionRoom c{b, Measure::ItemText, b->text(), 0, b->width(), b->height()};
            c.around = b->sizeHint().width() - measured(c, b->fontMetrics());
            captions.push_back(c);
        }
    }
    for (const QLabel* l : centralWidget()->findChildren<QLabel*>()) {
        if (l->wordWrap())
            continue;
        CaptionRoom c{l, Measure::Label, l->text(), 0, l->width()};
        c.around = l->sizeHint().width() - measured(c, l->fontMetrics());
        captions.push_back(c);
    }
    for (const QComboBox* combo : centralWidget()->findChildren<QComboBox*>()) {
        CaptionRoom c{combo, Measure::ComboItems, QString(), 0, combo->width() + 2};
        c.around = combo->sizeHint().width() - measured(c, combo->fontMetrics());
        captions.push_back(c);
    }
    for (const QGroupBox* g : centralWidget()->findChildren<QGroupBox*>())
        captions.push_back({g, Measure::Advance, g->title(), 14, g->width()});

    // A control's font once the window's font is set: the set size and family over whatever
    // else the control's own font says (a link's underline).
    const auto fontFor = [&f](const QWidget* control, qreal size) {
        QFont at = f;
        at.setPointSizeF(size);
        return at.resolve(control->font());
    };
    const auto fitsAt = [&](int step) {
        const qreal size = 6.0 + 0.25 * step;
        if (!m_tabBar->captionsFit(QFontMetrics(fontFor(m_tabBar, size))))
            return false;
        return std::all_of(captions.begin(), captions.end(), [&](const CaptionRoom& c) {
            const QFontMetrics fm(fontFor(c.control, size));
            return c.around + measured(c, fm) <= c.room && (c.lineRoom < 0 || fm.height() + 4 <= c.lineRoom);
        });
    };
    int fits = top;
    if (!fitsAt(top)) {
        fits = 0;  // 6 pt is taken even if it does not fit: there is nothing smaller
        int fails = top;
        while (fails - fits > 1) {
            const int mid = (fits + fails) / 2;
            if (fitsAt(mid))
                fits = mid;
            else
                fails = mid;
        }
    }
    const auto setStep = [&](int step) {
        f.setPointSizeF(6.0 + 0.25 * step);
        centralWidget()->setFont(f);
        m_tabBar->setFont(f);
    };
    setStep(fits);
    // A style whose controls grow with the font by more than their captions would not fit
    // what the measurement chose; the window then steps down on the controls themselves.
    while (fits > 0 && !captionsFit())
        setStep(--fits);
}

void frmKL::buildVideoTab(QWidget* page)
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

void frmKL::buildControlsTab(QWidget* page)
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

void frmKL::buildOptionsTab(QWidget* page)
{
    QGroupBox* hacks = frame(page, "fmHacks", " Hacks ", 180, 480, 3885, 1215);
    chkForceTimer = check(hacks, "chkForceTimer", "Force a longer duration to the timer", QRect(8, 24, 245, 20));
    chkFixVF = check(hacks, "chkFixVF", "Fix game \"Vertical Force\"", QRect(8, 50, 245, 20));
    QGroupBox* status = frame(page, "fmStatus", " Status ", 180, 1920, 3885, 840);
    chkDisplayFPS = check(status, "chkDisplayFPS", "Display FPS while running the emulator", QRect(8, 26, 245, 20));
}

void frmKL::buildDebugTab(QWidget* page)
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

void frmKL::buildPathsTab(QWidget* page)
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

void frmKL::buildAboutTab(QWidget* page)
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

void frmKL::buildStatusPanel(QWidget* central)
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

void frmKL::buildMenus()
{
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mnuFileLaunch = item(file, "mnuFileLaunch", "&Launch");
    file->addSeparator()->setObjectName(QStringLiteral("mnuLine1"));
    mnuFileRename = item(file, "mnuFileRename", "&Rename");
    mnuFileDelete = item(file, "mnuFileDelete", "&Delete");
    file->addSeparator()->setObjectName(QStringLiteral("mnuLine2"));
    mnuFileProperties = item(file, "mnuFileProperties", "&Properties");
    mnuFileKeepOptions = item(file, "mnuFileKeepOptions", "Keep options for this &game");
    mnuFileForgetOptions = item(file, "mnuFileForgetOptions", "&Forget options for this game");
    file->addSeparator()->setObjectName(QStringLiteral("mnuLine3"));
    mnuFileExit = item(file, "mnuFileExit", "E&xit");

    QMenu* view = bar->addMenu(QStringLiteral("V&iew"));
    view->setObjectName(QStringLiteral("mnuView"));
    for (int i = 1; i <= 4; ++i) {
        mnuViewFileType[i] = item(view, "mnuViewFileType", kFileTypeCaptions[i - 1]);
        mnuViewFileType[i]->setProperty("Index", i);
        mnuViewFileType[i]->setCheckable(true);
        onClick(mnuViewFileType[i], [this, i] { mnuViewFileType_Click(i); });
    }
    mnuViewFileType[1]->setChecked(true);
    view->addSeparator()->setObjectName(QStringLiteral("mnuLine4"));
    mnuViewRefresh = item(view, "mnuViewRefresh", "&Refresh");

    QMenu* config = bar->addMenu(QStringLiteral("Co&nfig"));
    config->setObjectName(QStringLiteral("mnuConfig"));
    mnuConfigResetEmu = item(config, "mnuConfigResetEmu", "Reset &emulator");
    mnuConfigResetGUI = item(config, "mnuConfigResetGUI", "Reset &GUI");
    config->addSeparator()->setObjectName(QStringLiteral("mnuLine5"));
    mnuConfigResetBoth = item(config, "mnuConfigResetBoth", "Reset &both");

    QMenu* window = bar->addMenu(QStringLiteral("&Window"));
    window->setObjectName(QStringLiteral("mnuWindow"));
    QMenu* themes = window->addMenu(QStringLiteral("&Filebrowser theme"));
    themes->setObjectName(QStringLiteral("mnuWindowFilebrowserTheme"));
    for (int i = 1; i <= kl::kThemeCount; ++i) {
        mnuWindowTheme[i] = item(themes, "mnuWindowTheme", kThemeCaptions[i - 1]);
        mnuWindowTheme[i]->setProperty("Index", i);
        mnuWindowTheme[i]->setCheckable(true);
        onClick(mnuWindowTheme[i], [this, i] { mnuWindowTheme_Click(i); });
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
    popMenu = new QMenu(QStringLiteral("Popup"), this);
    popMenu->setObjectName(QStringLiteral("popMenu"));
    popLaunch = item(popMenu, "popLaunch", "&Launch");
    popMenu->addSeparator()->setObjectName(QStringLiteral("popLine1"));
    popRename = item(popMenu, "popRename", "&Rename");
    popDelete = item(popMenu, "popDelete", "&Delete");
    popMenu->addSeparator()->setObjectName(QStringLiteral("popLine2"));
    popProperties = item(popMenu, "popProperties", "&Properties");
    popKeepOptions = item(popMenu, "popKeepOptions", "Keep options for this &game");
    popForgetOptions = item(popMenu, "popForgetOptions", "&Forget options for this game");
    popMenu->addSeparator()->setObjectName(QStringLiteral("popLine3"));
    popRefresh = item(popMenu, "popRefresh", "R&efresh");
    popMenu->setDefaultAction(popLaunch);

    onClick(mnuFileLaunch, [this] { mnuFileLaunch_Click(); });
    onClick(mnuFileRename, [this] { mnuFileRename_Click(); });
    onClick(mnuFileDelete, [this] { mnuFileDelete_Click(); });
    onClick(mnuFileProperties, [this] { mnuFileProperties_Click(); });
    onClick(mnuFileExit, [this] { mnuFileExit_Click(); });
    onClick(mnuViewRefresh, [this] { mnuViewRefresh_Click(); });
    onClick(mnuConfigResetEmu, [this] { mnuConfigResetEmu_Click(); });
    onClick(mnuConfigResetGUI, [this] { mnuConfigResetGUI_Click(); });
    onClick(mnuConfigResetBoth, [this] { mnuConfigResetBoth_Click(); });
    onClick(mnuWindowThemeDefault, [this] { mnuWindowThemeDefault_Click(); });
    onClick(mnuWindowMinimize, [this] { mnuWindowMinimize_Click(); });
    onClick(mnuHelpReadme, [this] { mnuHelpReadme_Click(); });
    onClick(mnuHelpHistory, [this] { mnuHelpHistory_Click(); });
    onClick(popLaunch, [this] { popLaunch_Click(); });
    onClick(popRename, [this] { popRename_Click(); });
    onClick(popDelete, [this] { popDelete_Click(); });
    onClick(popProperties, [this] { popProperties_Click(); });
    onClick(mnuFileKeepOptions, [this] { mnuFileKeepOptions_Click(); });
    onClick(mnuFileForgetOptions, [this] { mnuFileForgetOptions_Click(); });
    onClick(popKeepOptions, [this] { popKeepOptions_Click(); });
    onClick(popForgetOptions, [this] { popForgetOptions_Click(); });
    onClick(popRefresh, [this] { popRefresh_Click(); });
}

void frmKL::bindSettings()
{
    SettingsBinder& b = m_binder;
    b.bindText(Field::txtEmuPath, txtEmuPath);
    b.bindText(Field::txtRomPath, txtRomPath);
    b.bindOption(Field::optWindow, optWindow);
    b.bindOption(Field::opt320x200, opt320x200);
    b.bindOption(Field::opt640x480, opt640x480);
    b.bindOption(Field::opt800x600, opt800x600);
    b.bindOption(Field::opt1024x768, opt1024x768);
    b.bindCheck(Field::chkHStretch, chkHStretch);
    for (int i = 1; i <= 6; ++i)
        b.bindOption(kl::opt3DMode(i), opt3DMode[i], [this, i] { opt3DMode_Click(i); });
    b.bindList(Field::cmbPalette, cmbPalette);
    b.bindList(Field::cmbBrightness, cmbBrightness);
    b.bindCheck(Field::chkFlip, chkFlip);
    b.bindList(Field::cmbZoom, cmbZoom);
    b.bindList(Field::cmbFrameSkip, cmbFrameSkip);
    b.bindCheck(Field::chkNoThrottle, chkNoThrottle);
    for (int i = 1; i <= 2; ++i)
        b.bindOption(kl::optKeyLayout(i), optKeyLayout[i], [this, i] { optKeyLayout_Click(i); });
    b.bindCheck(Field::chkJoystick, chkJoystick);
    b.bindList(Field::cmbVBController, cmbVBController);
    b.bindCheck(Field::chkForceTimer, chkForceTimer);
    b.bindCheck(Field::chkFixVF, chkFixVF);
    b.bindCheck(Field::chkDisplayFPS, chkDisplayFPS);
    b.bindCheck(Field::chkEnableDebug, chkEnableDebug);
    b.bindCheck(Field::chkGenerateDisam, chkGenerateDisam);
    b.bindCheck(Field::chkOutputDebug, chkOutputDebug);
}

void frmKL::setTabOrder()
{
    const QList<QWidget*> order{
        lstFiles, optWindow, opt320x200, opt640x480, opt800x600, opt1024x768, chkHStretch,
        opt3DMode[2], opt3DMode[1], opt3DMode[3], opt3DMode[5], opt3DMode[6], cmbPalette, cmbBrightness,
        chkFlip, cmbZoom, cmbFrameSkip, chkNoThrottle, cmdLaunch, cmdHelp, cmdExit,
        optKeyLayout[1], optKeyLayout[2], chkJoystick, cmbVBController,
        chkForceTimer, chkFixVF, chkDisplayFPS, chkEnableDebug, chkGenerateDisam, chkOutputDebug,
        txtEmuPath, cmdBrowseEmu, txtRomPath, cmdBrowseRom, tabGUI->tabBar(), opt3DMode[4]};
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

// ---- Start-up and shutdown ----

void frmKL::Form_Load()
{
    auto steps = [this] {
        CenterFormOnScreen();
        LoadEmulatorSettings();
        LoadGuiSettings();
        ApplyGuiSettings();
        txtEmuPath->setToolTip(txtEmuPath->text());
        txtRomPath->setToolTip(txtRomPath->text());
        if (!lstFiles->setPath(txtRomPath->text()))
            return false;
        if (static_cast<std::size_t>(txtRomPath->text().size()) < kl::kNativeStyle.rootLength)
            lstFiles->setPattern(qs(kl::HideAllPattern));
        return true;
    };
    lstFiles->deferReads(true);
    const bool folderSet = steps();
    if (!folderSet)
        lstFiles->setPattern(qs(kl::HideAllPattern));
    // The read-ahead ends here in any case; its names stand in for the read below only when
    // they are for the folder and pattern the list has now.
    if (m_prefetch)
        takePrefetchedListing(*m_prefetch, folderSet, txtRomPath->text(), *lstFiles);
    lstFiles->deferReads(false);
}

void frmKL::CenterFormOnScreen()
{
    const QRect screen = m_platform.screenGeometry(this);
    const QSize size = frameGeometry().size().expandedTo(this->size());
    move(screen.x() + (screen.width() - size.width()) / 2, screen.y() + (screen.height() - size.height()) / 2);
}

void frmKL::closeEvent(QCloseEvent* event)
{
    if (m_exiting) {
        event->accept();
        return;
    }
    event->ignore();
    mnuFileExit_Click();
}

void frmKL::cmdExit_Click() { mnuFileExit_Click(); }

void frmKL::mnuFileExit_Click()
{
    // Once the saves have run nothing may write the files a second time.
    if (m_exiting)
        return;
    m_exiting = true;
    SaveEmulatorSettings();
    SaveGuiSettings();
    m_platform.endProgram();
}

// ---- Configuration files ----

QString frmKL::settingsPath() const { return fromBytes(m_config.settingsPath()); }
QString frmKL::guiPath() const { return fromBytes(m_config.guiPath()); }

// A file that start-up could not use is about to be replaced: its bytes are kept aside first,
// so one mistyped line does not lose every option for good.
static bool keepDamaged(bool& damaged, const std::string& path)
{
    if (damaged)
        kl::keepDamagedCopy(path);
    damaged = false;
    return true;
}

void frmKL::LoadEmulatorSettings()
{
    kl::EmulatorSettings s = m_binder.read();
    const std::string path = m_config.settingsReadPath();
    m_settingsDamaged = !kl::loadSettingsFile(path, s) && kl::hasContent(path) && path == m_config.settingsPath();
    writeOptions(s);
}

void frmKL::SaveEmulatorSettings()
{
    if (!m_config.prepareForSave() || !keepDamaged(m_settingsDamaged, m_config.settingsPath())
        || !kl::saveSettingsFile(m_config.settingsPath(), windowOptions()))
        showError(kSaveEmuFailed.arg(settingsPath()));
}

kl::GuiSettings frmKL::guiSettings() const
{
    kl::GuiSettings gui;
    for (int i = 1; i <= 4; ++i)
        gui.fileType(i) = mnuViewFileType[i]->isChecked();
    for (int i = 1; i <= kl::kThemeCount; ++i)
        gui.theme(i) = mnuWindowTheme[i]->isChecked();
    gui.themeDefault() = mnuWindowThemeDefault->isChecked();
    gui.minimizeOnLaunch() = mnuWindowMinimize->isChecked();
    return gui;
}

void frmKL::setGuiSettings(const kl::GuiSettings& gui)
{
    for (int i = 1; i <= 4; ++i)
        mnuViewFileType[i]->setChecked(gui.fileType(i));
    for (int i = 1; i <= kl::kThemeCount; ++i)
        mnuWindowTheme[i]->setChecked(gui.theme(i));
    mnuWindowThemeDefault->setChecked(gui.themeDefault());
    mnuWindowMinimize->setChecked(gui.minimizeOnLaunch());
}

void frmKL::LoadGuiSettings()
{
    kl::GuiSettings gui = guiSettings();
    const std::string path = m_config.guiReadPath();
    m_guiDamaged = !kl::loadGuiFile(path, gui) && kl::hasContent(path) && path == m_config.guiPath();
    setGuiSettings(gui);
}

void frmKL::SaveGuiSettings()
{
    if (!m_config.prepareForSave() || !keepDamaged(m_guiDamaged, m_config.guiPath())
        || !kl::saveGuiFile(m_config.guiPath(), guiSettings()))
        showError(kSaveGuiFailed.arg(guiPath()));
}

void frmKL::ApplyGuiSettings()
{
    applyFileTypePattern();
    if (const auto theme = kl::themeFor(guiSettings()))
        applyColors(*theme);
}

bool frmKL::applyFileTypePattern()
{
    const auto pattern = kl::filePatternFor(guiSettings());
    if (pattern)
        lstFiles->setPattern(qs(*pattern));
    return pattern.has_value();
}

void frmKL::applyColors(int theme)
{
    if (theme == 0) {
        // An empty palette lets the list follow the desktop's colour scheme again.
        lstFiles->setPalette(QPalette());
        return;
    }
    const auto colors = kl::themeColors(theme);
    QPalette p;
    p.setColor(QPalette::Text, bgr(colors->text));
    p.setColor(QPalette::Base, bgr(colors->background));
    lstFiles->setPalette(p);
}

// ---- Launch and preview ----

void frmKL::mnuFileLaunch_Click()
{
    const bool preview = ShowParametersOnly == 1;
    if (!preview && lstFiles->fileName().isEmpty()) {
        showError(kNoFile);
        return;
    }
    const std::string romPath = toBytes(txtRomPath->text());
    if (!kl::CheckFolderExists(romPath) && !preview) {
        showError(kNoFolder);
        return;
    }
    if (preview) {
        m_platform.messageBox(this, kPreviewIntro + QStringLiteral("\r\r") + qs(kl::BuildParameterString(m_binder.read())),
                              MessageStyle::Information, kPreviewTitle);
        ShowParametersOnly = 0;
        return;
    }
    const std::string name = toBytes(lstFiles->fileName());
    startEmulator(kl::planLaunch(m_binder.read(), romPath, name, kl::currentStartEnvironment()), name);
}

void takeHandedFiles(HandoverServer& server, frmKL& window)
{
    server.setTaking([&window] { return window.takesHandedFiles(); });
    QObject::connect(&server, &HandoverServer::fileHanded, &window, &frmKL::launchHandedFile);
}

void frmKL::launchHandedFile(const std::string& absolutePath)
{
    if (m_exiting)
        return;  // the options are being saved; nothing starts any more
    const std::string name = kl::splitPath(absolutePath).name;
    startEmulator(kl::planFileLaunch(m_scope.optionsFor(name, m_binder.read()), absolutePath,
                                     kl::currentStartEnvironment()),
                  name, absolutePath);
}

bool frmKL::startEmulator(kl::LaunchPlan plan, const std::string& fileName, const std::string& path)
{
    if (plan.problem == kl::LaunchProblem::None && !m_platform.startDetached(plan.command))
        plan.problem = kl::LaunchProblem::EmulatorNotFound;
    if (plan.problem != kl::LaunchProblem::None) {
        showError(fromBytes(kl::launchProblemText(plan.problem, path)));
        return false;
    }
    setStatus(kLaunched + QLatin1Char('"') + fromBytes(fileName) + QLatin1Char('"'));
    if (mnuWindowMinimize->isChecked())
        setWindowState(windowState() | Qt::WindowMinimized);
    return true;
}

void frmKL::cmdLaunch_Click() { mnuFileLaunch_Click(); }
void frmKL::lstFiles_DblClick() { mnuFileLaunch_Click(); }
void frmKL::popLaunch_Click() { mnuFileLaunch_Click(); }

void frmKL::cmdHelp_Click()
{
    ShowParametersOnly = 1;
    mnuFileLaunch_Click();
}

void frmKL::mnuWindowMinimize_Click() { mnuWindowMinimize->setChecked(!mnuWindowMinimize->isChecked()); }

// ---- Option interlocks ----

void frmKL::opt3DMode_Click(int index)
{
    if (index < 1 || index > 6)
        return;
    const auto family = kl::paletteFamilyFor3DMode(index);
    fillCombo(cmbPalette, kl::paletteItems(family));
    cmbPalette->setCurrentIndex(0);
}

void frmKL::optKeyLayout_Click(int index)
{
    const auto keys = kl::keyLabels(index);
    if (keys.empty())
        return;
    fmPreview->setTitle(qs(kl::keyPreviewCaption(index)));
    for (int i = 1; i <= kl::kKeyPreviewRows; ++i)
        lblKey[i]->setText(qs(keys[static_cast<std::size_t>(i - 1)]));
}

// ---- ROM folder view ----

void frmKL::txtRomPath_Change()
{
    applyFileTypePattern();
    const QString trimmed = fromBytes(kl::trimLeadingBlanks(toBytes(txtRomPath->text())));
    if (trimmed != txtRomPath->text())
        txtRomPath->setText(trimmed);  // runs this handler once more, nested, for the trimmed text
    txtRomPath->setToolTip(txtRomPath->text());
    if (static_cast<std::size_t>(txtRomPath->text().size()) < kl::kNativeStyle.rootLength) {
        lstFiles->setPattern(qs(kl::HideAllPattern));
        return;
    }
    if (!lstFiles->setPath(txtRomPath->text()))
        lstFiles->setPattern(qs(kl::HideAllPattern));
}

void frmKL::lstFiles_Click()
{
    followSelection();
    const QString name = lstFiles->fileName();
    const auto size = kl::fileSize(kl::joinAlways(toBytes(lstFiles->path()), toBytes(name), kl::kNativeStyle));
    const QString sizeText = size ? qs(kl::sizeText(*size, QLocale().groupSeparator().toStdString())) : QString();
    setStatus(QStringLiteral("Status: File \"%1\" (%2) selected").arg(name, sizeText)
              + (m_scope.shows(toBytes(name)) ? kOwnOptions : QString()));
}

void frmKL::mnuViewFileType_Click(int index)
{
    if (index < 1 || index > 4)
        return;
    for (int i = 1; i <= 4; ++i)
        mnuViewFileType[i]->setChecked(i == index);
    if (lstFiles->pattern() == qs(kl::HideAllPattern))
        return;
    lstFiles->setPattern(qs(kl::FileTypePattern(index)));
    setStatus(qs(kl::fileTypeStatus(index)));
}

void frmKL::mnuViewRefresh_Click()
{
    lstFiles->refresh();
    setStatus(kRefreshed);
}

void frmKL::popRefresh_Click() { mnuViewRefresh_Click(); }

// ---- Folder selection ----

void frmKL::txtEmuPath_Change()
{
    const QString trimmed = fromBytes(kl::trimLeadingBlanks(toBytes(txtEmuPath->text())));
    if (trimmed != txtEmuPath->text())
        txtEmuPath->setText(trimmed);
    txtEmuPath->setToolTip(txtEmuPath->text());
}

void frmKL::cmdBrowseEmu_Click()
{
    const QString old = txtEmuPath->text();
    txtEmuPath->setText(m_platform.browseForFolder(this, kEmuPrompt));
    if (txtEmuPath->text().isEmpty())
        txtEmuPath->setText(old);
    txtEmuPath->setToolTip(txtEmuPath->text());
}

void frmKL::cmdBrowseRom_Click()
{
    const QString old = txtRomPath->text();
    txtRomPath->setText(m_platform.browseForFolder(this, kRomPrompt));
    if (txtRomPath->text().isEmpty())
        txtRomPath->setText(old);
    txtRomPath->setToolTip(txtRomPath->text());
    // Re-read also when the same folder was chosen and the text did not change.
    lstFiles->setPath(txtRomPath->text());
}

// ---- File operations and context menu ----

void frmKL::lstFiles_MouseDown(Qt::MouseButton button)
{
    if (lstFiles->fileName().isEmpty() || button != Qt::RightButton)
        return;
    m_platform.popupMenu(popMenu, popLaunch);
}

QString frmKL::joinedPath(const QString& name) const
{
    return fromBytes(kl::joinPath(toBytes(lstFiles->path()), toBytes(name), kl::kNativeStyle));
}

void frmKL::mnuFileRename_Click()
{
    const QString name = lstFiles->fileName();
    if (name.isEmpty()) {
        showError(kNoFile);
        return;
    }
    const QString answer = m_platform.inputBox(this, kRenamePrompt.arg(name), kRenameTitle);
    if (answer.isEmpty())
        return;
    if (!kl::renameFile(toBytes(joinedPath(name)), toBytes(joinedPath(answer)))) {
        showError(kRenameFailed.arg(lstFiles->fileName()));
        return;
    }
    m_scope.renamed(toBytes(name), toBytes(answer));
    setStatus(kRenamed.arg(lstFiles->fileName(), answer));
    lstFiles->refresh();
}

void frmKL::mnuFileDelete_Click()
{
    const QString name = lstFiles->fileName();
    if (name.isEmpty()) {
        showError(kNoFile);
        return;
    }
    if (m_platform.messageBox(this, kDeleteQuestion.arg(name), MessageStyle::Question, kDeleteTitle)
        == MessageAnswer::No)
        return;
    if (!kl::deleteFile(toBytes(joinedPath(name)))) {
        showError(kDeleteFailed.arg(lstFiles->fileName()));
        return;
    }
    m_scope.deleted(toBytes(name));
    setStatus(kDeleted.arg(lstFiles->fileName()));
    lstFiles->refresh();
}

void frmKL::mnuFileProperties_Click()
{
    const QString name = lstFiles->fileName();
    if (name.isEmpty()) {
        showError(kNoFile);
        return;
    }
    m_platform.showFileProperties(this, fromBytes(kl::joinAlways(toBytes(lstFiles->path()), toBytes(name), kl::kNativeStyle)));
}

// ---- Games' own options ----

kl::EmulatorSettings frmKL::windowOptions() const { return m_scope.windowOptions(m_binder.read()); }

void frmKL::writeOptions(const kl::EmulatorSettings& options)
{
    const bool outer = m_writingOptions;
    m_writingOptions = true;
    m_binder.write(options);
    m_writingOptions = outer;
}

void frmKL::followSelection()
{
    if (const auto show = m_scope.select(toBytes(lstFiles->fileName()), m_binder.read()))
        writeOptions(*show);
}

void frmKL::optionControlChanged()
{
    if (!m_writingOptions)
        saveShownGame();
}

void frmKL::saveShownGame()
{
    if (m_scope.changed(m_binder.read()) == kl::SaveOutcome::Failed)
        showKeepFailed(m_scope.gameShown());
}

void frmKL::showKeepFailed(const std::string& rom)
{
    showError(kKeepFailed.arg(fromBytes(rom), fromBytes(m_scope.gameFile(rom))));
}

void frmKL::mnuFileKeepOptions_Click()
{
    const QString name = lstFiles->fileName();
    if (name.isEmpty()) {
        showError(kNoFile);
        return;
    }
    const std::string rom = toBytes(name);
    switch (m_scope.keep(rom, m_binder.read())) {
    case kl::KeepResult::NameUnusable: showError(kKeepNameUnusable.arg(name)); return;
    case kl::KeepResult::Failed: showKeepFailed(rom); return;
    case kl::KeepResult::Kept: setStatus(kKept.arg(name)); return;
    }
}

void frmKL::mnuFileForgetOptions_Click()
{
    const QString name = lstFiles->fileName();
    if (name.isEmpty()) {
        showError(kNoFile);
        return;
    }
    const kl::ForgetOutcome forgot = m_scope.forget(toBytes(name), m_binder.read());
    if (forgot.result == kl::ForgetResult::Failed)
        showError(kForgetFailed.arg(name, fromBytes(m_scope.gameFile(toBytes(name)))));
    if (forgot.result != kl::ForgetResult::Forgotten)
        return;
    if (forgot.show)
        writeOptions(*forgot.show);
    setStatus(kForgotten.arg(name));
}

void frmKL::popKeepOptions_Click() { mnuFileKeepOptions_Click(); }
void frmKL::popForgetOptions_Click() { mnuFileForgetOptions_Click(); }

void frmKL::popRename_Click() { mnuFileRename_Click(); }
void frmKL::popDelete_Click() { mnuFileDelete_Click(); }
void frmKL::popProperties_Click() { mnuFileProperties_Click(); }

// ---- Resets ----

namespace {
bool confirmed(Platform& platform, QWidget* owner, const ResetQuestion& q)
{
    return platform.messageBox(owner, QString::fromUtf8(q.text), MessageStyle::Question, QString::fromUtf8(q.title))
           != MessageAnswer::No;
}
}  // namespace

void frmKL::mnuConfigResetEmu_Click()
{
    if (!confirmed(m_platform, this, kResetEmu))
        return;
    resetEmulatorOptions();
}

void frmKL::resetEmulatorOptions()
{
    kl::EmulatorSettings s = m_binder.read();
    kl::resetEmulatorDefaults(s);
    writeOptions(s);  // runs the palette and key-preview reactions of the selected defaults
    saveShownGame();
}

void frmKL::resetGuiOptions()
{
    setGuiSettings(kl::GuiSettings{});
    ApplyGuiSettings();
}

void frmKL::mnuConfigResetGUI_Click()
{
    if (!confirmed(m_platform, this, kResetGui))
        return;
    resetGuiOptions();
}

void frmKL::mnuConfigResetBoth_Click()
{
    if (!confirmed(m_platform, this, kResetBoth))
        return;
    resetEmulatorOptions();
    resetGuiOptions();
}

// ---- Themes ----

void frmKL::mnuWindowTheme_Click(int index)
{
    if (!kl::themeColors(index))
        return;
    applyColors(index);
    for (int i = 1; i <= kl::kThemeCount; ++i)
        mnuWindowTheme[i]->setChecked(i == index);
    mnuWindowThemeDefault->setChecked(false);
}

void frmKL::mnuWindowThemeDefault_Click()
{
    applyColors(0);
    mnuWindowThemeDefault->setChecked(true);
    for (int i = 1; i <= kl::kThemeCount; ++i)
        mnuWindowTheme[i]->setChecked(false);
}

// ---- Help documents and web links ----

void frmKL::openDocument(std::string_view constant)
{
    const QString path = fromBytes(kl::joinAlways(toBytes(m_programFolder), constant, kl::kNativeStyle));
    if (!m_platform.openWithShell(path))
        showError(kOpenFailed.arg(path));
}

void frmKL::mnuHelpReadme_Click() { openDocument(kl::kReadmeDocument); }
void frmKL::mnuHelpHistory_Click() { openDocument(kl::kHistoryDocument); }

void frmKL::lblURL_Click(int index)
{
    if (index < 1 || index > 3)
        return;
    m_platform.openWithShell(qs(kl::kWebAddresses[static_cast<std::size_t>(index - 1)]));
}

void frmKL::lblURL_MouseMove(int index)
{
    if (index >= 1 && index <= 3)
        lblURL[index]->setTextColor(bgr(kLinkHoverColor));
}

void frmKL::fmOnTheWeb_MouseMove()
{
    for (int i : {1, 3, 2})
        lblURL[i]->setTextColor(bgr(kLinkNormalColor));
}

void frmKL::tabGUI_MouseMove() { fmOnTheWeb_MouseMove(); }

bool frmKL::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove && watched != lstFiles)
        tabGUI_MouseMove();
    return QMainWindow::eventFilter(watched, event);
}

// ---- Helpers ----

// Names may hold bytes that are not UTF-8; a person sees those as the replacement mark.
void frmKL::showError(const QString& text)
{
    m_platform.messageBox(this, shown(text), MessageStyle::Critical, kErrorTitle);
}
void frmKL::setStatus(const QString& text) { lblStatus->setText(shown(text)); }
