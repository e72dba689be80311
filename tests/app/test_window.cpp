// The window offscreen: start-up, interlocks, the file list, folders, launch, preview and exit.
#include <QtTest>
#include <QAccessible>
#include <QWindow>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "browser/startup_listing.h"
#include "bytes.h"
#include "launch/parameter_string.h"
#include "platform.h"
#include "widgets/picture_pane.h"
#include "window_fixture.h"

namespace {

QStringList comboItems(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

const QString kNoFile = "No file has been selected.";
const QString kNoFolder = "Folder does not exist. Please set a path to your ROM images on the \"Paths\" register.";
const QString kNoEmulator =
    "Emulator \"kalmora_boy.exe\" was not found. Please set the correct path to it on the \"Paths\" register.";
// The folder as if its last change were an hour old, as a ROM collection's usually is.
void settle(const QString& folder)
{
    timespec times[2];
    times[0].tv_sec = times[1].tv_sec = ::time(nullptr) - 3600;
    times[0].tv_nsec = times[1].tv_nsec = 0;
    QCOMPARE(::utimensat(AT_FDCWD, folder.toUtf8().constData(), times, 0), 0);
}

// The old search: each candidate size set on the whole window, then its captions checked.
qreal sizeBySettingEachCandidate(frmKL& w, qreal desktop)
{
    const int top = static_cast<int>(std::floor((std::min<qreal>(desktop, 9.0) - 6.0) / 0.25));
    QFont f = QApplication::font();
    const auto tryStep = [&](int step) {
        f.setPointSizeF(6.0 + 0.25 * step);
        w.centralWidget()->setFont(f);
        w.findChild<QTabWidget*>()->tabBar()->setFont(f);
        return w.captionsFit();
    };
    if (tryStep(top))
        return 6.0 + 0.25 * top;
    int fits = 0;
    int fails = top;
    while (fails - fits > 1) {
        const int mid = (fits + fails) / 2;
        (tryStep(mid) ? fits : fails) = mid;
    }
    return 6.0 + 0.25 * fits;
}

const QString kDefaultSwitches = " -display frame -dspmode normal -pallet normal -brite 1.0 -sclscr 1 -frmskp 0";

}  // namespace

class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void builtState()
    {
        WindowFixture fx;
        FakePlatform platform;
        frmKL w(platform, fx.program);
        QCOMPARE(w.windowTitle(), QString("Kalmora Launcher - GUI for Kalmora Boy"));
        QCOMPARE(w.centralWidget()->size(), QSize(560, 435));
        QCOMPARE(w.tabGUI->count(), 6);
        QCOMPARE(w.tabGUI->currentIndex(), 0);
        QCOMPARE(w.tabGUI->tabText(5), QString("&About"));
        QVERIFY(w.optWindow->isChecked() && w.opt3DMode[2]->isChecked() && w.optKeyLayout[1]->isChecked());
        QCOMPARE(w.cmbPalette->currentIndex(), -1);
        QCOMPARE(comboItems(w.cmbPalette), QStringList({"Normal", "Red"}));
        QCOMPARE(w.cmbBrightness->count(), 30);
        QCOMPARE(w.cmbFrameSkip->itemText(9), QString("9 f./sec."));
        QCOMPARE(w.lstFiles->pattern(), QString("*.vb"));
        QVERIFY(w.mnuViewFileType[1]->isChecked() && w.mnuWindowThemeDefault->isChecked());
        QVERIFY(!w.mnuWindowMinimize->isChecked());
        // The context menu is not in the menu bar.
        QStringList bar;
        for (QAction* a : w.menuBar()->actions())
            bar << a->text();
        QCOMPARE(bar, QStringList({"&File", "V&iew", "Co&nfig", "&Window", "&Help"}));
        QCOMPARE(w.popMenu->defaultAction(), w.popLaunch);
        const auto items = [](const QMenu* menu) {
            QStringList out;
            for (const QAction* a : menu->actions())
                out << a->objectName() + (a->isSeparator() ? QString() : ":" + a->text());
            return out.join(' ');
        };
        QCOMPARE(items(w.findChild<QMenu*>("mnuFile")),
                 QString("mnuFileLaunch:&Launch mnuFileRecent:Recen&t games mnuLine1 mnuFileRename:&Rename "
                         "mnuFileDelete:&Delete mnuLine2 mnuFileProperties:&Properties "
                         "mnuFileKeepOptions:Keep options for this &game "
                         "mnuFileForgetOptions:&Forget options for this game "
                         "mnuFileAddToMenu:Add to applications &menu mnuFileRemoveFromMenu:Remove from applications men&u "
                         "mnuLine3 mnuFileExit:E&xit"));
        QCOMPARE(items(w.popMenu),
                 QString("popLaunch:&Launch popLine1 popRename:&Rename popDelete:&Delete popLine2 "
                         "popProperties:&Properties popKeepOptions:Keep options for this &game "
                         "popForgetOptions:&Forget options for this game popAddToMenu:Add to applications &menu "
                         "popRemoveFromMenu:Remove from applications men&u popForgetPlayTime:Forget play time popLine3 "
                         "popRefresh:R&efresh"));
        QVERIFY(!w.mnuFileRecent->menuAction()->isEnabled());
        QCOMPARE(w.findChild<QGroupBox*>("fmPaletteBrightness")->title(), QString(" Palette && Brightness "));
        QCOMPARE(w.mnuViewFileType[3]->text(), QString("&Both (*.vb && *.zip) files"));
        QCOMPARE(w.findChildren<QRadioButton*>("opt3DMode").size(), 6);
    }

    void everyCaptionFits()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (int i = 0; i < w.tabGUI->count(); ++i) {
            const QRect tab = w.tabGUI->tabBar()->tabRect(i);
            QVERIFY2(w.tabGUI->tabBar()->rect().contains(tab), qPrintable(w.tabGUI->tabText(i)));
        }
        for (const QLabel* l : w.centralWidget()->findChildren<QLabel*>())
            if (!l->wordWrap())
                QVERIFY2(l->sizeHint().width() <= l->width(), qPrintable(l->objectName()));
        for (const QGroupBox* g : w.centralWidget()->findChildren<QGroupBox*>())
            QVERIFY2(g->geometry().bottom() < g->parentWidget()->height(), qPrintable(g->objectName()));
    }

    void startUpWithEachKindOfFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("no Data folder") << "nodata" << false << "*._dontdisplayfiles";
        QTest::newRow("no files") << "none" << false << "*._dontdisplayfiles";
        QTest::newRow("defaults with paths") << "defaults" << true << "*.vb";
        QTest::newRow("bad option line keeps the paths") << "bad" << true << "*.vb";
        QTest::newRow("29 lines keep the paths") << "short" << true << "*.vb";
        QTest::newRow("ROM folder missing") << "missingrom" << false << "*._dontdisplayfiles";
        QTest::newRow("GUI with zip and all ticked") << "guiboth" << true << "*.*";
        QTest::newRow("GUI with no file type ticked") << "guinone" << true << "*.vb";
    }
    void startUpWithEachKindOfFile()
    {
        QFETCH(QString, kind);
        QFETCH(bool, shown);
        QFETCH(QString, pattern);
        WindowFixture fx;
        QStringList lines = defaultSettingsLines(fx.emu, fx.roms);
        if (kind == "nodata")
            QDir(fx.program + "/Data").removeRecursively();
        else if (kind == "bad")
            lines[4] = "Yes", lines[7] = " 1 ", fx.settings(lines);
        else if (kind == "short")
            lines[9] = "False", lines[8] = "True", fx.settings(lines.mid(0, 29));
        else if (kind == "missingrom")
            lines[1] = fx.roms + "/gone", fx.settings(lines);
        else if (kind != "none")
            fx.settings(lines);
        if (kind == "guiboth")
            fx.gui("False\r\nTrue\r\nFalse\r\nTrue\r\nFalse\r\nFalse\r\nFalse\r\nFalse\r\nFalse\r\nFalse\r\nFalse\r\n"
                   "False\r\nTrue\r\nFalse\r\n");
        if (kind == "guinone")
            fx.gui("False\r\n");
        frmKL& w = fx.start();
        QCOMPARE(w.lstFiles->pattern(), pattern);
        QCOMPARE(!w.lstFiles->entries().isEmpty(), shown);
        QCOMPARE(w.lblStatus->text(), QString("Status: Kalmora Launcher started"));
        QVERIFY(fx.platform.boxes.isEmpty());
        // Whatever the files said, the options end in a valid state that gives the defaults.
        QCOMPARE(QString::fromStdString(kl::BuildParameterString(w.emulatorSettings())), kDefaultSwitches);
        QCOMPARE(w.txtRomPath->toolTip(), w.txtRomPath->text());
        if (kind == "guinone")
            QVERIFY(!w.mnuViewFileType[1]->isChecked() && w.mnuWindowThemeDefault->isChecked());
        if (kind == "guiboth")
            QCOMPARE(w.lstFiles->entries(), QStringList({"A Game.VB", "b game.vb", "c.zip", "notes.txt"}));
    }

    void loadRunsTheInterlocks()
    {
        WindowFixture fx;
        QStringList lines = defaultSettingsLines(fx.emu, fx.roms);
        lines[8] = "True";   // Red/Blue
        lines[9] = "False";
        lines[14] = "R.B.G.";
        lines[21] = "true";  // Layout 2 (lower case), clears Layout 1
        lines[2] = "False";  // no display mode at all
        lines[16] = " 2 ";   // greyed Flip
        fx.settings(lines);
        frmKL& w = fx.start();
        QCOMPARE(comboItems(w.cmbPalette), QStringList({"Red-Blue", "Red-Green", "R.B.G."}));
        QCOMPARE(w.cmbPalette->currentText(), QString("R.B.G."));
        QCOMPARE(w.findChild<QGroupBox*>("fmPreview")->title(), QString(" Preview - Layout 2 "));
        QCOMPARE(w.lblKey[1]->text(), QString("E / D / S / F"));
        QCOMPARE(w.lblKey[8]->text(), QString("V"));
        QVERIFY(!w.optWindow->isChecked() && !w.opt320x200->isChecked());
        QCOMPARE(w.chkFlip->checkState(), Qt::PartiallyChecked);
        QCOMPARE(QString::fromStdString(kl::BuildParameterString(w.emulatorSettings())),
                 QString(" -dspmode red_blue -pallet rbg -brite 1.0 -sclscr 1 -frmskp 0 -altkbd"));
        // A click on the greyed box checks it; the next click clears it.
        QTest::mouseClick(w.chkFlip, Qt::LeftButton);
        QCOMPARE(w.chkFlip->checkState(), Qt::Checked);
        QTest::mouseClick(w.chkFlip, Qt::LeftButton);
        QCOMPARE(w.chkFlip->checkState(), Qt::Unchecked);
    }

    void userClicksRefillThePalette()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        w.cmbPalette->setCurrentIndex(1);  // Red
        QTest::mouseClick(w.opt3DMode[6], Qt::LeftButton);
        QCOMPARE(w.cmbPalette->currentText(), QString("Normal"));
        QTest::mouseClick(w.opt3DMode[1], Qt::LeftButton);
        QCOMPARE(comboItems(w.cmbPalette), QStringList({"Red-Blue", "Red-Green", "R.B.G."}));
        QVERIFY(!w.opt3DMode[6]->isChecked());
        QTest::mouseClick(w.optKeyLayout[2], Qt::LeftButton);
        QCOMPARE(w.lblKey[1]->text(), QString("E / D / S / F"));
        QTest::mouseClick(w.optKeyLayout[1], Qt::LeftButton);
        QCOMPARE(w.lblKey[1]->text(), QString("Arrow keys"));
        QCOMPARE(w.lblKey[2]->text(), QString("F / V / C / B"));
    }

    void noThreeDModeKeepsThePaletteFamily()
    {
        // All 3D lines False: nothing selected, and a save writes them back the same way.
        WindowFixture fx;
        QStringList lines = defaultSettingsLines(fx.emu, fx.roms);
        lines[9] = "0";
        lines[14] = "Red";
        fx.settings(lines);
        frmKL& w = fx.start();
        for (int i = 1; i <= 6; ++i)
            QVERIFY(!w.opt3DMode[i]->isChecked());
        QCOMPARE(w.cmbPalette->currentText(), QString("Red"));
        w.mnuFileExit_Click();
        lines[9] = "False";
        QCOMPARE(readFile(fx.program + "/Data/Settings.ini"), crlf(lines));
    }

    void listFollowsTheRomFolderText()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        QCOMPARE(w.lstFiles->entries(), QStringList({"A Game.VB", "b game.vb"}));
        w.txtRomPath->setText("");
        QVERIFY(fx.hidden());
        QCOMPARE(w.lstFiles->path(), fx.roms);  // the list keeps its last folder
        w.txtRomPath->setText("   " + fx.roms);
        QCOMPARE(w.txtRomPath->text(), fx.roms);
        QCOMPARE(w.txtRomPath->toolTip(), fx.roms);
        QVERIFY(!fx.hidden());
        QCOMPARE(w.lstFiles->entries().size(), 2);
        w.txtRomPath->setText(fx.roms + " ");  // trailing blanks are part of a Linux name
        QVERIFY(fx.hidden());
        QCOMPARE(w.txtRomPath->text(), fx.roms + " ");
        w.txtRomPath->setText("/");
        QVERIFY(!fx.hidden());
        QCOMPARE(w.lstFiles->path(), QString("/"));
    }

    void fileTypeWhileHiddenMovesOnlyTheTick()
    {
        WindowFixture fx;
        QStringList lines = defaultSettingsLines(fx.emu, fx.roms + "/nope");
        fx.settings(lines);
        frmKL& w = fx.start();
        QVERIFY(fx.hidden());
        w.mnuViewFileType[4]->trigger();
        QVERIFY(fx.hidden());
        QVERIFY(w.mnuViewFileType[4]->isChecked() && !w.mnuViewFileType[1]->isChecked());
        QCOMPARE(w.lblStatus->text(), QString("Status: Kalmora Launcher started"));
        w.txtRomPath->setText(fx.roms);
        QCOMPARE(w.lstFiles->pattern(), QString("*.*"));
        QCOMPARE(w.lstFiles->entries().size(), 4);
        w.mnuViewFileType[2]->trigger();
        QCOMPARE(w.lstFiles->entries(), QStringList({"c.zip"}));
        QCOMPARE(w.lblStatus->text(), QString("Status: Now viewing compressed (*.zip) files in current folder"));
        w.mnuViewFileType[2]->trigger();  // choosing the ticked item keeps its tick
        QVERIFY(w.mnuViewFileType[2]->isChecked());
    }

    void selectionWritesNameAndSize()
    {
        WindowFixture fx;
        fx.defaults();
        writeFile(fx.roms + "/empty.vb", QByteArray());
        frmKL& w = fx.start();
        fx.select("b game.vb");
        QCOMPARE(w.lblStatus->text(), QString("Status: File \"b game.vb\" (1,048,576 Bytes) selected"));
        fx.select("empty.vb");
        QCOMPARE(w.lblStatus->text(), QString("Status: File \"empty.vb\" (0 Bytes) selected"));
        QFile::remove(fx.roms + "/A Game.VB");
        fx.select("A Game.VB");
        QCOMPARE(w.lblStatus->text(), QString("Status: File \"A Game.VB\" () selected"));
        w.mnuViewRefresh_Click();
        QCOMPARE(w.lstFiles->fileName(), QString());
        QCOMPARE(w.lstFiles->entries(), QStringList({"b game.vb", "empty.vb"}));
        QCOMPARE(w.lblStatus->text(), QString("Status: File list refreshed"));
    }

    void firstArrowKeySelectsTheFirstEntry()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(w.lstFiles, &focusIn);
        QTest::keyClick(w.lstFiles, Qt::Key_Down);
        QCOMPARE(w.lstFiles->fileName(), QString("A Game.VB"));
        QTest::keyClick(w.lstFiles, Qt::Key_Down);
        QCOMPARE(w.lstFiles->fileName(), QString("b game.vb"));
        QApplication::sendEvent(w.lstFiles, &focusIn);  // a selection is kept
        QCOMPARE(w.lstFiles->fileName(), QString("b game.vb"));
    }

    void vanishedFolderShowsNothing()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        QVERIFY(QDir(fx.roms).removeRecursively());
        w.popRefresh_Click();
        QVERIFY(w.lstFiles->entries().isEmpty());
        QCOMPARE(w.lblStatus->text(), QString("Status: File list refreshed"));
        w.mnuViewFileType[4]->trigger();
        QVERIFY(w.lstFiles->entries().isEmpty());
    }

    void folderDialog()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        fx.select("b game.vb");
        fx.platform.folderAnswers << QString();  // cancel
        w.cmdBrowseRom_Click();
        QCOMPARE(w.txtRomPath->text(), fx.roms);
        QVERIFY(!fx.hidden());
        QCOMPARE(w.lstFiles->fileName(), QString());  // re-read in every case
        QCOMPARE(fx.platform.prompts.last(),
                 QString("Please choose the folder, where your Nintendo Virtual Boy ROM images are located in:"));
        fx.platform.folderAnswers << fx.emu;
        w.cmdBrowseRom_Click();
        QCOMPARE(w.txtRomPath->text(), fx.emu);
        QVERIFY(w.lstFiles->entries().isEmpty());
        fx.platform.folderAnswers << QString();
        w.cmdBrowseEmu_Click();
        QCOMPARE(w.txtEmuPath->text(), fx.emu);
        QCOMPARE(w.txtEmuPath->toolTip(), fx.emu);
        QCOMPARE(fx.platform.prompts.last(),
                 QString("Please choose the folder, where the Nintendo Virtual Boy emulator \"kalmora_boy.exe\" is "
                         "located in:"));
        w.txtEmuPath->setText("  /opt/emu ");
        QCOMPARE(w.txtEmuPath->text(), QString("/opt/emu "));
    }

    void cancelWithAnEmptyRomFolderStaysHidden()
    {
        WindowFixture fx;
        frmKL& w = fx.start();
        fx.platform.folderAnswers << QString();
        w.cmdBrowseRom_Click();
        QCOMPARE(w.txtRomPath->text(), QString());
        QVERIFY(fx.hidden());
    }

    void launchRefusals_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("no file") << "nofile" << kNoFile;
        QTest::newRow("ROM folder gone") << "nofolder" << kNoFolder;
        QTest::newRow("emulator not started") << "nostart" << kNoEmulator;
    }
    void launchRefusals()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        w.mnuWindowMinimize->trigger();
        if (kind != "nofile")
            fx.select("b game.vb");
        const QString status = w.lblStatus->text();
        if (kind == "nofolder")
            QVERIFY(QDir(fx.roms).removeRecursively());
        fx.platform.startSucceeds = kind != "nostart";
        w.cmdLaunch_Click();
        QCOMPARE(fx.platform.boxes.size(), 1);
        QCOMPARE(fx.platform.boxes[0].text, message);
        QCOMPARE(fx.platform.boxes[0].title, QString("Error"));
        QCOMPARE(fx.platform.boxes[0].style, MessageStyle::Critical);
        QCOMPARE(fx.platform.starts.size(), kind == "nostart" ? 1 : 0);
        QCOMPARE(w.lblStatus->text(), status);
        QVERIFY(!(w.windowState() & Qt::WindowMinimized));
    }

    void launchStartsTheArgumentVector()
    {
        WindowFixture fx;
        QStringList lines = defaultSettingsLines(fx.emu, fx.roms);
        lines[4] = "True";  // 640x480
        lines[7] = " 1 ";
        lines[8] = "True";
        lines[9] = "False";
        lines[14] = "R.B.G.";
        lines[15] = "1.5";
        lines[16] = " 1 ";
        lines[17] = "2x";
        lines[18] = "3 f./sec.";
        lines[21] = "True";
        lines[22] = " 1 ";
        lines[23] = "Virtual Boy controller at LPT2 (0x278)";
        lines[26] = " 1 ";
        fx.settings(lines);
        const QString odd = "Tele $(touch x) \"boxer\" ü.vb";
        writeFile(fx.roms + "/" + odd, "x");
        frmKL& w = fx.start();
        fx.select(odd);
        w.mnuWindowMinimize_Click();
        QString statusAtStart;
        fx.platform.onStart = [&] { statusAtStart = w.lblStatus->text(); };
        w.lstFiles_DblClick();
        QCOMPARE(fx.platform.starts.size(), 1);
        const StartSeen& r = fx.platform.starts[0];
        QCOMPARE(r.program, fx.emu + "/kalmora_boy.exe");
        QCOMPARE(r.workingDirectory, fx.emu);
        QCOMPARE(r.arguments,
                 QStringList({fx.roms + "/" + odd, "-display", "640", "-hstretch", "-dspmode", "red_blue", "-pallet",
                              "rbg", "-brite", "1.5", "-flip", "-sclscr", "2", "-frmskp", "3", "-altkbd", "-joy",
                              "-pport", "2", "-status"}));
        QCOMPARE(w.lblStatus->text(), "Status: Emulator launched with file \"" + odd + "\"");
        QVERIFY(statusAtStart != w.lblStatus->text());
        QVERIFY(w.windowState() & Qt::WindowMinimized);
        QVERIFY(fx.platform.boxes.isEmpty());
    }

    // The emulator runs in its own folder; relative folders are the launcher's, so the
    // emulator must get the file the list shows, not one below its own folder.
    void relativeFoldersReachTheEmulatorResolved()
    {
        WindowFixture fx;
        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(fx.root.path()));
        fx.settings(defaultSettingsLines("emu dir", "roms"));
        frmKL& w = fx.start();
        fx.select("b game.vb");
        w.mnuFileLaunch_Click();
        QDir::setCurrent(saved);
        QCOMPARE(fx.platform.starts.size(), 1);
        const StartSeen& r = fx.platform.starts[0];
        QCOMPARE(r.program, fx.emu + "/kalmora_boy.exe");
        QCOMPARE(r.workingDirectory, fx.emu);
        QCOMPARE(r.arguments.value(0), fx.roms + "/b game.vb");
        QVERIFY(QFileInfo::exists(r.arguments.value(0)));
    }

    // A blank at the end of a folder's name is part of it: the listed file in the folder as
    // typed starts, never its namesake in a folder without the blank.
    void foldersEndingInABlankStartWhatIsListed()
    {
        WindowFixture fx;
        const QString emu = fx.emu + " ", roms = fx.roms + " ";
        QDir().mkpath(emu);
        QDir().mkpath(roms);
        writeFile(roms + "/Decoy.vb", "x");
        writeFile(fx.roms + "/Decoy.vb", "x");  // the folder without the blank holds one too
        fx.settings(defaultSettingsLines(emu, roms));
        frmKL& w = fx.start();
        fx.select("Decoy.vb");
        w.mnuFileLaunch_Click();
        QCOMPARE(fx.platform.starts.size(), 1);
        const StartSeen& r = fx.platform.starts[0];
        QCOMPARE(r.program, emu + "/kalmora_boy.exe");
        QCOMPARE(r.workingDirectory, emu);
        QCOMPARE(r.arguments.value(0), roms + "/Decoy.vb");
    }

    void windowsEmulatorsStartThroughWine_data()
    {
        QTest::addColumn<QByteArray>("emulator");
        QTest::addColumn<bool>("wineOnPath");
        QTest::addColumn<QString>("outcome");  // "wine", "native", "no wine" or "refused"
        QTest::addColumn<QString>("file");
        QTest::newRow("MZ, Wine on the PATH") << QByteArray("MZ\x90\0\x03", 5) << true << "wine" << QString();
        QTest::newRow("MZ, a name no Windows path holds")
            << QByteArray("MZ\x90\0\x03", 5) << true << "refused" << "back\\slash.vb";
        QTest::newRow("native, the same name") << QByteArray("#!/bin/sh\n") << true << "native" << "back\\slash.vb";
        QTest::newRow("MZ, no Wine") << QByteArray("MZ\x90\0\x03", 5) << false << "no wine" << QString();
        QTest::newRow("native script, Wine on the PATH") << QByteArray("#!/bin/sh\n") << true << "native" << QString();
        QTest::newRow("native script, no Wine") << QByteArray("#!/bin/sh\n") << false << "native" << QString();
        QTest::newRow("MZ, WINE names another Wine") << QByteArray("MZ\x90\0\x03", 5) << true << "WINE" << QString();
        QTest::newRow("MZ, WINE names a missing Wine") << QByteArray("MZ\x90\0\x03", 5) << true << "no WINE" << QString();
    }
    void windowsEmulatorsStartThroughWine()
    {
        QFETCH(QByteArray, emulator);
        QFETCH(bool, wineOnPath);
        QFETCH(QString, outcome);
        QFETCH(QString, file);
        if (file.isEmpty())
            file = "b game.vb";
        WindowFixture fx;
        fx.defaults();
        writeFile(fx.roms + '/' + file, "");
        writeFile(fx.emu + "/kalmora_boy.exe", emulator);
        QFile::setPermissions(fx.emu + "/kalmora_boy.exe", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString bin = fx.root.filePath("bin $PATH");
        QDir().mkpath(bin);
        if (wineOnPath) {
            writeFile(bin + "/wine", "#!/bin/sh\n");
            QFile::setPermissions(bin + "/wine", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        const QByteArray oldPath = qgetenv("PATH"), oldHome = qgetenv("HOME");
        qputenv("PATH", fx.root.filePath("nowhere").toUtf8() + ":" + bin.toUtf8());
        qputenv("HOME", fx.root.path().toUtf8());  // no Steam or Lutris of the machine's user
        const QString staging = fx.root.filePath("wine staging/bin/wine");
        if (outcome.endsWith("WINE")) {
            QDir().mkpath(QFileInfo(staging).path());
            if (outcome == "WINE") {
                writeFile(staging, "#!/bin/sh\n");
                QFile::setPermissions(staging, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            }
            qputenv("WINE", staging.toUtf8());
        }
        frmKL& w = fx.start();
        fx.select(file);
        const QString status = w.lblStatus->text();
        w.mnuFileLaunch_Click();
        qputenv("PATH", oldPath);
        qputenv("HOME", oldHome);
        qunsetenv("WINE");
        if (outcome == "no WINE")
            outcome = "no wine";  // the box is the same: the Wine the user chose is not there

        const QStringList switches{"-display", "frame", "-dspmode", "normal", "-pallet", "normal", "-brite", "1.0",
                                   "-sclscr", "1", "-frmskp", "0"};
        if (outcome == "no wine") {
            QVERIFY(fx.platform.starts.isEmpty());
            QCOMPARE(fx.platform.boxes.size(), 1);
            QCOMPARE(fx.platform.boxes[0].text,
                     QString("Emulator \"kalmora_boy.exe\" is a Windows program and no Wine was found: not in WINE, not on "
                             "the PATH, and not among the Wine and Proton builds of Steam, Lutris, Bottles and Heroic. "
                             "Please install Wine to run it."));
            QCOMPARE(fx.platform.boxes[0].style, MessageStyle::Critical);
            QCOMPARE(fx.platform.boxes[0].title, QString("Error"));
            QCOMPARE(w.lblStatus->text(), status);
            return;
        }
        if (outcome == "refused") {
            QVERIFY(fx.platform.starts.isEmpty());
            QCOMPARE(fx.platform.boxes.size(), 1);
            QCOMPARE(fx.platform.boxes[0].text,
                     "File \"" + fx.roms + '/' + file
                         + "\" cannot be opened by the Windows emulator. Windows names cannot hold a backslash or a "
                           "control character, and \"" + file + "\" holds one. Please rename it.");
            QCOMPARE(fx.platform.boxes[0].style, MessageStyle::Critical);
            QCOMPARE(w.lblStatus->text(), status);
            return;
        }
        QCOMPARE(fx.platform.starts.size(), 1);
        const StartSeen& r = fx.platform.starts[0];
        QCOMPARE(r.workingDirectory, fx.emu);
        if (outcome == "wine" || outcome == "WINE") {
            QCOMPARE(r.program, outcome == "WINE" ? staging : bin + "/wine");
            QString drive = "Z:" + fx.roms + "/b game.vb";
            drive.replace('/', '\\');
            QCOMPARE(r.arguments, QStringList({fx.emu + "/kalmora_boy.exe", drive}) + switches);
        } else {
            QCOMPARE(r.program, fx.emu + "/kalmora_boy.exe");
            QCOMPARE(r.arguments, QStringList{fx.roms + '/' + file} + switches);
        }
        QCOMPARE(w.lblStatus->text(), "Status: Emulator launched with file \"" + file + '"');
    }

    // Config > Wine lists what automatic would use and every build found; a choice is kept, used,
    // shown in Properties, and when it has gone the start falls back, saying so.
    void wineChosenFromTheMenu()
    {
        WindowFixture fx;
        fx.defaults();
        writeFile(fx.emu + "/kalmora_boy.exe", "MZ\x90");
        const QString tools = fx.root.filePath("home/.local/share/Steam/compatibilitytools.d/");
        for (const QString build : {"GE-Proton9-20", "GE-Proton10-4", "A&B-Proton8-1"})
            for (const QString file : {"/proton", "/files/bin/wine"}) {
                QDir().mkpath(QFileInfo(tools + build + file).path());
                writeFile(tools + build + file, "#!/bin/sh\n");
                QFile::setPermissions(tools + build + file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            }
        const QByteArray oldPath = qgetenv("PATH"), oldHome = qgetenv("HOME");
        qputenv("PATH", fx.root.filePath("nowhere").toUtf8());
        qputenv("HOME", fx.root.filePath("home").toUtf8());
        frmKL& w = fx.start();
        const auto shownMenu = [&] {
            emit w.mnuConfigWine->aboutToShow();
            QStringList items;
            for (QAction* a : w.mnuConfigWine->actions())
                items << (a->isChecked() ? "* " : "") + a->text();
            return items;
        };
        QCOMPARE(shownMenu(), QStringList({"* &Automatic (GE-Proton10-4 (Steam))", "GE-Proton10-4 (Steam)",
                                           "GE-Proton9-20 (Steam)", "A&&B-Proton8-1 (Steam)"}));
        w.mnuConfigWine->actions().at(2)->trigger();
        QVERIFY(QFileInfo::exists(fx.program + "/Data/wine-choice"));
        QCOMPARE(shownMenu().at(2), QString("* GE-Proton9-20 (Steam)"));
        fx.select("b game.vb");
        w.mnuFileLaunch_Click();
        QCOMPARE(fx.platform.starts.size(), 1);
        QCOMPARE(fx.platform.starts[0].program, tools + "GE-Proton9-20/proton");
        QCOMPARE(fx.platform.starts[0].arguments.first(), QString("run"));
        QCOMPARE(w.lblStatus->text(), QString("Status: Emulator launched with file \"b game.vb\""));
        QtPlatform().showFileProperties(&w, fx.roms + "/b game.vb");
        auto* properties = w.findChild<QWidget*>("frmProperties");
        QVERIFY(properties);
        QCOMPARE(properties->findChild<QLabel*>("valWine")->text(), QString("GE-Proton9-20 (Steam)"));
        properties->close();
        QVERIFY(QDir(tools + "GE-Proton9-20").removeRecursively());
        w.mnuFileLaunch_Click();
        QCOMPARE(fx.platform.starts.size(), 2);
        QCOMPARE(fx.platform.starts[1].program, tools + "GE-Proton10-4/proton");
        QCOMPARE(w.lblStatus->text(), QString("Status: Emulator launched with file \"b game.vb\"; the chosen Wine "
                                              "\"GE-Proton9-20 (Steam)\" is gone, so \"GE-Proton10-4 (Steam)\" was used"));
        QCOMPARE(shownMenu().first(), QString("* &Automatic (GE-Proton10-4 (Steam))"));
        w.mnuConfigWine->actions().at(0)->trigger();
        w.mnuFileLaunch_Click();
        QCOMPARE(w.lblStatus->text(), QString("Status: Emulator launched with file \"b game.vb\""));
        qputenv("PATH", oldPath);
        qputenv("HOME", oldHome);
    }

    // Pictures off, the window is the documented one; View > Game picture grows it by the pane,
    // and taking the pane away again gives back every pixel.
    void picturePaneComesAndGoes()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QSize documented = w.size();
        const QImage before = w.grab().toImage();
        QVERIFY(!w.mnuViewPicture->isChecked());
        QVERIFY(!QFileInfo::exists(fx.program + "/Data/Pictures.ini"));
        w.mnuViewPicture->trigger();
        QVERIFY(w.mnuViewPicture->isChecked());
        QVERIFY(!w.picPane->isHidden());
        QCOMPARE(w.height(), documented.height());
        QVERIFY(w.width() > documented.width() + 200);
        QVERIFY(readFile(fx.program + "/Data/Pictures.ini").contains("Show=true"));
        w.mnuViewPicture->trigger();
        QCOMPARE(w.size(), documented);
        QCOMPARE(w.grab().toImage(), before);
        QVERIFY(readFile(fx.program + "/Data/Pictures.ini").contains("Show=false"));
    }

    // The pane follows the selection: a game's picture (its file name's, from the user's folder),
    // the name where there is none; a Pictures.ini that cannot be read is left as it is.
    void picturePaneFollowsTheSelection()
    {
        WindowFixture fx;
        fx.defaults();
        QVERIFY(QFile::exists(fx.picturesOn("b game", Qt::darkGreen)));
        frmKL& w = fx.start();
        QVERIFY(!w.picPane->isHidden());
        fx.select("b game.vb");
        QTRY_VERIFY(!w.picPane->picture().isNull());
        QVERIFY(w.picPane->picture().height() <= w.picPane->height());
        QCOMPARE(w.picPane->picture().pixel(5, 5), QColor(Qt::darkGreen).rgb());
        fx.select("A Game.VB");
        QCOMPARE(w.picPane->name(), QString("A Game.VB"));
        QTest::qWait(100);
        QVERIFY(w.picPane->picture().isNull());
        fx.select("b game.vb");  // from the cache, at once
        QVERIFY(!w.picPane->picture().isNull());

        WindowFixture other;
        other.defaults();
        QDir().mkpath(other.program + "/Data/Pictures.ini");
        frmKL& second = other.start();
        QVERIFY(second.picPane->isHidden());
        second.mnuViewPicture->trigger();
        QVERIFY(!second.picPane->isHidden());
        QVERIFY(QFileInfo(other.program + "/Data/Pictures.ini").isDir());
        QVERIFY(other.platform.boxes.isEmpty());
    }

    void everyTriggerLaunches()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        fx.select("A Game.VB");
        w.cmdLaunch->click();
        w.mnuFileLaunch->trigger();
        w.popLaunch->trigger();
        const QRect item = w.lstFiles->visualRect(w.lstFiles->currentIndex());
        QTest::mouseDClick(w.lstFiles->viewport(), Qt::LeftButton, {}, item.center());
        QTest::keyClick(w.lstFiles, Qt::Key_Return);
        QCOMPARE(fx.platform.starts.size(), 5);
        for (const StartSeen& r : fx.platform.starts) {
            QCOMPARE(r.arguments.first(), fx.roms + "/A Game.VB");
            QCOMPARE(r.arguments.mid(1).join(' '), kDefaultSwitches.mid(1));
        }
    }

    // A game with a patch beside it starts patched: the emulator gets the copy in Data/Patched,
    // the session its key, the status the patch's name; a damaged patch is the error box. The
    // patch follows a rename and outlives a delete.
    void patchedGamesFromTheWindow()
    {
        WindowFixture fx;
        fx.defaults();
        writeFile(fx.roms + "/b game.ips", QByteArray("PATCH\0\0\0\0\x04HACKEOF", 17));
        writeFile(fx.roms + "/A Game.bps", QByteArray("BPS1 no checksums"));
        frmKL& w = fx.start();
        fx.select("b game.vb");
        w.cmdLaunch_Click();
        const QByteArray result = "HACK" + QByteArray(1048576 - 4, 'r');
        const QByteArray key = QCryptographicHash::hash(result, QCryptographicHash::Sha1);
        QVERIFY2(fx.platform.starts.size() == 1, qPrintable(fx.platform.boxes.isEmpty() ? "" : fx.platform.boxes.last().text));
        QCOMPARE(fx.platform.starts[0].arguments.first(), fx.program + "/Data/Patched/" + key.toHex() + "/b game.vb");
        QCOMPARE(readFile(fx.platform.starts[0].arguments.first()), result);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(fx.platform.playKeys[0]->data()), 20), key);
        QCOMPARE(w.lblStatus->text(), QString("Status: Emulator launched with file \"b game.vb\", patched by \"b game.ips\""));
        fx.select("A Game.VB");
        w.cmdLaunch_Click();
        QCOMPARE(fx.platform.starts.size(), 1);
        QCOMPARE(fx.platform.boxes.last().text, QString("The patch \"A Game.bps\" cannot be applied: its own CRC-32 does not match, so the file is "
                         "damaged."));
        fx.select("b game.vb");
        fx.platform.inputAnswers << "d game.vb";
        w.mnuFileRename_Click();
        QVERIFY(QFile::exists(fx.roms + "/d game.ips") && !QFile::exists(fx.roms + "/b game.ips"));
        fx.select("d game.vb");
        w.mnuFileDelete_Click();  // Yes
        QVERIFY(!QFile::exists(fx.roms + "/d game.vb") && QFile::exists(fx.roms + "/d game.ips"));
    }

    // A button's access key clicks it on the key itself, with no timer run in between, and a
    // key held down is one click, not one per repeat.
    void accessKeyClicksAtOnce()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        fx.select("A Game.VB");
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_L, Qt::AltModifier);
        QCoreApplication::processEvents();
        QCOMPARE(fx.platform.starts.size(), 1);
        for (int repeat = 0; repeat < 3; ++repeat) {
            // A key event that is not the system's goes through the shortcuts as it would.
            QKeyEvent held(QEvent::KeyPress, Qt::Key_L, Qt::AltModifier, QStringLiteral("l"), true);
            QApplication::sendEvent(&w, &held);
        }
        QTest::qWait(300);
        QCOMPARE(fx.platform.starts.size(), 1);
        QTest::keyClick(&w, Qt::Key_S, Qt::AltModifier);
        QCoreApplication::processEvents();
        QCOMPARE(fx.platform.boxes.size(), 1);  // Show parameter
    }

    void previewWithAndWithoutAFile()
    {
        WindowFixture fx;
        QStringList lines = defaultSettingsLines(fx.emu, fx.roms + "/gone");
        fx.settings(lines);
        frmKL& w = fx.start();
        w.cmdHelp_Click();
        w.cmdHelp->click();
        QCOMPARE(fx.platform.boxes.size(), 2);
        for (const auto& box : fx.platform.boxes) {
            QCOMPARE(box.text, "The following parameter are currently chosen and will be passed on to Kalmora Boy: \r\r"
                                   + kDefaultSwitches);
            QCOMPARE(box.title, QString("Parameter"));
            QCOMPARE(box.style, MessageStyle::Information);
        }
        QCOMPARE(w.ShowParametersOnly, 0);
        QVERIFY(fx.platform.starts.isEmpty());
        QCOMPARE(w.lblStatus->text(), QString("Status: Kalmora Launcher started"));
        // The next launch command launches, or refuses, normally.
        w.cmdLaunch_Click();
        QCOMPARE(fx.platform.boxes.last().text, kNoFile);
    }

    // Linux names are bytes: a ROM folder and files whose names are not UTF-8 are listed,
    // launched, inspected, renamed and deleted with their exact bytes, and the folder line of
    // Settings.ini is saved back byte for byte.
    void namesThatAreNotUtf8KeepTheirBytes_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("Latin-1 e acute") << QByteArray("Caf\xe9 Racer.vb");
        QTest::newRow("Shift-JIS") << QByteArray("\x83\x65\x83\x58\x83\x67 \x83\x51\x81\x5b\x83\x80.vb");
    }
    void namesThatAreNotUtf8KeepTheirBytes()
    {
        QFETCH(QByteArray, name);
        WindowFixture fx;
        const QByteArray romFolder = QFile::encodeName(fx.roms) + "/Sammlung \xfc";
        QVERIFY(::mkdir(romFolder.constData(), 0755) == 0);
        const QByteArray file = romFolder + "/" + name;
        const auto create = [&] {
            const int fd = ::open(file.constData(), O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0 && ::write(fd, "12345", 5) == 5 && ::close(fd) == 0);
        };
        create();
        QByteArray settings = crlf(defaultSettingsLines(fx.emu, "@"));
        settings.replace("@", romFolder);
        writeFile(fx.program + "/Data/Settings.ini", settings);
        frmKL& w = fx.start();
        QCOMPARE(w.lstFiles->entries().size(), 1);
        w.lstFiles->setCurrentIndex(w.lstFiles->model()->index(0, 0));
        QVERIFY(w.lblStatus->text().contains(QChar::ReplacementCharacter));
        QVERIFY(w.lblStatus->text().endsWith("(5 Bytes) selected"));

        w.mnuFileLaunch_Click();
        QCOMPARE(fx.platform.starts.size(), 1);
        QCOMPARE(QByteArray::fromStdString(fx.platform.starts[0].command.arguments.at(0)), file);
        w.mnuFileProperties_Click();
        QCOMPARE(QByteArray::fromStdString(toBytes(fx.platform.properties.value(0))), file);

        fx.platform.inputAnswers << "renamed.vb";
        w.mnuFileRename_Click();
        QVERIFY(::access(file.constData(), F_OK) != 0);
        QVERIFY(::access((romFolder + "/renamed.vb").constData(), F_OK) == 0);
        create();
        w.mnuViewRefresh_Click();
        fx.select(fromBytes(name.toStdString()));
        QCOMPARE(toBytes(w.lstFiles->fileName()), name.toStdString());
        w.mnuFileDelete_Click();
        QVERIFY(::access(file.constData(), F_OK) != 0);
        QVERIFY(fx.platform.boxes.size() == 1 && fx.platform.boxes[0].style == MessageStyle::Question);

        w.cmdExit_Click();
        QCOMPARE(readFile(fx.program + "/Data/Settings.ini"), settings);
        std::filesystem::remove_all(romFolder.toStdString());  // QTemporaryDir removes by text
    }

    void bytesSurviveTheTripThroughText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ASCII") << QByteArray("/roms/a b.vb");
        QTest::newRow("UTF-8 with a pair") << QByteArray("\xc3\xbc \xf0\x9f\x8e\xae");
        QTest::newRow("Latin-1") << QByteArray("\xe9\xff\x80");
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf");
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xb2\x80");
        QTest::newRow("cut-off sequence at the end") << QByteArray("ab\xf0\x9f\x8e");
        QTest::newRow("past U+10FFFF") << QByteArray("\xf4\x90\x80\x80");
        QTest::newRow("escape after a pair") << QByteArray("\xf0\x9f\x8e\xae\xb2");
    }
    void bytesSurviveTheTripThroughText()
    {
        QFETCH(QByteArray, bytes);
        const QString text = fromBytes(bytes.toStdString());
        QCOMPARE(QByteArray::fromStdString(toBytes(text)), bytes);
        // What a person sees is what Qt's own decoder shows: valid text unchanged.
        const QString seen = shown(text);
        QVERIFY(!seen.contains(QChar(0xDC80)) && !seen.contains(QChar(0xDCFF)));
        if (QString::fromUtf8(bytes).toUtf8() == bytes)
            QCOMPARE(text, QString::fromUtf8(bytes));
    }

    // An installed copy keeps each user's options in that user's config folder; an older
    // install's Data is read while that folder is empty, and never written.
    void installedCopyKeepsOptionsPerUser()
    {
        WindowFixture fx;
        writeFile(fx.program + "/installed-copy", "");
        QStringList legacy = defaultSettingsLines(fx.emu, fx.roms);
        legacy[10] = "True";  // 3D mode Interlaced
        legacy[9] = "False";
        fx.settings(legacy);
        const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
        const auto runAs = [&](const QString& configHome, bool flip) {
            qputenv("XDG_CONFIG_HOME", configHome.toUtf8());
            frmKL& w = fx.start();
            QVERIFY(w.opt3DMode[3]->isChecked());
            w.chkFlip->setChecked(flip);
            w.cmdExit_Click();
            fx.window.reset();
        };
        const QString alice = fx.root.filePath("alice/.config"), bob = fx.root.filePath("bob/.config");
        runAs(alice, true);
        runAs(bob, false);
        qputenv("XDG_CONFIG_HOME", oldXdg);
        legacy[16] = " 1 ";
        QCOMPARE(readFile(alice + "/kalmora-launcher/Settings.ini"), crlf(legacy));
        legacy[16] = " 0 ";
        QCOMPARE(readFile(bob + "/kalmora-launcher/Settings.ini"), crlf(legacy));
        QCOMPARE(QFileInfo(bob + "/kalmora-launcher").permissions() & 0x0077, QFile::Permissions());
        QVERIFY(QFile::exists(alice + "/kalmora-launcher/GUI.ini"));
        QCOMPARE(QDir(fx.program + "/Data").entryList(QDir::Files), QStringList{"Settings.ini"});
        QVERIFY(fx.platform.boxes.isEmpty());

        // A config folder that cannot be made: the boxes name the real path.
        writeFile(fx.root.filePath("plain file"), "");
        qputenv("XDG_CONFIG_HOME", fx.root.filePath("plain file").toUtf8());
        fx.start().cmdExit_Click();
        qputenv("XDG_CONFIG_HOME", oldXdg);
        QCOMPARE(fx.platform.boxes.size(), 2);
        QVERIFY(fx.platform.boxes[0].text.contains("\"" + fx.root.filePath("plain file/kalmora-launcher/Settings.ini")));
        QVERIFY(fx.platform.boxes[1].text.contains("\"" + fx.root.filePath("plain file/kalmora-launcher/GUI.ini")));
    }

    void exitSavesSettingsThenGuiOnce()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        w.mnuWindowMinimize->trigger();
        w.close();  // the window's close button
        QCOMPARE(fx.platform.ends, 1);
        QCOMPARE(readFile(fx.program + "/Data/Settings.ini"), crlf(defaultSettingsLines(fx.emu, fx.roms)));
        QCOMPARE(readFile(fx.program + "/Data/GUI.ini"),
                 QByteArray("True\r\nFalse\r\nFalse\r\nFalse\r\nFalse\r\nFalse\r\nFalse\r\nFalse\r\nFalse\r\nFalse\r\n"
                            "False\r\nFalse\r\nTrue\r\nTrue\r\n"));
        QFile::remove(fx.program + "/Data/Settings.ini");
        w.cmdExit_Click();
        w.mnuFileExit->trigger();
        QCOMPARE(fx.platform.ends, 1);
        QVERIFY(!QFile::exists(fx.program + "/Data/Settings.ini"));
    }

    // Files that start-up could not use are replaced by the exit's save, but their exact bytes
    // are kept beside them first, once; good files make no copy.
    void damagedFilesAreKeptBeforeTheyAreReplaced()
    {
        WindowFixture fx;
        QStringList lines = defaultSettingsLines(fx.emu, fx.roms);
        lines[15] = "bright";  // not a brightness
        const QByteArray settings = crlf(lines), gui = "True\r\nFalse\r\n";
        writeFile(fx.program + "/Data/Settings.ini.damaged", "an older copy");
        fx.settings(lines);
        fx.gui(gui);
        fx.start().mnuFileExit_Click();
        QVERIFY(fx.platform.boxes.isEmpty());
        QCOMPARE(readFile(fx.program + "/Data/Settings.ini"), crlf(defaultSettingsLines(fx.emu, fx.roms)));
        QCOMPARE(readFile(fx.program + "/Data/Settings.ini.damaged"), settings);
        QCOMPARE(readFile(fx.program + "/Data/GUI.ini.damaged"), gui);
        QVERIFY(readFile(fx.program + "/Data/GUI.ini") != gui);
        QVERIFY(QFile::remove(fx.program + "/Data/Settings.ini.damaged") && QFile::remove(fx.program + "/Data/GUI.ini.damaged"));
        WindowFixture::startAgain(fx).mnuFileExit_Click();
        QCOMPARE(QDir(fx.program + "/Data").entryList(QDir::Files), QStringList({"GUI.ini", "Settings.ini"}));
    }

    void failedSavesAreReportedInOrder()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        QVERIFY(QDir(fx.program + "/Data").removeRecursively());
        w.cmdExit->click();
        QCOMPARE(fx.platform.boxes.size(), 2);
        QCOMPARE(fx.platform.boxes[0].text,
                 "Could not save emulator configuration to file \"" + fx.program
                     + "/Data/Settings.ini\". Please make sure that the folder exists and that you have the right to "
                       "write to it.");
        QCOMPARE(fx.platform.boxes[1].text,
                 "Could not save GUI configuration to file \"" + fx.program
                     + "/Data/GUI.ini\". Please make sure that the folder exists and that you have the right to write "
                       "to it.");
        QCOMPARE(fx.platform.boxes[1].style, MessageStyle::Critical);
        QCOMPARE(fx.platform.ends, 1);
        QVERIFY(!QFileInfo::exists(fx.program + "/Data"));
    }

    void themesKeepOneTick_data()
    {
        QTest::addColumn<int>("theme");
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("base");
        QTest::newRow("Beach") << 1 << QColor(128, 64, 0) << QColor(255, 224, 192);
        QTest::newRow("Matrix") << 4 << QColor(0, 255, 0) << QColor(0, 0, 0);
        QTest::newRow("Summer") << 8 << QColor(0, 0, 128) << QColor(255, 255, 192);
    }
    void themesKeepOneTick()
    {
        QFETCH(int, theme);
        QFETCH(QColor, text);
        QFETCH(QColor, base);
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        const QColor highlight = w.lstFiles->palette().color(QPalette::Highlight);
        for (int twice = 0; twice < 2; ++twice) {
            w.mnuWindowTheme[theme]->trigger();
            QCOMPARE(w.lstFiles->palette().color(QPalette::Text), text);
            QCOMPARE(w.lstFiles->palette().color(QPalette::Base), base);
            QCOMPARE(w.lstFiles->palette().color(QPalette::Highlight), highlight);
            int ticks = w.mnuWindowThemeDefault->isChecked();
            for (int i = 1; i <= 8; ++i)
                ticks += w.mnuWindowTheme[i]->isChecked();
            QCOMPARE(ticks, 1);
            QVERIFY(w.mnuWindowTheme[theme]->isChecked());
        }
        w.mnuWindowThemeDefault->trigger();
        QVERIFY(w.mnuWindowThemeDefault->isChecked() && !w.mnuWindowTheme[theme]->isChecked());
        QCOMPARE(w.lstFiles->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
    }

    void renameNeverReplacesAndDeleteAsks()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        fx.select("b game.vb");
        fx.platform.inputAnswers << "A Game.VB";
        w.mnuFileRename_Click();
        QCOMPARE(fx.platform.boxes.last().text,
                 QString("Could not rename \"b game.vb\". This file is probably in use or the new name contains "
                         "invalid characters."));
        QCOMPARE(w.lstFiles->fileName(), QString("b game.vb"));
        QCOMPARE(readFile(fx.roms + "/A Game.VB").size(), 1048576);
        fx.platform.inputAnswers << "c $(x).vb";
        w.popRename_Click();
        QCOMPARE(w.lblStatus->text(), QString("Status: File \"b game.vb\" renamed to \"c $(x).vb\""));
        QVERIFY(QFile::exists(fx.roms + "/c $(x).vb"));
        QCOMPARE(w.lstFiles->fileName(), QString());
        fx.select("A Game.VB");
        fx.platform.answers << MessageAnswer::No;
        w.mnuFileDelete_Click();
        QVERIFY(QFile::exists(fx.roms + "/A Game.VB"));
        QCOMPARE(fx.platform.boxes.last().title, QString("Delete file"));
        w.popDelete_Click();  // Yes
        QVERIFY(!QFile::exists(fx.roms + "/A Game.VB"));
        QCOMPARE(w.lblStatus->text(), QString("Status: File \"A Game.VB\" deleted"));
        w.mnuFileProperties_Click();
        QCOMPARE(fx.platform.boxes.last().text, kNoFile);
    }

    void resetsAskFirst()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        QTest::mouseClick(w.opt3DMode[1], Qt::LeftButton);
        w.cmbPalette->setCurrentIndex(2);  // R.B.G.
        w.mnuWindowTheme[4]->trigger();
        fx.select("b game.vb");
        fx.platform.answers << MessageAnswer::No << MessageAnswer::No;
        w.mnuConfigResetEmu_Click();
        w.mnuConfigResetBoth_Click();
        QCOMPARE(w.cmbPalette->currentText(), QString("R.B.G."));
        QCOMPARE(w.lstFiles->fileName(), QString("b game.vb"));
        QCOMPARE(fx.platform.boxes[0].title, QString("Reset emulator configuration"));
        QCOMPARE(fx.platform.boxes[1].text,
                 QString("Do you really want to reset the emulator and GUI configuration (paths are not affected)?"));
        w.mnuConfigResetEmu_Click();  // Yes: the emulator options only
        QVERIFY(w.opt3DMode[2]->isChecked());
        QCOMPARE(w.cmbPalette->currentText(), QString("Normal"));
        QVERIFY(w.mnuWindowTheme[4]->isChecked());
        QCOMPARE(w.lstFiles->fileName(), QString("b game.vb"));
        QTest::mouseClick(w.opt3DMode[1], Qt::LeftButton);
        w.mnuConfigResetBoth_Click();  // Yes
        QVERIFY(w.opt3DMode[2]->isChecked());
        QCOMPARE(comboItems(w.cmbPalette), QStringList({"Normal", "Red"}));
        QCOMPARE(w.cmbPalette->currentText(), QString("Normal"));
        QVERIFY(w.mnuWindowThemeDefault->isChecked() && !w.mnuWindowTheme[4]->isChecked());
        QCOMPARE(w.txtRomPath->text(), fx.roms);
        QCOMPARE(w.lstFiles->fileName(), QString());
        QVERIFY(!QFile::exists(fx.program + "/Data/GUI.ini"));
    }

    void resetGuiAlone()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        w.cmbPalette->setCurrentIndex(1);  // Red, an emulator option the GUI reset must not touch
        w.mnuWindowTheme[4]->trigger();
        w.mnuViewFileType[4]->trigger();
        w.mnuWindowMinimize->trigger();
        fx.select("notes.txt");
        fx.platform.answers << MessageAnswer::No;
        w.mnuConfigResetGUI_Click();
        QCOMPARE(fx.platform.boxes[0].title, QString("Reset GUI configuration"));
        QCOMPARE(fx.platform.boxes[0].text,
                 QString("Do you really want to reset the GUI configuration (paths are not affected)?"));
        QCOMPARE(fx.platform.boxes[0].style, MessageStyle::Question);
        QVERIFY(w.mnuWindowTheme[4]->isChecked() && w.mnuWindowMinimize->isChecked());
        QCOMPARE(w.lstFiles->fileName(), QString("notes.txt"));
        w.mnuConfigResetGUI->trigger();  // Yes
        QVERIFY(w.mnuWindowThemeDefault->isChecked() && !w.mnuWindowTheme[4]->isChecked());
        QVERIFY(w.mnuViewFileType[1]->isChecked() && !w.mnuViewFileType[4]->isChecked());
        QVERIFY(!w.mnuWindowMinimize->isChecked());
        QCOMPARE(w.lstFiles->pattern(), QString("*.vb"));
        QCOMPARE(w.lstFiles->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
        QCOMPARE(w.cmbPalette->currentText(), QString("Red"));
        QVERIFY(!QFile::exists(fx.program + "/Data/GUI.ini"));
    }

    void contextMenuOnlyForTheRightButtonWithASelection_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<int>("menus");
        QTest::newRow("right, selected") << int(Qt::RightButton) << true << 1;
        QTest::newRow("left, selected") << int(Qt::LeftButton) << true << 0;
        QTest::newRow("middle, selected") << int(Qt::MiddleButton) << true << 0;
        QTest::newRow("right, nothing selected") << int(Qt::RightButton) << false << 0;
        QTest::newRow("Shift+F10, selected") << int(Qt::Key_F10) << true << 1;
        QTest::newRow("Shift+F10, nothing selected") << int(Qt::Key_F10) << false << 0;
        QTest::newRow("menu key, selected") << int(Qt::Key_Menu) << true << 1;
        QTest::newRow("F10 alone") << int(Qt::Key_F9) << true << 0;
    }
    void contextMenuOnlyForTheRightButtonWithASelection()
    {
        QFETCH(int, button);
        QFETCH(bool, selected);
        QFETCH(int, menus);
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        if (selected)
            fx.select("b game.vb");
        const QRect other = w.lstFiles->visualRect(w.lstFiles->model()->index(0, 0));
        if (button == Qt::Key_F10 || button == Qt::Key_F9) {
            QTest::keyClick(w.lstFiles, Qt::Key_F10, button == Qt::Key_F10 ? Qt::ShiftModifier : Qt::NoModifier);
        } else if (button == Qt::Key_Menu) {
            QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5), w.lstFiles->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(w.lstFiles, &event);
        } else {
            // A press on another entry: the menu must act on the entry selected before it.
            QTest::mousePress(w.lstFiles->viewport(), Qt::MouseButton(button), {}, other.center());
        }
        QCOMPARE(fx.platform.menus, menus);
        if (menus)
            QCOMPARE(w.lstFiles->fileName(), QString("b game.vb"));
        // By keyboard, at the selected entry's row rather than wherever the pointer is.
        if (menus && button > Qt::Key_Escape) {
            const QRect row = w.lstFiles->visualRect(w.lstFiles->currentIndex());
            const auto at = fx.platform.menuKeyboardPositions.value(0);
            QVERIFY(at.has_value());
            QVERIFY(QRect(w.lstFiles->viewport()->mapToGlobal(row.topLeft()), row.size()).adjusted(0, 0, 0, 1).contains(*at));
        } else if (menus) {
            QCOMPARE(fx.platform.menuKeyboardPositions.value(0), std::nullopt);
        }
    }

    // A title bar may offer to maximize the fixed-size window anyway; the window follows the
    // request for a moment (a Wayland compositor insists on it) and returns to its size.
    void maximizeReturnsToTheFixedSize()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QSize fixed = w.size();
        w.windowHandle()->setWindowStates(Qt::WindowMaximized);
        // While the request is followed, a work area smaller than the window (a phone's, a
        // small screen at a large scale) is a size both bounds allow.
        QVERIFY(w.minimumWidth() < fixed.width() / 2 && w.minimumHeight() < fixed.height() / 2);
        QVERIFY(w.maximumWidth() > fixed.width() && w.maximumHeight() > fixed.height());
        QTRY_COMPARE(w.maximumSize(), fixed);
        QVERIFY(!(w.windowState() & Qt::WindowMaximized));
        QCOMPARE(w.minimumSize(), fixed);
        QCOMPARE(w.size(), fixed);
    }

    // The session manager's request before a logout saves both files; the window stays, as
    // the logout may yet be cancelled, and a failed save is no box then.
    void sessionManagerRequestSavesBothFiles()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        w.mnuWindowMinimize->trigger();
        w.commitSessionData();
        QCOMPARE(fx.platform.ends, 0);
        QCOMPARE(readFile(fx.program + "/Data/Settings.ini"), crlf(defaultSettingsLines(fx.emu, fx.roms)));
        QVERIFY(readFile(fx.program + "/Data/GUI.ini").endsWith("True\r\nTrue\r\n"));
        QVERIFY(QDir(fx.program + "/Data").removeRecursively());
        w.commitSessionData();
        QVERIFY(fx.platform.boxes.isEmpty());
        w.mnuFileExit_Click();
        QCOMPARE(fx.platform.boxes.size(), 2);
        QCOMPARE(fx.platform.ends, 1);
    }

    void renameCancelledOrFailedChangesNothing()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        w.mnuFileRename_Click();
        QCOMPARE(fx.platform.boxes.last().text, kNoFile);
        fx.select("b game.vb");
        const QString status = w.lblStatus->text();
        w.mnuFileRename_Click();  // the input box is cancelled
        QCOMPARE(fx.platform.prompts.last(), QString("Rename file|Please enter a new name for \"b game.vb\":"));
        QCOMPARE(fx.platform.boxes.size(), 1);
        fx.platform.inputAnswers << "no/such/folder.vb";
        w.mnuFileRename_Click();
        QCOMPARE(fx.platform.boxes.size(), 2);
        QCOMPARE(fx.platform.boxes.last().title, QString("Error"));
        QCOMPARE(w.lstFiles->fileName(), QString("b game.vb"));
        QCOMPARE(w.lblStatus->text(), status);
        QVERIFY(QFile::exists(fx.roms + "/b game.vb"));
    }

    void deleteOfAWriteProtectedFileFails()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        w.mnuFileDelete_Click();
        QCOMPARE(fx.platform.boxes.last().text, kNoFile);
        QFile(fx.roms + "/A Game.VB").setPermissions(QFileDevice::ReadOwner);
        fx.select("A Game.VB");
        const QString status = w.lblStatus->text();
        w.mnuFileDelete_Click();  // Yes
        QCOMPARE(fx.platform.boxes.last().text,
                 QString("Could not delete \"A Game.VB\". This file is probably write protected or in use."));
        QVERIFY(QFile::exists(fx.roms + "/A Game.VB"));
        QCOMPARE(w.lstFiles->fileName(), QString("A Game.VB"));
        QCOMPARE(w.lblStatus->text(), status);
    }

    void documents_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("document");
        QTest::addColumn<bool>("opens");
        QTest::newRow("Readme opens") << "mnuHelpReadme" << "/Docs/Readme.txt" << true;
        QTest::newRow("Readme fails") << "mnuHelpReadme" << "/Docs/Readme.txt" << false;
        QTest::newRow("History opens") << "mnuHelpHistory" << "/Docs/History.txt" << true;
        QTest::newRow("History fails") << "mnuHelpHistory" << "/Docs/History.txt" << false;
    }
    void documents()
    {
        QFETCH(QString, item);
        QFETCH(QString, document);
        QFETCH(bool, opens);
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        fx.platform.openSucceeds = opens;
        w.findChild<QAction*>(item)->trigger();
        QCOMPARE(fx.platform.opened, QStringList{fx.program + document});
        if (opens) {
            QVERIFY(fx.platform.boxes.isEmpty());
        } else {
            QCOMPARE(fx.platform.boxes.size(), 1);
            QCOMPARE(fx.platform.boxes[0].text,
                     "Could not open file \"" + fx.program + document
                         + "\". Please make sure that folder and file exist and that a standard text editor for "
                           "*.txt files is installed on your system.");
            QCOMPARE(fx.platform.boxes[0].style, MessageStyle::Critical);
            QCOMPARE(fx.platform.boxes[0].title, QString("Error"));
        }
    }

    void linksOpenSilentlyAndChangeColour()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        const QColor first(0, 0, 128), normal(0, 0, 192), hover(0, 0, 255);
        QCOMPARE(w.lblURL[1]->textColor(), first);
        QCOMPARE(w.lblURL[2]->textColor(), normal);
        QCOMPARE(w.lblURL[3]->textColor(), normal);

        // Real pointer movements reach the handlers through the widgets of the shown About page.
        w.tabGUI->setCurrentIndex(w.tabGUI->count() - 1);
        auto move = [](QWidget* widget) {
            QMouseEvent event(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                              Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(widget, &event);
        };
        move(w.lblURL[2]);
        QCOMPARE(w.lblURL[2]->textColor(), hover);
        QCOMPARE(w.lblURL[1]->textColor(), first);
        move(w.lblURL[1]);
        QCOMPARE(w.lblURL[1]->textColor(), hover);
        QCOMPARE(w.lblURL[2]->textColor(), hover);  // only the frame or the tab resets
        move(w.fmOnTheWeb);
        for (int i = 1; i <= 3; ++i)
            QCOMPARE(w.lblURL[i]->textColor(), normal);
        move(w.lblURL[3]);
        move(w.tabGUI->currentWidget());  // the page outside its frames
        QCOMPARE(w.lblURL[3]->textColor(), normal);

        fx.platform.openSucceeds = false;
        for (int i = 1; i <= 3; ++i)
            QTest::mouseClick(w.lblURL[i], Qt::LeftButton);
        QCOMPARE(fx.platform.opened, QStringList({w.lblURL[1]->text(), w.lblURL[2]->text(), w.lblURL[3]->text()}));
        QVERIFY(fx.platform.opened[0].startsWith("https://"));
        QVERIFY(fx.platform.boxes.isEmpty());
    }

    // The About tab's web addresses by keyboard: in the tab order after the Paths tab's controls,
    // opened by Enter and Space (a held key opens once), and links to screen readers.
    void webAddressesByKeyboard()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        QCOMPARE(w.cmdBrowseRom->nextInFocusChain(), static_cast<QWidget*>(w.lblURL[1]));
        QCOMPARE(w.lblURL[3]->nextInFocusChain(), static_cast<QWidget*>(w.tabGUI->tabBar()));
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(w.lblURL[i]->focusPolicy(), Qt::StrongFocus);
            QAccessibleInterface* link = QAccessible::queryAccessibleInterface(w.lblURL[i]);
            QVERIFY(link);
            QCOMPARE(link->role(), QAccessible::Link);
            QCOMPARE(link->text(QAccessible::Name), w.lblURL[i]->text());
        }
        QTest::keyClick(w.lblURL[1], Qt::Key_Return);
        QTest::keyClick(w.lblURL[2], Qt::Key_Space);
        QTest::keyClick(w.lblURL[3], Qt::Key_Enter);
        QTest::keyPress(w.lblURL[3], Qt::Key_Space);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(w.lblURL[3], &repeat);
        QCOMPARE(fx.platform.opened, QStringList({w.lblURL[1]->text(), w.lblURL[2]->text(), w.lblURL[3]->text(),
                                                  w.lblURL[3]->text()}));
    }

    void propertiesWindowStaysOpenBesideTheLauncher()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        fx.select("b game.vb");
        w.popProperties->trigger();
        QCOMPARE(fx.platform.properties, QStringList{fx.roms + "/b game.vb"});
        QtPlatform real;
        // The desktop opener reports success for any path, so a missing document must fail before it.
        QVERIFY(!real.openWithShell(fx.program + "/Docs/Readme.txt"));
        real.showFileProperties(&w, fx.platform.properties[0]);
        auto* window = w.findChild<QWidget*>("frmProperties");
        QVERIFY(window && window->isVisible() && window->isWindow());
        QVERIFY(!window->isModal());
        QCOMPARE(window->windowTitle(), QString("Properties of \"b game.vb\""));
        QCOMPARE(window->parentWidget(), &w);
        QCOMPARE(window->findChild<QLabel*>("valSize")->text(), QString("1,048,576 Bytes"));
        // 1 MiB of 'r' is a valid size without a valid footer.
        QCOMPARE(window->findChild<QLabel*>("valRom")->text(), QString("No Virtual Boy ROM header found"));
        window->close();
    }

    // The window takes the largest quarter-point size, up to the desktop's and at most 9 pt,
    // at which every caption fits; a tiny desktop font is kept.
    void fontIsTheLargestThatFits_data()
    {
        QTest::addColumn<qreal>("desktop");
        QTest::newRow("9 pt") << 9.0;
        QTest::newRow("large desktop font") << 16.0;
        QTest::newRow("between quarter points") << 7.6;
        QTest::newRow("6 pt") << 6.0;
        QTest::newRow("below 6 pt") << 5.0;
    }
    void fontIsTheLargestThatFits()
    {
        QFETCH(qreal, desktop);
        const QFont saved = QApplication::font();
        QFont f = saved;
        f.setPointSizeF(desktop);
        QApplication::setFont(f);
        WindowFixture fx;
        frmKL& w = fx.start();
        QWidget* central = w.centralWidget();
        const qreal chosen = central->font().pointSizeF();
        // The same size as setting each candidate on the window and checking it chooses.
        if (desktop >= 6.0) {
            WindowFixture other;
            frmKL& reference = other.start();
            QCOMPARE(chosen, sizeBySettingEachCandidate(reference, desktop));
        }
        QApplication::setFont(saved);
        if (desktop < 6.0) {
            QCOMPARE(chosen, desktop);
            return;
        }
        QVERIFY(chosen >= 6.0 && chosen <= std::min<qreal>(desktop, 9.0));
        QCOMPARE(std::fmod(chosen, 0.25), 0.0);
        QVERIFY2(w.captionsFit() || chosen == 6.0, qPrintable(QString::number(chosen)));
        if (chosen + 0.25 <= std::min<qreal>(desktop, 9.0)) {
            QFont larger = central->font();
            larger.setPointSizeF(chosen + 0.25);
            central->setFont(larger);
            w.findChild<QTabWidget*>()->tabBar()->setFont(larger);
            QVERIFY2(!w.captionsFit(), qPrintable(QString::number(chosen)));
        }
    }

    // With the ROM folder read ahead, the window shows exactly what start-up without it
    // shows; the names read ahead are used only where they are that.
    void startupWithReadAhead_data()
    {
        QTest::addColumn<QByteArray>("romLine");  // "<roms>" stands for the ROM folder
        QTest::addColumn<QByteArray>("gui");       // empty: no GUI.ini
        QTest::addColumn<QString>("between");      // what happens after the read, before the window
        QTest::addColumn<bool>("readAheadUsed");
        QTest::addColumn<QStringList>("entries");
        const QByteArray noFileType = QByteArray("False\r\n").repeated(12) + "True\r\nFalse\r\n";
        const QByteArray zip = "False\r\nTrue\r\n" + QByteArray("False\r\n").repeated(10) + "True\r\nFalse\r\n";
        QTest::newRow("plain") << QByteArray("<roms>") << QByteArray() << "" << true
                               << QStringList{"A Game.VB", "b game.vb"};
        QTest::newRow("path line with leading blanks") << QByteArray("   <roms>") << QByteArray() << "" << true
                                                       << QStringList{"A Game.VB", "b game.vb"};
        QTest::newRow("no file type ticked") << QByteArray("<roms>") << noFileType << "" << true
                                             << QStringList{"A Game.VB", "b game.vb"};
        QTest::newRow("zip files") << QByteArray("<roms>") << zip << "" << true << QStringList{"c.zip"};
        QTest::newRow("folder vanishes") << QByteArray("<roms>") << QByteArray() << "vanish" << false << QStringList{};
        QTest::newRow("file added") << QByteArray("<roms>") << QByteArray() << "add" << false
                                    << QStringList{"A Game.VB", "b game.vb", "d.vb"};
        QTest::newRow("Settings.ini damaged") << QByteArray("<roms>") << QByteArray() << "damage" << false
                                              << QStringList{};
        QTest::newRow("ROM folder is a file") << QByteArray("<roms>/notes.txt") << QByteArray() << "" << false
                                              << QStringList{};
    }
    void startupWithReadAhead()
    {
        QFETCH(QByteArray, romLine);
        QFETCH(QByteArray, gui);
        QFETCH(QString, between);
        QFETCH(QStringList, entries);
        WindowFixture fx;
        QStringList lines = defaultSettingsLines(fx.emu, QString::fromUtf8(romLine).replace("<roms>", fx.roms));
        fx.settings(lines);
        if (!gui.isEmpty())
            fx.gui(gui);
        settle(fx.roms);
        kl::FolderPrefetch prefetch(fx.program.toStdString());
        prefetch.wait();
        if (between == "vanish")
            QVERIFY(QDir(fx.roms).removeRecursively());
        if (between == "add")
            writeFile(fx.roms + "/d.vb", "x");
        if (between == "damage")  // the path line itself goes; start-up falls back to an empty path
            fx.settings({"only one line"});
        frmKL w(fx.platform, fx.program, &prefetch);
        w.Form_Load();
        QTEST(prefetch.handedOver(), "readAheadUsed");
        QCOMPARE(w.lstFiles->entries(), entries);

        // The same start without the read-ahead.
        frmKL& plain = fx.start();
        QCOMPARE(w.lstFiles->entries(), plain.lstFiles->entries());
        QCOMPARE(w.lstFiles->pattern(), plain.lstFiles->pattern());
        QCOMPARE(w.lstFiles->path(), plain.lstFiles->path());
        QCOMPARE(w.txtRomPath->text(), plain.txtRomPath->text());
        QCOMPARE(w.lblStatus->text(), plain.lblStatus->text());
    }

    void centredWithoutClamping()
    {
        WindowFixture fx;
        fx.platform.screen = QRect(0, 0, 400, 300);
        frmKL& w = fx.start();
        QVERIFY(w.x() < 0 && w.y() < 0);
        QCOMPARE(w.x(), (400 - w.frameGeometry().width()) / 2);
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
