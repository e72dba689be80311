// Planning and running a start: absolute paths, Wine from WINE or the PATH, the environment
// reaching Wine, and the exit status of a program waited for.
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

#include "launch/launcher.h"
#include "launch/process.h"

using namespace kl;

namespace {

void writeScript(const QString& path, const QByteArray& body)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("#!/bin/sh\n" + body);
    f.close();
    QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

class TestLaunch : public QObject {
    Q_OBJECT
private slots:
    void wineComesFromWineOrThePath_data()
    {
        QTest::addColumn<QString>("wine");  // the value of WINE; "-" when unset
        QTest::addColumn<QString>("chosen");  // relative to the test folder; empty: not found
        QTest::newRow("unset: wine on the PATH") << "-" << "bin/wine";
        QTest::newRow("absolute path") << "@/wine-staging/bin/wine64" << "wine-staging/bin/wine64";
        QTest::newRow("relative path, against the launcher's folder") << "wine-staging/bin/wine64"
                                                                      << "wine-staging/bin/wine64";
        QTest::newRow("a name, looked for on the PATH") << "wine-dev" << "bin/wine-dev";
        QTest::newRow("a name not on the PATH") << "wine-nowhere" << "";
        QTest::newRow("a path that does not exist") << "@/missing/wine" << "";
        QTest::newRow("a folder") << "@/wine-staging" << "";
    }
    void wineComesFromWineOrThePath()
    {
        QFETCH(QString, wine);
        QFETCH(QString, chosen);
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("bin"));
        QDir().mkpath(dir.filePath("wine-staging/bin"));
        QDir().mkpath(dir.filePath("emu"));
        for (const char* w : {"bin/wine", "bin/wine-dev", "wine-staging/bin/wine64"})
            writeScript(dir.filePath(w), "");
        QFile exe(dir.filePath("emu/kalmora_boy.exe"));
        QVERIFY(exe.open(QIODevice::WriteOnly));
        exe.write("MZ\x90");
        exe.close();

        StartEnvironment env;
        env.currentFolder = dir.path().toStdString();
        env.path = "relative/bin:" + dir.filePath("bin").toStdString();
        if (wine != "-")
            env.wine = wine.replace('@', dir.path()).toStdString();
        LaunchCommand native{"emu/kalmora_boy.exe", {"roms/game.vb", "-flip"}, ""};
        const LaunchPlan plan = planStart(native, env);
        if (chosen.isEmpty()) {
            QCOMPARE(plan.problem, LaunchProblem::WineNotFound);
            return;
        }
        QCOMPARE(plan.problem, LaunchProblem::None);
        QCOMPARE(QString::fromStdString(plan.command.program), dir.filePath(chosen));
        const std::vector<std::string> expected{dir.filePath("emu/kalmora_boy.exe").toStdString(),
                                                wineDrivePath(dir.filePath("roms/game.vb").toStdString()), "-flip"};
        QVERIFY(plan.command.arguments == expected);
        QCOMPARE(QString::fromStdString(plan.command.workingDirectory), dir.path());
    }

    // The real start through the program WINE names: the Wine prefix and the rest of the
    // environment arrive unchanged, with the arguments and the folder.
    void wineGetsTheEnvironment()
    {
        QTemporaryDir dir;
        const QString emu = dir.filePath("emu $x");
        QDir().mkpath(emu);
        QFile exe(emu + "/kalmora_boy.exe");
        QVERIFY(exe.open(QIODevice::WriteOnly));
        exe.write("MZ\x90");
        exe.close();
        writeScript(dir.filePath("my wine"), "{ pwd; printf '%s\\n' \"$WINEPREFIX\" \"$WINEDEBUG\" \"$@\"; } > \"$RECORD\"\n");
        qputenv("WINEPREFIX", dir.filePath("prefix 'a'").toUtf8());
        qputenv("WINEDEBUG", "-all");
        qputenv("RECORD", dir.filePath("record").toUtf8());
        StartEnvironment env;
        env.currentFolder = "/";
        env.wine = dir.filePath("my wine").toStdString();
        const LaunchPlan plan = planStart({emu.toStdString() + "/kalmora_boy.exe", {"/r/\xe9.vb"}, emu.toStdString()}, env);
        std::string error;
        QCOMPARE(runAndWait(plan.command, error), std::optional<int>(0));
        QCOMPARE(readAll(dir.filePath("record")),
                 (emu + "\n" + dir.filePath("prefix 'a'") + "\n-all\n" + emu + "/kalmora_boy.exe\n").toUtf8()
                     + "Z:\\r\\\xe9.vb\n");
        qunsetenv("WINEPREFIX");
        qunsetenv("WINEDEBUG");
    }

    // A pipe named like the emulator is neither read by the Wine check nor started: both
    // answer at once, and the start fails.
    void aPipeAsEmulatorFailsAtOnce()
    {
        QTemporaryDir dir;
        const std::string emu = dir.filePath("kalmora_boy.exe").toStdString();
        QVERIFY(::mkfifo(emu.c_str(), 0755) == 0);
        StartEnvironment env;
        env.currentFolder = "/";
        const LaunchPlan plan = planStart({emu, {"/r/a.vb"}, dir.path().toStdString()}, env);
        QCOMPARE(plan.problem, LaunchProblem::None);
        QVERIFY(!startDetached(plan.command));
        std::string error;
        QVERIFY(!runAndWait(plan.command, error).has_value());
    }

    void waitedForProgramsGiveTheirStatus_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("status");
        QTest::newRow("exit 0") << QByteArray("exit 0\n") << 0;
        QTest::newRow("exit 7") << QByteArray("exit 7\n") << 7;
        QTest::newRow("terminated") << QByteArray("kill -TERM $$\n") << 128 + SIGTERM;
        QTest::newRow("killed") << QByteArray("kill -KILL $$\n") << 128 + SIGKILL;
    }
    void waitedForProgramsGiveTheirStatus()
    {
        QFETCH(QByteArray, script);
        QFETCH(int, status);
        QTemporaryDir dir;
        writeScript(dir.filePath("emu"), script);
        std::string error;
        QCOMPARE(runAndWait({dir.filePath("emu").toStdString(), {}, dir.path().toStdString()}, error),
                 std::optional<int>(status));
    }

    void programsThatCannotStartAreReported()
    {
        QTemporaryDir dir;
        std::string error;
        QCOMPARE(runAndWait({dir.filePath("missing").toStdString(), {}, ""}, error), std::nullopt);
        QVERIFY(!error.empty());
        writeScript(dir.filePath("emu"), "exit 0\n");
        error.clear();
        QCOMPARE(runAndWait({dir.filePath("emu").toStdString(), {}, dir.filePath("gone").toStdString()}, error),
                 std::nullopt);
        QVERIFY(!error.empty());
        QVERIFY(!startDetached({dir.filePath("emu").toStdString(), {}, dir.filePath("gone").toStdString()}));
    }
};

QTEST_GUILESS_MAIN(TestLaunch)
#include "test_launch.moc"
