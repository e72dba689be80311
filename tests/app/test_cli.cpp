// The command line as scripts and game front-ends use it: the real program in a process of
// its own, without a window.
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "config/config_location.h"
#include "config/recent_games.h"
#include "launch/desktop_entry.h"
#include "window_fixture.h"

namespace {

struct Result {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// A program folder holding a copy of the launcher, its settings naming a stand-in emulator
// that records its arguments (NUL-separated, so a newline in one shows) and its folder.
struct CliFixture {
    QTemporaryDir root;
    QString program = root.filePath("prog");
    QString emu = root.filePath("emu 'x' $y");
    QString roms = root.filePath("roms");

    CliFixture()
    {
        QDir().mkpath(program + "/Data");
        QDir().mkpath(emu);
        QDir().mkpath(roms);
        QFile::copy(QStringLiteral(KL_LAUNCHER), program + "/kalmora-launcher");
        emulator("pwd > \"$0.cwd\"\nprintf '%s\\0' \"$@\" > \"$0.args\"\n");
        QStringList lines = defaultSettingsLines(emu, roms);
        lines[16] = " 1 ";  // flip
        writeFile(program + "/Data/Settings.ini", crlf(lines));
    }
    void emulator(const QByteArray& body)
    {
        writeFile(emu + "/kalmora_boy.exe", "#!/bin/sh\n" + body);
        QFile::setPermissions(emu + "/kalmora_boy.exe", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QByteArray recorded(const char* what) const { return readFile(emu + "/kalmora_boy.exe." + what); }

    // The arguments reach the program as these exact bytes: QProcess would encode them as
    // UTF-8, so a script spells each byte out for printf.
    // `before` runs in the shell that then becomes the launcher, through `wrapper` when one is
    // given: what a caller leaves set up.
    Result run(const QList<QByteArray>& arguments, const std::function<void(QProcess&)>& whileRunning = {},
               const QByteArray& before = {}, const QMap<QString, QString>& variables = {},
               const QByteArray& wrapper = {})
    {
        QByteArray script = before + "\nset --\n";
        for (const QByteArray& argument : arguments) {
            QByteArray octal;
            for (const char c : argument)
                octal += "\\0" + QByteArray::number(static_cast<unsigned char>(c), 8);
            script += "a=$(printf '%b.' '" + octal + "'); set -- \"$@\" \"${a%.}\"\n";
        }
        script += "exec " + wrapper + " \"$LAUNCHER\" \"$@\"\n";
        writeFile(root.filePath("start.sh"), script);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");  // none of these may need a display
        env.insert("XDG_RUNTIME_DIR", root.path());
        env.insert("LAUNCHER", program + "/kalmora-launcher");
        for (auto v = variables.begin(); v != variables.end(); ++v)
            env.insert(v.key(), v.value());
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(roms);
        p.start("sh", {root.filePath("start.sh")});
        p.waitForStarted();
        if (whileRunning)
            whileRunning(p);
        p.waitForFinished(30000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }
};

// A file of these exact bytes in the folder; QFile would re-encode a name that is not UTF-8.
void createRaw(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
    QVERIFY(fd >= 0 && ::close(fd) == 0);
}

const char kSwitchBytes[] = "-display\0frame\0-dspmode\0normal\0-pallet\0normal\0-brite\0001.0\0-flip\0-sclscr\0"
                           "1\0-frmskp\0000\0";
const QByteArray kSwitches(kSwitchBytes, sizeof kSwitchBytes - 1);

}  // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void runPassesOnTheEmulatorsStatus_data()
    {
        QTest::addColumn<QByteArray>("emulator");
        QTest::addColumn<int>("status");
        QTest::newRow("ends well") << QByteArray("printf '%s\\0' \"$@\" > \"$0.args\"\n") << 0;
        QTest::newRow("exit 7") << QByteArray("printf '%s\\0' \"$@\" > \"$0.args\"\nexit 7\n") << 7;
        QTest::newRow("terminated") << QByteArray("printf '%s\\0' \"$@\" > \"$0.args\"\necho $$ > \"$0.pid\"\n"
                                                  "exec sleep 30\n")
                                    << 128 + SIGTERM;
    }
    void runPassesOnTheEmulatorsStatus()
    {
        QFETCH(QByteArray, emulator);
        QFETCH(int, status);
        CliFixture fx;
        fx.emulator(emulator);
        writeFile(fx.roms + "/Game.vb", "x");
        const Result r = fx.run({"--run", "Game.vb"}, [&](QProcess&) {
            // The emulator is ended from outside, as a front-end or the user would.
            if (status == 128 + SIGTERM) {
                // The shell makes the file before it writes the number: wait for the number.
                QTRY_VERIFY_WITH_TIMEOUT(fx.recorded("pid").trimmed().toInt() > 0, 10000);
                ::kill(fx.recorded("pid").trimmed().toInt(), SIGTERM);
            }
        });
        QCOMPARE(r.status, status);
        QCOMPARE(fx.recorded("args"), (fx.roms + "/Game.vb").toUtf8() + '\0' + kSwitches);
        QCOMPARE(r.err, QByteArray());
    }

    // A front-end stops a game by signalling the launcher: the emulator gets the signal and
    // ends, and the launcher reports how it ended.
    void runPassesSignalsOn_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void runPassesSignalsOn()
    {
        QFETCH(int, signal);
        CliFixture fx;
        fx.emulator("echo $$ > \"$0.pid\"\nexec sleep 30\n");
        writeFile(fx.roms + "/Game.vb", "x");
        pid_t emulator = 0;
        const Result r = fx.run({"--run", "Game.vb"}, [&](QProcess& p) {
            // The shell makes the file before it writes the number: wait for the number.
            QTRY_VERIFY_WITH_TIMEOUT(fx.recorded("pid").trimmed().toInt() > 0, 10000);
            emulator = fx.recorded("pid").trimmed().toInt();
            ::kill(static_cast<pid_t>(p.processId()), signal);
        });
        QCOMPARE(r.status, 128 + signal);
        QVERIFY(emulator > 0);
        QTRY_VERIFY_WITH_TIMEOUT(::kill(emulator, 0) != 0, 5000);
    }

    // A caller that ignores SIGCHLD (it is inherited) must not turn a game that ran into a
    // failed start.
    void runReportsTheStatusWhenTheCallerIgnoresChildren()
    {
        CliFixture fx;
        fx.emulator("exit 5\n");
        writeFile(fx.roms + "/Game.vb", "x");
        const Result r = fx.run({"--run", "Game.vb"}, {}, {}, {}, "perl -e '$SIG{CHLD} = \"IGNORE\"; exec @ARGV'");
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(r.status, 5);
    }

    // With no emulator folder the program is looked for on the PATH: the file that is checked
    // for Wine is the file that starts, and a copy in the current folder is never picked up.
    void runWithoutAnEmulatorFolder_data()
    {
        QTest::addColumn<bool>("onPath");
        QTest::newRow("a Windows program on the PATH") << true;
        QTest::newRow("one in the current folder only") << false;
    }
    void runWithoutAnEmulatorFolder()
    {
        QFETCH(bool, onPath);
        CliFixture fx;
        QStringList lines = defaultSettingsLines("", fx.roms);
        lines[16] = " 1 ";
        writeFile(fx.program + "/Data/Settings.ini", crlf(lines));
        const QString bin = fx.root.filePath("bin");
        QDir().mkpath(bin);
        const QString exe = (onPath ? bin : fx.roms) + "/kalmora_boy.exe";
        writeFile(exe, "MZ\x90\0not really a program");
        QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString wine = fx.root.filePath("wine");
        writeFile(wine, "#!/bin/sh\nprintf '%s\\0' \"$@\" > \"$0.args\"\n");
        QFile::setPermissions(wine, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        writeFile(fx.roms + "/Game.vb", "x");
        const Result r = fx.run({"--run", "Game.vb"}, {}, {},
                                {{"PATH", bin + ":/usr/bin:/bin"}, {"WINE", wine}});
        if (onPath) {
            QCOMPARE(r.err, QByteArray());
            QCOMPARE(r.status, 0);
            QCOMPARE(readFile(wine + ".args"), exe.toUtf8() + '\0' + "Z:" + QString(fx.roms + "/Game.vb").replace('/', '\\').toUtf8()
                                                   + '\0' + kSwitches);
            // Under a locale that is not UTF-8, Wine gets one, and the printed command says so;
            // a name no Windows path holds is refused with one line, as --run refuses it.
            const QMap<QString, QString> c{{"PATH", bin + ":/usr/bin:/bin"}, {"WINE", wine}, {"LANG", "C"}, {"LC_ALL", ""},
                                           {"LC_CTYPE", ""}};
            const Result printed = fx.run({"--print-command", "Game.vb"}, {}, {}, c);
            QCOMPARE(printed.status, 0);
            QVERIFY2(printed.out.startsWith("env LC_CTYPE=C.UTF-8 " + wine.toUtf8() + ' '), printed.out.constData());
            writeFile(fx.roms + "/a\\b.vb", "x");
            for (const char* how : {"--print-command", "--run"}) {
                const Result refused = fx.run({how, "a\\b.vb"}, {}, {}, c);
                QCOMPARE(refused.status, 127);
                QVERIFY2(refused.err.contains("cannot be opened by the Windows emulator") && refused.err.count('\n') == 1,
                         refused.err.constData());
                QVERIFY(refused.out.isEmpty());
            }
        } else {
            QCOMPARE(r.status, 127);
            QVERIFY2(r.err.startsWith("kalmora-launcher: Emulator \"kalmora_boy.exe\" was not found."), r.err.constData());
            QVERIFY(!QFile::exists(wine + ".args"));
        }
    }

    // Folders whose names end in a blank: the emulator and the file in them start, never
    // their namesakes in the folders without the blank.
    void runKeepsBlanksAtTheEndOfFolders()
    {
        CliFixture fx;
        const QString emu = fx.emu + " ", roms = fx.roms + " ";
        QDir().mkpath(emu);
        QDir().mkpath(roms);
        QStringList lines = defaultSettingsLines(emu, roms);
        lines[16] = " 1 ";
        writeFile(fx.program + "/Data/Settings.ini", crlf(lines));
        writeFile(emu + "/kalmora_boy.exe", "#!/bin/sh\npwd > \"$0.cwd\"\nprintf '%s\\0' \"$@\" > \"$0.args\"\n");
        QFile::setPermissions(emu + "/kalmora_boy.exe", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        writeFile(roms + "/Game.vb", "x");
        writeFile(fx.roms + "/Game.vb", "x");
        QCOMPARE(fx.run({"--run", (roms + "/Game.vb").toUtf8()}).status, 0);
        QCOMPARE(readFile(emu + "/kalmora_boy.exe.args"), (roms + "/Game.vb").toUtf8() + '\0' + kSwitches);
        QCOMPARE(readFile(emu + "/kalmora_boy.exe.cwd"), emu.toUtf8() + "\n");
        QVERIFY(!QFile::exists(fx.emu + "/kalmora_boy.exe.args"));
    }

    // Descriptors the caller left open (or Qt, or the lock) never reach the emulator.
    void runStartsTheEmulatorWithTheStandardDescriptorsOnly()
    {
        CliFixture fx;
        QFile::remove(fx.emu + "/kalmora_boy.exe");
        QVERIFY(QFile::copy(QStringLiteral(KL_STAND_IN), fx.emu + "/kalmora_boy.exe"));
        writeFile(fx.roms + "/Game.vb", "x");
        const Result r = fx.run({"--run", "Game.vb"}, {}, "exec 7</dev/null 9>\"$LAUNCHER.fd\"");
        QCOMPARE(r.status, 0);
        QCOMPARE(readFile(fx.emu + "/fds.txt"), QByteArray("0\n1\n2\n"));
    }

    // A game with options of its own starts with them, from any folder; another game, or one
    // whose file is damaged, with the saved options.
    void runUsesTheGamesOwnOptions()
    {
        CliFixture fx;
        QDir().mkpath(fx.program + "/Data/Games");
        QStringList own = defaultSettingsLines("", "").mid(2);
        own[1] = "True";  // 320x200
        own[0] = "False";
        writeFile(fx.program + "/Data/Games/Game.vb.ini", crlf(own));
        writeFile(fx.program + "/Data/Games/Damaged.vb.ini", crlf(own.mid(0, 20)));
        const QString elsewhere = fx.root.filePath("elsewhere");
        QDir().mkpath(elsewhere);
        for (const char* name : {"Game.vb", "Other.vb", "Damaged.vb"})
            writeFile(elsewhere + "/" + name, "x");
        QCOMPARE(fx.run({"--run", (elsewhere + "/Game.vb").toUtf8()}).status, 0);
        QByteArray ownSwitches = kSwitches;
        ownSwitches.replace(QByteArray("frame\0", 6), QByteArray("320\0", 4)).replace(QByteArray("-flip\0", 6), "");
        QCOMPARE(fx.recorded("args"), (elsewhere + "/Game.vb").toUtf8() + '\0' + ownSwitches);
        for (const char* name : {"Other.vb", "Damaged.vb"}) {
            QCOMPARE(fx.run({"--run", (elsewhere + "/" + name).toUtf8()}).status, 0);
            QCOMPARE(fx.recorded("args"), (elsewhere + "/" + name).toUtf8() + '\0' + kSwitches);
        }
    }

    // Every start from outside lands in the recent games, newest first; printing a command
    // starts nothing and records nothing. Many --run at the same moment lose no entry.
    void startsFromOutsideAreRecentGames()
    {
        CliFixture fx;
        for (const char* name : {"a.vb", "b.vb", "c.vb"})
            writeFile(fx.roms + "/" + name, "x");
        const auto recent = [&] {
            QStringList games;
            for (const std::string& g : kl::loadRecentGames(kl::configLocation(fx.program.toStdString())))
                games << QString::fromStdString(g).mid(fx.roms.size() + 1);
            return games.join(' ');
        };
        QCOMPARE(fx.run({"--run", "a.vb"}).status, 0);
        QCOMPARE(fx.run({"b.vb"}).status, 0);  // no window runs: started by this process
        QCOMPARE(fx.run({"--print-command", "c.vb"}).status, 0);
        QCOMPARE(recent(), QString("b.vb a.vb"));

        QList<QProcess*> runs;
        for (int i = 0; i < 8; ++i) {
            writeFile(fx.roms + QString("/p%1.vb").arg(i), "x");
            auto* p = new QProcess;
            p->setWorkingDirectory(fx.roms);
            p->start(fx.program + "/kalmora-launcher", {"--run", QString("p%1.vb").arg(i)});
            runs << p;
        }
        for (QProcess* p : runs) {
            QVERIFY(p->waitForFinished(30000));
            QCOMPARE(p->exitCode(), 0);
            delete p;
        }
        QStringList games = recent().split(' ');
        QCOMPARE(games.size(), 10);
        QCOMPARE(games.mid(8), QStringList({"b.vb", "a.vb"}));
        games = games.mid(0, 8);
        games.sort();
        QCOMPARE(games, QStringList({"p0.vb", "p1.vb", "p2.vb", "p3.vb", "p4.vb", "p5.vb", "p6.vb", "p7.vb"}));
    }

    // A game's desktop entry as the desktop reads it: desktop-file-validate accepts it, and
    // GLib's launch (as GNOME's menus use it) hands the launcher the ROM's exact path, with
    // no shell ever reading the name.
    void desktopEntriesStartTheExactPath_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("blanks") << "A  game.vb";
        QTest::newRow("quotes") << "it's \"q\" `b`.vb";
        QTest::newRow("shell words") << "$HOME $(touch PWNED); x.vb";
        QTest::newRow("backslash and percent") << "a\\b %f %% 100%.vb";
        QTest::newRow("reserved") << "<a>|b&c*d?e#f~g(h).vb";
    }
    void desktopEntriesStartTheExactPath()
    {
        QFETCH(QString, name);
        CliFixture fx;
        const QString rom = fx.roms + "/" + name;
        writeFile(rom, "x");
        const auto entry = kl::gameEntry((fx.program + "/kalmora-launcher").toStdString(), rom.toStdString(),
                                         "org.example.kalmora_launcher");
        QVERIFY(entry);
        const QString file = fx.root.filePath("org.example.kalmora_launcher.game-test.desktop");
        writeFile(file, QByteArray::fromStdString(*entry));
        QProcess validate;
        validate.start("desktop-file-validate", {file});
        QVERIFY(validate.waitForFinished(30000));
        QVERIFY2(validate.exitCode() == 0, validate.readAllStandardOutput().constData());
        QProcess gio;
        gio.setWorkingDirectory(fx.root.path());
        gio.start("gio", {"launch", file});
        QVERIFY(gio.waitForFinished(30000));
        QVERIFY2(gio.exitCode() == 0, gio.readAllStandardError().constData());
        QTRY_COMPARE_WITH_TIMEOUT(fx.recorded("args").split('\0').value(0), rom.toUtf8(), 10000);
        QVERIFY(!QFile::exists(fx.root.filePath("PWNED")) && !QFile::exists(fx.roms + "/PWNED")
                && !QFile::exists(fx.emu + "/PWNED"));
    }

    void failuresOfTheLauncherAreOneLine_data()
    {
        QTest::addColumn<QList<QByteArray>>("arguments");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("no emulator") << QList<QByteArray>{"--run", "Game.vb"} << QByteArray("Emulator \"kalmora_boy.exe\" was not found.");
        QTest::newRow("no such file") << QList<QByteArray>{"--run", "Nothing.vb"} << QByteArray("File \"@/Nothing.vb\" was not found.");
        QTest::newRow("print, no such file") << QList<QByteArray>{"--print-command", "Nothing.vb"}
                                             << QByteArray("File \"@/Nothing.vb\" was not found.");
    }
    void failuresOfTheLauncherAreOneLine()
    {
        QFETCH(QList<QByteArray>, arguments);
        QFETCH(QByteArray, message);
        CliFixture fx;
        QFile::remove(fx.emu + "/kalmora_boy.exe");
        writeFile(fx.roms + "/Game.vb", "x");
        const Result r = fx.run(arguments);
        QVERIFY(r.status != 0);
        QVERIFY2(r.err.startsWith("kalmora-launcher: " + message.replace("@", fx.roms.toUtf8())), r.err.constData());
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY(r.err.endsWith('\n'));
    }

    // Each printed word, run through sh after the printed cd, gives the exact argument vector
    // and folder, whatever the name holds.
    void printedCommandRunsTheSameStart_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("blanks") << QByteArray("Mario  Clash .vb");
        QTest::newRow("quotes") << QByteArray("It's \"Red\" Alarm.vb");
        QTest::newRow("command substitution") << QByteArray("$(touch PWNED) `id`.vb");
        QTest::newRow("separators") << QByteArray("a;b|c&d>e<f.vb");
        QTest::newRow("newline") << QByteArray("Two\nLines.vb");
        QTest::newRow("backslashes and a star") << QByteArray("back\\slash *.vb");
        QTest::newRow("not UTF-8") << QByteArray("Caf\xe9 \x83\x65\x83\x58.vb");
        QTest::newRow("leading dash") << QByteArray("-display.vb");
    }
    void printedCommandRunsTheSameStart()
    {
        QFETCH(QByteArray, name);
        CliFixture fx;
        const QByteArray file = QFile::encodeName(fx.roms) + "/" + name;
        createRaw(file);
        const Result r = fx.run({"--print-command", "--", name});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, QByteArray());
        const qsizetype cd = r.out.lastIndexOf("\ncd ");
        QVERIFY(cd > 0 && r.out.endsWith('\n'));
        // The script goes to sh on its standard input, so its bytes arrive undecoded.
        QProcess raw;
        raw.setWorkingDirectory(fx.root.path());
        raw.start("sh", {});
        QVERIFY(raw.waitForStarted());
        raw.write(r.out.mid(cd + 1) + r.out.left(cd) + "\n");
        raw.closeWriteChannel();
        QVERIFY(raw.waitForFinished());
        QCOMPARE(raw.exitCode(), 0);
        QCOMPARE(fx.recorded("args"), file + '\0' + kSwitches);
        QCOMPARE(fx.recorded("cwd"), QFile::encodeName(fx.emu) + "\n");
        QVERIFY(!QFile::exists(fx.root.filePath("PWNED")) && !QFile::exists(fx.emu + "/PWNED"));
        QVERIFY(::unlink(file.constData()) == 0);
    }

    void usage_data()
    {
        QTest::addColumn<QList<QByteArray>>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");  // what standard output begins with
        QTest::addColumn<QByteArray>("err");  // what standard error holds somewhere
        QTest::newRow("help") << QList<QByteArray>{"--help"} << 0 << QByteArray("Usage: ") << QByteArray();
        QTest::newRow("version") << QList<QByteArray>{"--version"} << 0 << QByteArray("kalmora-launcher 1.3\n") << QByteArray();
        QTest::newRow("unknown option") << QList<QByteArray>{"--fast", "a.vb"} << 2 << QByteArray() << QByteArray("Usage: ");
        QTest::newRow("run without FILE") << QList<QByteArray>{"--run"} << 2 << QByteArray() << QByteArray("FILE is missing");
        QTest::newRow("two files") << QList<QByteArray>{"a.vb", "b.vb"} << 2 << QByteArray() << QByteArray("Usage: ");
        QTest::newRow("run and print") << QList<QByteArray>{"--run", "--print-command", "a.vb"} << 2 << QByteArray()
                                       << QByteArray("Usage: ");
    }
    void usage()
    {
        QFETCH(QList<QByteArray>, arguments);
        QFETCH(int, status);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        CliFixture fx;
        const Result r = fx.run(arguments);
        QCOMPARE(r.status, status);
        QVERIFY2(r.out.startsWith(out), r.out.constData());
        QVERIFY2(r.err.contains(err), r.err.constData());
        if (arguments[0] == "--help")
            QVERIFY(r.out.contains("--run") && r.out.contains("--print-command"));
        QVERIFY(!QFile::exists(fx.emu + "/kalmora_boy.exe.args"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
