// Games with options of their own: kept, shown on selection, changed, forgotten, carried by
// rename and delete; the window's own options stay what Settings.ini keeps.
#include <QtTest>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

#include <QMenu>
#include <QProcess>

#include <fcntl.h>
#include <zlib.h>
#include <unistd.h>

#include "config/play_times.h"
#include "launch/desktop_entry.h"
#include "launch/parameter_string.h"
#include "window_fixture.h"

namespace {

QString switches(const frmKL& w) { return QString::fromStdString(kl::BuildParameterString(w.emulatorSettings())); }

const QString kWindowSwitches = " -display frame -dspmode normal -pallet normal -brite 1.0 -sclscr 1 -frmskp 0";

}  // namespace

class TestGameOptions : public QObject {
    Q_OBJECT
    QTemporaryDir m_data;  // the desktop's data folder, where applications menu entries go
private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        qputenv("XDG_DATA_HOME", m_data.path().toUtf8());
    }

    // The recent games: newest first, once each, at most ten, kept across a restart with
    // every byte of a path; choosing one starts it as a handed file and moves it up.
    void recentGames()
    {
        WindowFixture fx;
        fx.defaults();
        writeFile(fx.program + "/Data/recent-games", "not a list");  // ignored, replaced by the first start
        frmKL& w = fx.start();
        QVERIFY(!w.mnuFileRecent->menuAction()->isEnabled());
        const auto items = [&fx] {
            QStringList shown;
            for (int i = 1; i <= 10; ++i)
                if (fx.window->mnuFileRecentGame[i]->isVisible())
                    shown << fx.window->mnuFileRecentGame[i]->text();
            return shown.join('|');
        };
        fx.select("A Game.VB");
        w.mnuFileLaunch->trigger();
        fx.select("b game.vb");
        w.mnuFileLaunch->trigger();
        w.launchHandedFile((fx.roms + "/c.zip").toStdString());
        QCOMPARE(items(), QString("&1 c.zip|&2 b game.vb|&3 A Game.VB"));
        QCOMPARE(w.mnuFileRecentGame[2]->statusTip(), fx.roms + "/b game.vb");
        QVERIFY(w.mnuFileRecent->menuAction()->isEnabled());

        w.mnuFileRecentGame[3]->trigger();
        QCOMPARE(fx.platform.starts.size(), 4);
        QCOMPARE(fx.platform.starts[3].arguments.value(0), fx.roms + "/A Game.VB");
        QCOMPARE(w.lblStatus->text(), QString("Status: Emulator launched with file \"A Game.VB\""));
        QCOMPARE(items(), QString("&1 A Game.VB|&2 c.zip|&3 b game.vb"));

        // Eleven starts keep the newest ten; a name that is not UTF-8, with a newline, keeps its bytes.
        const QByteArray odd = fx.roms.toUtf8() + "/odd\n\xff&.vb";
        ::close(::open(odd.constData(), O_CREAT | O_WRONLY, 0644));
        for (int i = 0; i < 8; ++i) {
            writeFile(fx.roms + QString("/g%1.vb").arg(i), "x");
            w.launchHandedFile((fx.roms + QString("/g%1.vb").arg(i)).toStdString());
        }
        w.launchHandedFile(odd.toStdString());
        QCOMPARE(items().split('|').size(), 10);
        QCOMPARE(items().split('|').first(), QString("&1 odd\n\uFFFD&&.vb"));
        QCOMPARE(items().split('|').last(), QString("1&0 A Game.VB"));  // c.zip and b game.vb fell off

        frmKL& again = WindowFixture::startAgain(fx);
        QCOMPARE(again.mnuFileRecentGame[1]->statusTip(), shown(fromBytes(odd.toStdString())));
        again.mnuFileRecentGame[1]->trigger();
        QCOMPARE(fx.platform.starts.last().command.arguments.at(0), odd.toStdString());

        // A game whose file has gone: the documented box, and it leaves the list.
        QVERIFY(QFile::remove(fx.roms + "/g7.vb"));
        const auto before = fx.platform.starts.size();
        again.mnuFileRecentGame[2]->trigger();
        QCOMPARE(fx.platform.starts.size(), before);
        QCOMPARE(fx.platform.boxes.last().text, "File \"" + fx.roms + "/g7.vb\" was not found.");
        QVERIFY(!again.mnuFileRecentGame[10]->isVisible());
        QVERIFY(!items().contains("g7.vb"));

        again.mnuFileRecentClear->trigger();
        QCOMPARE(items(), QString());
        QVERIFY(!again.mnuFileRecent->menuAction()->isEnabled());
        QCOMPARE(readFile(fx.program + "/Data/recent-games"), QByteArray());
    }

    // Play time is forgotten from the list's menu, after a Yes, for the selected file's image
    // wherever that was played from; clearing the recent games keeps it.
    void forgetPlayTime()
    {
        WindowFixture fx;
        fx.defaults();
        writeFile(fx.roms + "/other.vb", QByteArray(1 << 14, 'o'));
        kl::Sha1 game;
        const QByteArray sha1 = QCryptographicHash::hash(QByteArray(1048576, 'r'), QCryptographicHash::Sha1);
        std::copy(sha1.begin(), sha1.end(), game.begin());
        const QString times = fx.program + "/Data/play-times";
        writeFile(times, QByteArray::fromStdString(kl::formatPlayTimes({{game, 3, 600, 1, "/elsewhere/renamed.vb"}})));
        frmKL& w = fx.start();
        const auto offered = [&w] {
            emit w.popMenu->aboutToShow();
            return w.popForgetPlayTime->isEnabled();
        };
        fx.select("other.vb");
        QVERIFY(!offered());
        fx.select("b game.vb");
        QVERIFY(offered());
        w.launchHandedFile((fx.roms + "/other.vb").toStdString());
        w.mnuFileRecentClear->trigger();
        QCOMPARE(readFile(times).count('\0'), 1);

        fx.platform.answers << MessageAnswer::No;
        w.popForgetPlayTime->trigger();
        QCOMPARE(fx.platform.boxes.last().text, QString("Do you really want to forget the play time of \"b game.vb\"?"));
        QCOMPARE(fx.platform.boxes.last().style, MessageStyle::Question);
        QCOMPARE(readFile(times).count('\0'), 1);
        w.popForgetPlayTime->trigger();
        QCOMPARE(readFile(times), QByteArray("kalmora-launcher play times 1\n"));
        QCOMPARE(w.lblStatus->text(), QString("Status: Play time of \"b game.vb\" forgotten"));
        QVERIFY(!offered());
    }

    // A game of its own in the applications menu: added and removed from both menus, carried
    // by a rename, gone with a delete; a name a desktop entry cannot hold gets a box.
    void gamesInTheApplicationsMenu()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        const QString folder = m_data.path() + "/applications";
        const auto entryOf = [&](const QString& name) {
            return QString::fromStdString(kl::gameEntryPath((fx.roms + "/" + name).toStdString()));
        };
        fx.select("b game.vb");
        QVERIFY(!w.mnuFileRemoveFromMenu->isEnabled());
        w.popAddToMenu->trigger();
        QCOMPARE(w.lblStatus->text(), QString("Status: \"b game.vb\" added to the applications menu"));
        QVERIFY(w.mnuFileRemoveFromMenu->isEnabled() && w.popRemoveFromMenu->isEnabled());
        const QByteArray entry = readFile(entryOf("b game.vb"));
        QVERIFY(entryOf("b game.vb").startsWith(folder + "/org.example.kalmora_launcher.game-"));
        QVERIFY(entry.contains("\nName=b game\n"));
        QVERIFY(entry.contains("\nExec=" + (fx.program + "/kalmora-launcher --run \"" + fx.roms + "/b game.vb\"\n").toUtf8()));
        QProcess validate;
        validate.start("desktop-file-validate", {entryOf("b game.vb")});
        QVERIFY(validate.waitForFinished(30000));
        QVERIFY2(validate.exitCode() == 0, validate.readAllStandardOutput().constData());

        fx.platform.inputAnswers << "renamed.vb";
        w.mnuFileRename->trigger();
        QVERIFY(!QFile::exists(entryOf("b game.vb")));
        QVERIFY(readFile(entryOf("renamed.vb")).contains("\nName=renamed\n"));
        fx.select("renamed.vb");
        w.mnuFileDelete->trigger();
        QVERIFY(!QFile::exists(entryOf("renamed.vb")));

        fx.select("A Game.VB");
        w.mnuFileAddToMenu->trigger();
        w.mnuFileRemoveFromMenu->trigger();
        QCOMPARE(w.lblStatus->text(), QString("Status: \"A Game.VB\" removed from the applications menu"));
        QVERIFY(!QFile::exists(entryOf("A Game.VB")) && !w.popRemoveFromMenu->isEnabled());

        // A game the catalogues verify is shown under the catalogue's name.
        QByteArray known(16 * 1024, '\x5a');
        const QByteArray footer = QByteArray("KNOWN").leftJustified(25, '\0') + "01VKNE";
        known.replace(known.size() - 0x220, footer.size(), footer);
        writeFile(fx.roms + "/known.vb", known);
        QDir().mkpath(fx.program + "/Data/Catalogues");
        writeFile(fx.program + "/Data/Catalogues/vb.dat",
                  QString("clrmamepro ( name \"Test set\" )\ngame ( name \"Known Game (USA)\" rom ( name k.vb size %1 "
                          "crc %2 ) )\n")
                      .arg(known.size())
                      .arg(QString::number(crc32(0, reinterpret_cast<const Bytef*>(known.constData()), known.size()), 16)
                               .rightJustified(8, '0'))
                      .toUtf8());
        w.mnuViewRefresh->trigger();
        fx.select("known.vb");
        w.mnuFileAddToMenu->trigger();
        QVERIFY(readFile(entryOf("known.vb")).contains("\nName=Known Game (USA)\n"));

        const QByteArray odd = fx.roms.toUtf8() + "/bad\xff.vb";
        ::close(::open(odd.constData(), O_CREAT | O_WRONLY, 0644));
        w.mnuViewRefresh->trigger();
        fx.select(fromBytes(odd.mid(fx.roms.toUtf8().size() + 1).toStdString()));
        const auto boxes = fx.platform.boxes.size();
        w.mnuFileAddToMenu->trigger();
        QCOMPARE(fx.platform.boxes.size(), boxes + 1);
        QVERIFY(fx.platform.boxes.last().text.contains("cannot be added to the applications menu"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList({QFileInfo(entryOf("known.vb")).fileName()}));
    }

    // With pictures on, a game's entry gets a copy of its picture as its icon, which follows a
    // rename and goes with the entry.
    void gameEntriesTakeTheirPicture()
    {
        WindowFixture fx;
        fx.defaults();
        const QString box = fx.picturesOn("b game", Qt::magenta, {30, 40});
        const QString boxes = QFileInfo(box).path();
        frmKL& w = fx.start();
        const auto iconOf = [&](const QString& name) {
            return QString::fromStdString(kl::gameIconPath((fx.roms + "/" + name).toStdString()));
        };
        fx.select("b game.vb");
        w.mnuFileAddToMenu->trigger();
        const QString entry = QString::fromStdString(kl::gameEntryPath((fx.roms + "/b game.vb").toStdString()));
        QVERIFY(readFile(entry).contains("\nIcon=" + iconOf("b game.vb").toUtf8() + "\n"));
        QCOMPARE(readFile(iconOf("b game.vb")), readFile(boxes + "/b game.png"));
        QVERIFY(iconOf("b game.vb").startsWith(m_data.path() + "/icons/kalmora-launcher/"));
        QVERIFY(QFile::copy(boxes + "/b game.png", boxes + "/moved.png"));
        fx.platform.inputAnswers << "moved.vb";
        w.mnuFileRename->trigger();
        QVERIFY(!QFile::exists(iconOf("b game.vb")));
        QCOMPARE(readFile(iconOf("moved.vb")), readFile(boxes + "/b game.png"));
        fx.select("moved.vb");
        w.mnuFileRemoveFromMenu->trigger();
        QVERIFY(!QFile::exists(iconOf("moved.vb")));
        // No picture: the launcher's own icon.
        fx.select("A Game.VB");
        w.mnuFileAddToMenu->trigger();
        QVERIFY(readFile(QString::fromStdString(kl::gameEntryPath((fx.roms + "/A Game.VB").toStdString())))
                    .contains("\nIcon=org.example.kalmora_launcher\n"));
        w.mnuFileRemoveFromMenu->trigger();
    }

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
