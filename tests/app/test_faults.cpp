// Faults around the window: damaged or misplaced configuration files, files that vanish,
// an emulator that cannot run, real process starts, and two programs started at once.
#include <QtTest>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <csignal>

#include "platform.h"
#include "window_fixture.h"

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void damagedOrMisplacedFiles_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("failedSaves");  // how many of the two saves at exit must fail
        QTest::newRow("a file in place of the Data folder") << "datafile" << 2;
        QTest::newRow("Settings.ini is a folder") << "settingsdir" << 1;
        QTest::newRow("Settings.ini of 50 MB on one line") << "huge" << 0;
        QTest::newRow("GUI.ini with NUL bytes") << "nul" << 0;
        QTest::newRow("Settings.ini of random bytes") << "random" << 0;
    }
    void damagedOrMisplacedFiles()
    {
        QFETCH(QString, fault);
        QFETCH(int, failedSaves);
        WindowFixture fx;
        const QString data = fx.program + "/Data";
        if (fault == "datafile") {
            QDir(data).removeRecursively();
            writeFile(data, "not a folder");
        } else if (fault == "settingsdir") {
            QDir().mkpath(data + "/Settings.ini/keep");
        } else if (fault == "huge") {
            writeFile(data + "/Settings.ini", QByteArray(50 << 20, 'C'));
        } else if (fault == "nul") {
            fx.defaults();
            fx.gui(QByteArray("False\r\nTr\0ue\r\n", 14));
        } else {
            QByteArray noise(4096, '\0');
            for (int i = 0; i < noise.size(); ++i)
                noise[i] = char((i * 2654435761u) >> 13);
            writeFile(data + "/Settings.ini", noise);
        }
        frmKL& w = fx.start();
        QVERIFY(fx.platform.boxes.isEmpty());
        QCOMPARE(w.lblStatus->text(), QString("Status: Kalmora Launcher started"));
        QVERIFY(w.txtEmuPath->text().size() <= 32767);
        w.cmdExit->click();
        QCOMPARE(fx.platform.boxes.size(), failedSaves);
        QCOMPARE(fx.platform.ends, 1);
        if (fault == "datafile")
            QCOMPARE(readFile(data), QByteArray("not a folder"));
        if (fault == "settingsdir") {
            QVERIFY(QFileInfo(data + "/Settings.ini/keep").isDir());
            QVERIFY(fx.platform.boxes[0].text.startsWith("Could not save emulator configuration"));
            QVERIFY(readFile(data + "/GUI.ini").startsWith("True\r\n"));
        }
        if (fault == "huge" || fault == "random")
            QCOMPARE(readFile(data + "/Settings.ini").count("\r\n"), 30);  // replaced by a whole file
        if (fault == "nul")
            QCOMPARE(readFile(data + "/GUI.ini").count("\r\n"), 14);
    }

    // The file is selected, then another program removes it: every command still answers.
    void fileVanishesAfterSelection()
    {
        WindowFixture fx;
        fx.defaults();
        frmKL& w = fx.start();
        fx.select("b game.vb");
        QVERIFY(QFile::remove(fx.roms + "/b game.vb"));
        const QString status = w.lblStatus->text();
        fx.platform.inputAnswers << "new.vb";
        w.mnuFileRename_Click();
        QVERIFY(fx.platform.boxes.last().text.startsWith("Could not rename \"b game.vb\""));
        w.mnuFileDelete_Click();  // Yes
        QVERIFY(fx.platform.boxes.last().text.startsWith("Could not delete \"b game.vb\""));
        QCOMPARE(w.lblStatus->text(), status);
        QVERIFY(!QFile::exists(fx.roms + "/new.vb"));
        w.mnuFileLaunch_Click();  // the emulator is told of the file; it reports what it finds
        QCOMPARE(fx.platform.starts.size(), 1);
        QCOMPARE(fx.platform.starts[0].arguments.first(), fx.roms + "/b game.vb");
        w.mnuViewRefresh->trigger();
        QVERIFY(!w.lstFiles->entries().contains("b game.vb"));
    }

    // The real process start: an argument vector with every hostile character arrives whole,
    // and a file without the run bit is reported, not silently ignored.
    void realProcessStart()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("emu $(x) 'q'");
        QDir().mkpath(folder);
        const QString emulator = folder + "/kalmora_boy.exe";
        writeFile(emulator, "#!/bin/sh\npwd > \"$0.cwd\"\nprintf '%s\\n' \"$@\" > \"$0.tmp\"\nmv \"$0.tmp\" \"$0.args\"\n");
        const QStringList arguments{"/roms/a \"b\" $HOME `id` ü;|&.vb", "-display", "frame", "", "*"};
        QtPlatform platform;
        const auto command = [&](const QString& program) {
            kl::LaunchCommand c{toBytes(program), {}, toBytes(folder), {}};
            for (const QString& argument : arguments)
                c.arguments.push_back(toBytes(argument));
            return c;
        };
        QFile::setPermissions(emulator, QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(!platform.startDetached(command(emulator), {}, {}));
        QFile::setPermissions(emulator, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(platform.startDetached(command(emulator), {}, {}));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(emulator + ".args"), 10000);
        QCOMPARE(QString::fromUtf8(readFile(emulator + ".args")), arguments.join('\n') + '\n');
        QCOMPARE(QString::fromUtf8(readFile(emulator + ".cwd")).trimmed(), folder);
        QVERIFY(!QFile::exists(QDir::current().filePath("x")));
        QVERIFY(!platform.startDetached(command(dir.filePath("missing")), {}, {}));
    }

    // Two programs started at the same moment: one keeps running with its window, the other
    // ends at once, every time.
    void twoStartsAtOnce()
    {
        QTemporaryDir dir;
        const QString program = dir.filePath("prog");
        QDir().mkpath(program + "/Data");
        QVERIFY(QFile::copy(QStringLiteral(KL_LAUNCHER), program + "/kalmora-launcher"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", dir.path());
        for (int attempt = 0; attempt < 50; ++attempt) {
            QProcess first, second;
            for (QProcess* p : {&first, &second}) {
                p->setProcessEnvironment(env);
                p->setProgram(program + "/kalmora-launcher");
            }
            first.start();
            second.start();
            QVERIFY(first.waitForStarted() && second.waitForStarted());
            QElapsedTimer t;
            t.start();
            while (first.state() == QProcess::Running && second.state() == QProcess::Running && t.elapsed() < 20000)
                QTest::qWait(10);
            QProcess& ended = first.state() == QProcess::Running ? second : first;
            QProcess& running = &ended == &first ? second : first;
            QVERIFY2(ended.state() == QProcess::NotRunning, qPrintable(QString("attempt %1: both running").arg(attempt)));
            QCOMPARE(ended.exitStatus(), QProcess::NormalExit);
            QCOMPARE(ended.exitCode(), 0);
            // The other one is the program with the window; it stays until it is ended.
            QTest::qWait(100);
            QVERIFY2(running.state() == QProcess::Running, qPrintable(QString("attempt %1: none running").arg(attempt)));
            ::kill(static_cast<pid_t>(running.processId()), SIGKILL);
            running.waitForFinished();
        }
        // Killed every time before it could save: nothing was written.
        QCOMPARE(QDir(program + "/Data").entryList(QDir::Files), QStringList());
    }
};

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
