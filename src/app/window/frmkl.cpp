// The main window's handlers, under their documented names: each reads the controls, asks the
// core, and shows the result.
#include "frmkl.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>

#include "browser/file_ops.h"
#include "browser/folder_listing.h"
#include "bytes.h"
#include "config/settings_file.h"
#include "config/text_file.h"
#include "fixed_size.h"
#include "widgets/picture_pane.h"
#include "font_fit.h"
#include "help/links.h"
#include "ipc/handover.h"
#include "launch/desktop_entry.h"
#include "launch/parameter_string.h"
#include "launch/wine_ready.h"
#include "wine/wine_choice.h"
#include "platform.h"
#include "prefetched_listing.h"
#include "properties.h"
#include "catalogues.h"
#include "rom/catalogue.h"
#include "texts.h"
#include "theme/theme_colors.h"
#include "widgets/controls.h"
#include "widgets/file_list_box.h"

using kl::Field;
using namespace window_text;

namespace {

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

    useCatalogues(kl::catalogueFolder(m_config));
    usePlayTimes(m_config);
    useWineOf([this](const std::string& romPath) -> std::optional<QString> {
        const auto wine = kl::wineOfStart(m_scope.optionsFor(kl::splitPath(romPath).name, m_binder.read()),
                                          kl::startEnvironmentFor(m_config));
        if (!wine)
            return std::nullopt;
        return *wine ? fromBytes(kl::wineNameOf(**wine)) : kNoWineFound;
    });
    buildControls(*this, this);
    bindSettings();
    connectHandlers();

    // After the handlers: a change is saved to a game's file once its reactions have run.
    m_binder.watchOptions(this, [this] { optionControlChanged(); });

    fitFont(*centralWidget(), *tabStrip);
    setFixedSize(sizeHint());
    m_sizeKeeper = new FixedSizeKeeper(this);
    m_pictures = new PictureSource(this);
    connect(m_pictures, &PictureSource::pictureReady, this, [this](const QString& romPath, const QImage& picture) {
        const std::string name = lstFiles->selectedName();
        if (!picPane->isHidden() && !name.empty()
            && romPath == fromBytes(kl::joinAlways(lstFiles->folder(), name, kl::kNativeStyle)))
            picPane->showPicture(picture, shown(fromBytes(lstFiles->selectedName())));
    });
}

void frmKL::connectHandlers()
{
    connect(cmdLaunch, &QPushButton::clicked, this, [this] { cmdLaunch_Click(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
    connect(lstFiles, &FileListBox::entrySelected, this, [this] { lstFiles_Click(); });
    connect(lstFiles, &FileListBox::selectionCleared, this, [this] { followSelection(); });
    connect(lstFiles, &FileListBox::launchRequested, this, [this] { lstFiles_DblClick(); });
    connect(lstFiles, &FileListBox::mouseDown, this, [this](Qt::MouseButton b) { lstFiles_MouseDown(b); });
    connect(lstFiles, &FileListBox::menuKeyPressed, this, &frmKL::lstFiles_MenuKey);
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
    for (int i = 1; i <= 4; ++i)
        onClick(mnuViewFileType[i], [this, i] { mnuViewFileType_Click(i); });
    for (int i = 1; i <= kl::kThemeCount; ++i)
        onClick(mnuWindowTheme[i], [this, i] { mnuWindowTheme_Click(i); });
    onClick(mnuFileLaunch, [this] { mnuFileLaunch_Click(); });
    onClick(mnuFileRename, [this] { mnuFileRename_Click(); });
    onClick(mnuFileDelete, [this] { mnuFileDelete_Click(); });
    onClick(mnuFileProperties, [this] { mnuFileProperties_Click(); });
    onClick(mnuFileExit, [this] { mnuFileExit_Click(); });
    onClick(mnuViewRefresh, [this] { mnuViewRefresh_Click(); });
    onClick(mnuConfigResetEmu, [this] { mnuConfigResetEmu_Click(); });
    onClick(mnuConfigResetGUI, [this] { mnuConfigResetGUI_Click(); });
    onClick(mnuConfigResetBoth, [this] { mnuConfigResetBoth_Click(); });
    connect(mnuConfigWine, &QMenu::aboutToShow, this, [this] { mnuConfigWine_AboutToShow(); });
    onClick(mnuConfigPictures, [this] { mnuConfigPictures_Click(); });
    onClick(mnuViewPicture, [this] { mnuViewPicture_Click(); });
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
    for (int i = 1; i <= kRecentItems; ++i)
        onClick(mnuFileRecentGame[i], [this, i] { mnuFileRecent_Click(i); });
    onClick(mnuFileRecentClear, [this] { mnuFileRecentClear_Click(); });
    onClick(mnuFileAddToMenu, [this] { mnuFileAddToMenu_Click(); });
    onClick(mnuFileRemoveFromMenu, [this] { mnuFileRemoveFromMenu_Click(); });
    onClick(popAddToMenu, [this] { popAddToMenu_Click(); });
    onClick(popRemoveFromMenu, [this] { popRemoveFromMenu_Click(); });
    onClick(popForgetPlayTime, [this] { popForgetPlayTime_Click(); });
    // Another process may have started a game, or an entry may have gone, since the last look.
    connect(mnuFile, &QMenu::aboutToShow, this, [this] {
        showRecentGames();
        showEntryItems();
    });
    connect(popMenu, &QMenu::aboutToShow, this, [this] {
        showEntryItems();
        popForgetPlayTime->setEnabled(selectedPlayedGame().has_value());
    });
}

bool frmKL::captionsFit() const { return ::captionsFit(*centralWidget(), *tabStrip); }

void frmKL::bindSettings()
{
    const bool bound = m_binder.bindControls(*centralWidget(), [this](const kl::FieldInfo& f) -> SettingsBinder::Reaction {
        if (f.group == kl::OptionGroup::Mode3D)
            return [this, i = f.index] { opt3DMode_Click(i); };
        if (f.group == kl::OptionGroup::KeyLayout)
            return [this, i = f.index] { optKeyLayout_Click(i); };
        return {};
    });
    Q_ASSERT(bound);
    Q_UNUSED(bound);
}

// A typed path loses its leading blanks; a trailing one may belong to a folder's name. Setting
// the text runs the path's change handler once more, nested, for the trimmed text.
static void showPathTrimmed(QLineEdit* edit)
{
    const QString text = edit->text();
    qsizetype blanks = 0;
    while (blanks < text.size() && text.at(blanks) == QLatin1Char(' '))
        ++blanks;
    if (blanks > 0)
        edit->setText(text.mid(blanks));
    edit->setToolTip(edit->text());
}

// ---- Start-up and shutdown ----

void frmKL::Form_Load()
{
    auto steps = [this] {
        loadPictureSettings();
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
    showRecentGames();
    showEntryItems();
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

void frmKL::endBySignal(int)
{
    m_unattended = true;
    if (QWidget* modal = QApplication::activeModalWidget())
        modal->close();
    mnuFileExit_Click();  // when the exit already runs, it finishes without its box
}

void frmKL::makeWineReady()
{
    if (const auto warmUp = kl::planWineWarmUp(windowOptions(), kl::startEnvironmentFor(m_config)))
        m_platform.prepareWine(*warmUp);
}

void frmKL::commitSessionData()
{
    if (m_exiting)
        return;
    const bool unattended = m_unattended;
    m_unattended = true;
    SaveEmulatorSettings();
    SaveGuiSettings();
    m_unattended = unattended;
}

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
bool frmKL::saveConfigFile(bool& damaged, const std::string& path, const std::function<bool()>& write)
{
    if (!m_config.prepareForSave())
        return false;
    if (damaged)
        kl::keepDamagedCopy(path);
    damaged = false;
    return write();
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
    const std::string path = m_config.settingsPath();
    if (!saveConfigFile(m_settingsDamaged, path, [&] { return kl::saveSettingsFile(path, windowOptions()); }))
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
    const std::string path = m_config.guiPath();
    if (!saveConfigFile(m_guiDamaged, path, [&] { return kl::saveGuiFile(path, guiSettings()); }))
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
    showPathTrimmed(txtRomPath);
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
    const std::string rom = lstFiles->selectedName();
    const QString name = fromBytes(rom);
    const auto size = kl::fileSize(kl::joinAlways(lstFiles->folder(), rom, kl::kNativeStyle));
    const QString sizeText = size ? qs(kl::sizeText(*size, QLocale().groupSeparator().toStdString())) : QString();
    setStatus(QStringLiteral("Status: File \"%1\" (%2) selected").arg(name, sizeText)
              + (m_scope.shows(rom) ? kOwnOptions : QString()));
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
    showPathTrimmed(txtEmuPath);
}

void frmKL::browseInto(QLineEdit* edit, const QString& prompt)
{
    const QString old = edit->text();
    edit->setText(m_platform.browseForFolder(this, prompt));
    if (edit->text().isEmpty())
        edit->setText(old);
    edit->setToolTip(edit->text());
}

void frmKL::cmdBrowseEmu_Click() { browseInto(txtEmuPath, kEmuPrompt); }

void frmKL::cmdBrowseRom_Click()
{
    browseInto(txtRomPath, kRomPrompt);
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

void frmKL::lstFiles_MenuKey()
{
    if (lstFiles->fileName().isEmpty())
        return;
    m_platform.popupMenu(popMenu, popLaunch, lstFiles->selectedEntryPosition());
}

std::optional<std::string> frmKL::selectedFile()
{
    std::string name = lstFiles->selectedName();
    if (name.empty()) {
        showError(kNoFile);
        return std::nullopt;
    }
    return name;
}

std::string frmKL::joinedPath(const std::string& name) const
{
    return kl::joinPath(lstFiles->folder(), name, kl::kNativeStyle);
}

void frmKL::mnuFileRename_Click()
{
    const auto rom = selectedFile();
    if (!rom)
        return;
    const QString name = fromBytes(*rom);
    const QString answer = m_platform.inputBox(this, kRenamePrompt.arg(name), kRenameTitle);
    if (answer.isEmpty())
        return;
    const std::string oldPath = selectedRomPath();
    if (!kl::renameFile(joinedPath(*rom), joinedPath(toBytes(answer)))) {
        showError(kRenameFailed.arg(lstFiles->fileName()));
        return;
    }
    const std::string newPath = kl::absoluteAgainst(joinedPath(toBytes(answer)), kl::currentFolder());
    kl::movePatchAlong(oldPath, newPath);
    carryGameEntry(oldPath, newPath);
    m_scope.renamed(*rom, toBytes(answer));
    setStatus(kRenamed.arg(lstFiles->fileName(), answer));
    lstFiles->refresh();
}

void frmKL::mnuFileDelete_Click()
{
    const auto rom = selectedFile();
    if (!rom)
        return;
    const QString name = fromBytes(*rom);
    if (m_platform.messageBox(this, kDeleteQuestion.arg(name), MessageStyle::Question, kDeleteTitle)
        == MessageAnswer::No)
        return;
    if (!kl::deleteFile(joinedPath(*rom))) {
        showError(kDeleteFailed.arg(lstFiles->fileName()));
        return;
    }
    kl::removeGameEntry(kl::absoluteAgainst(joinedPath(*rom), kl::currentFolder()));
    m_scope.deleted(*rom);
    setStatus(kDeleted.arg(lstFiles->fileName()));
    lstFiles->refresh();
}

void frmKL::mnuFileProperties_Click()
{
    const auto rom = selectedFile();
    if (!rom)
        return;
    m_platform.showFileProperties(this, fromBytes(kl::joinAlways(lstFiles->folder(), *rom, kl::kNativeStyle)));
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
    showEntryItems();
    showSelectedPicture();
    if (const auto show = m_scope.select(lstFiles->selectedName(), m_binder.read()))
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
    const auto rom = selectedFile();
    if (!rom)
        return;
    const QString name = fromBytes(*rom);
    switch (m_scope.keep(*rom, m_binder.read())) {
    case kl::KeepResult::NameUnusable: showError(kKeepNameUnusable.arg(name)); return;
    case kl::KeepResult::Failed: showKeepFailed(*rom); return;
    case kl::KeepResult::Kept: setStatus(kKept.arg(name)); return;
    }
}

void frmKL::mnuFileForgetOptions_Click()
{
    const auto rom = selectedFile();
    if (!rom)
        return;
    const QString name = fromBytes(*rom);
    const kl::ForgetOutcome forgot = m_scope.forget(*rom, m_binder.read());
    if (forgot.result == kl::ForgetResult::Failed)
        showError(kForgetFailed.arg(name, fromBytes(m_scope.gameFile(*rom))));
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
    if (m_unattended)
        printErrorLine(toBytes(text));
    else
        m_platform.messageBox(this, shown(text), MessageStyle::Critical, kErrorTitle);
}
void frmKL::setStatus(const QString& text) { lblStatus->setText(shown(text)); }
