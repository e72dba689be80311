// Games with options of their own: kept, shown on selection, changed, forgotten, carried by
// rename and delete; the window's own options stay what Settings.ini keeps.
#include <QtTest>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

#include "launch/parameter_string.h"
#include "window_fixture.h"

namespace {

QString switches(const frmKL& w) { return QString::fromStdString(kl::BuildParameterString(w.emulatorSettings())); }

const QString kWindowSwitches = " -display frame -dspmode normal -pallet normal -brite 1.0 -sclscr 1 -frmskp 0";

}  // namespace

class TestGameOptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void gamesKeepOptionsOfTheirOwn()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        const QString games = fx.program + "/Data/Games";
        const QString own = games + "/b game.vb.ini";

        // Keep: the game takes a copy of what the controls show.
        fx.select("b game.vb");
        QTest::mouseClick(w.opt3DMode[1], Qt::LeftButton);  // Red/Blue: the palette family changes
        w.cmbPalette->setCurrentIndex(2);                    // R.B.G.
        QTest::mouseClick(w.optKeyLayout[2], Qt::LeftButton);
        const QString gameSwitches = switches(w);
        QCOMPARE(gameSwitches, QString(" -display frame -dspmode red_blue -pallet rbg -brite 1.0 -sclscr 1 -frmskp 0 -altkbd"));
        w.mnuFileKeepOptions->trigger();
        QCOMPARE(w.lblStatus->text(), QString("Status: Options kept for \"b game.vb\""));
        QVERIFY(QFile::exists(own));
        // The window's options are what the controls held before the game kept them: here,
        // with the changes made before the keep.
        QCOMPARE(QString::fromStdString(kl::BuildParameterString(w.windowOptions())), gameSwitches);

        // Another game: the window's options come back.
        fx.select("A Game.VB");
        QCOMPARE(switches(w), gameSwitches);
        QTest::mouseClick(w.opt3DMode[2], Qt::LeftButton);  // the window's own choice: Normal
        QTest::mouseClick(w.optKeyLayout[1], Qt::LeftButton);
        QCOMPARE(switches(w), kWindowSwitches);
        const QByteArray kept = readFile(own);

        // The first game again: its options, palette family and key preview.
        fx.select("b game.vb");
        QCOMPARE(switches(w), gameSwitches);
        QCOMPARE(w.cmbPalette->count(), 3);
        QCOMPARE(w.cmbPalette->currentText(), QString("R.B.G."));
        QCOMPARE(w.fmPreview->title(), QString(" Preview - Layout 2 "));
        QCOMPARE(w.lblKey[1]->text(), QString("E / D / S / F"));
        QCOMPARE(w.lblStatus->text(), QString("Status: File \"b game.vb\" (1,048,576 Bytes) selected, with its own options"));
        QCOMPARE(readFile(own), kept);  // showing them wrote nothing

        // A change while it is selected goes to its file at once, not to the window's options.
        QTest::mouseClick(w.chkFlip, Qt::LeftButton);
        QVERIFY(readFile(own) != kept);
        QVERIFY(readFile(own).contains("\r\n 1 \r\n1x\r\n"));  // Flip, then the zoom line
        QCOMPARE(QString::fromStdString(kl::BuildParameterString(w.windowOptions())), kWindowSwitches);

        // Reset emulator while it is selected: the game's file takes the defaults.
        w.mnuConfigResetEmu_Click();
        QCOMPARE(readFile(own), crlf(defaultSettingsLines("", "").mid(2)));
        QCOMPARE(QString::fromStdString(kl::BuildParameterString(w.windowOptions())), kWindowSwitches);
        QTest::mouseClick(w.opt320x200, Qt::LeftButton);
        const QByteArray changed = readFile(own);

        // A handed-over file uses its own options, or the window's (kept aside now).
        w.launchHandedFile((fx.roms + "/b game.vb").toStdString());
        w.launchHandedFile((fx.roms + "/A Game.VB").toStdString());
        QCOMPARE(fx.platform.starts.size(), 2);
        QCOMPARE(fx.platform.starts[0].arguments.mid(1).join(' '), QString("-display 320 -dspmode normal -pallet normal -brite 1.0 -sclscr 1 -frmskp 0"));
        QCOMPARE(" " + fx.platform.starts[1].arguments.mid(1).join(' '), kWindowSwitches);

        // Losing the selection (a refresh) puts the window's options back.
        w.mnuViewRefresh_Click();
        QCOMPARE(switches(w), kWindowSwitches);

        // Rename carries the file; delete removes it after the ROM.
        fx.select("b game.vb");
        fx.platform.inputAnswers << "Bravo.vb";
        w.mnuFileRename_Click();
        QVERIFY(!QFile::exists(own));
        QCOMPARE(readFile(games + "/Bravo.vb.ini"), changed);
        QCOMPARE(switches(w), kWindowSwitches);
        fx.select("Bravo.vb");
        QCOMPARE(switches(w), QString(" -display 320 -dspmode normal -pallet normal -brite 1.0 -sclscr 1 -frmskp 0"));
        w.mnuFileDelete_Click();
        QVERIFY(!QFile::exists(fx.roms + "/Bravo.vb"));
        QVERIFY(!QFile::exists(games + "/Bravo.vb.ini"));
        QCOMPARE(switches(w), kWindowSwitches);

        // Forget: the file goes, the window's options come back; a game without: nothing.
        fx.select("A Game.VB");
        w.mnuFileKeepOptions->trigger();
        QTest::mouseClick(w.chkFlip, Qt::LeftButton);
        w.mnuFileForgetOptions->trigger();
        QCOMPARE(w.lblStatus->text(), QString("Status: Options for \"A Game.VB\" forgotten"));
        QVERIFY(!QFile::exists(games + "/A Game.VB.ini"));
        QCOMPARE(switches(w), kWindowSwitches);
        w.mnuFileForgetOptions->trigger();
        QCOMPARE(w.lblStatus->text(), QString("Status: Options for \"A Game.VB\" forgotten"));
        QCOMPARE(fx.platform.boxes.size(), 2);  // the reset and the delete asked; nothing failed
        QCOMPARE(fx.platform.boxes[1].title, QString("Delete file"));

        // At exit Settings.ini holds the window's options, never a game's.
        fx.select("A Game.VB");
        w.mnuFileKeepOptions->trigger();
        QTest::mouseClick(w.opt1024x768, Qt::LeftButton);
        w.cmdExit_Click();
        QCOMPARE(readFile(fx.program + "/Data/Settings.ini"), crlf(defaultSettingsLines(fx.emu, fx.roms)));
    }

    // A file that cannot be used is ignored, stays as it is, and nothing is said.
    void damagedGameFilesAreIgnored_data()
    {
        QTest::addColumn<QByteArray>("content");  // "<folder>": a folder of that name
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("short") << crlf(defaultSettingsLines("", "").mid(2, 27));
        QTest::newRow("bad value") << crlf(defaultSettingsLines("", "").mid(2)).replace("1x", "9x");
        QTest::newRow("with the two paths") << crlf(defaultSettingsLines("/e", "/r"));
        QTest::newRow("a folder") << QByteArray("<folder>");
    }
    void damagedGameFilesAreIgnored()
    {
        QFETCH(QByteArray, content);
        WindowFixture fx;
        fx.defaults();
        const QString file = fx.program + "/Data/Games/b game.vb.ini";
        QDir().mkpath(fx.program + "/Data/Games");
        if (content == "<folder>")
            QDir().mkpath(file);
        else
            writeFile(file, content);
        frmKL& w = fx.start();
        fx.select("b game.vb");
        QCOMPARE(switches(w), kWindowSwitches);
        QVERIFY(!w.lblStatus->text().contains("own options"));
        QTest::mouseClick(w.chkFlip, Qt::LeftButton);  // the window's options change
        if (content == "<folder>")
            QVERIFY(QFileInfo(file).isDir());
        else
            QCOMPARE(readFile(file), content);
        QVERIFY(fx.platform.boxes.isEmpty());
        w.cmdExit_Click();
        QVERIFY(readFile(fx.program + "/Data/Settings.ini").contains("\r\n 1 \r\n1x\r\n"));
    }

    void keepingCanFail()
    {
        WindowFixture fx;
        fx.defaults();
        const QString longName = QString(252, 'x') + ".vb";  // 255 bytes, no room for ".ini"
        writeFile(fx.roms + "/" + longName, "x");
        frmKL& w = fx.start();
        w.mnuFileKeepOptions_Click();
        QCOMPARE(fx.platform.boxes.value(0).text, QString("No file has been selected."));
        fx.select(longName);
        w.mnuFileKeepOptions_Click();
        QCOMPARE(fx.platform.boxes.value(1).text,
                 "The options for \"" + longName + "\" cannot be kept: its name is too long for a file name.");
        // A portable copy whose Data is gone: Data is never made, and the box names the file.
        QVERIFY(QDir(fx.program + "/Data").removeRecursively());
        fx.select("b game.vb");
        w.popKeepOptions_Click();
        QCOMPARE(fx.platform.boxes.value(2).text,
                 "Could not keep the options for \"b game.vb\" in file \"" + fx.program
                     + "/Data/Games/b game.vb.ini\". Please make sure that the folder exists and that you have the "
                       "right to write to it.");
        QVERIFY(!QFileInfo::exists(fx.program + "/Data"));
        QVERIFY(!w.lblStatus->text().contains("own options"));
    }
};

QTEST_MAIN(TestGameOptions)
#include "test_game_options.moc"
