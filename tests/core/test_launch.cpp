// Planning and running a start: absolute paths, Wine from WINE or the PATH, the environment
// reaching Wine, and the exit status of a program waited for.
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include "launch/launcher.h"
#include "launch/process.h"
#include "launch/wine_names.h"
#include "launch/wine_ready.h"

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
        LaunchCommand native{"emu/kalmora_boy.exe", {"roms/game.vb", "-flip"}, "", {}};
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
        const LaunchPlan plan = planStart({emu.toStdString() + "/kalmora_boy.exe", {"/r/\xe9.vb"}, emu.toStdString(), {}}, env);
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
        const LaunchPlan plan = planStart({emu, {"/r/a.vb"}, dir.path().toStdString(), {}}, env);
        QCOMPARE(plan.problem, LaunchProblem::None);
        QVERIFY(!startDetached(plan.command));
        std::string error;
        QVERIFY(!runAndWait(plan.command, error).has_value());
    }

    // The short names Debian 12's Wine 8 listed for these names (cmd /c dir /x).
    void shortNamesAreWines_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("shortName");  // empty: a legal 8.3 name, which has none
        QTest::newRow("a quote") << QByteArray("q\"uote.vb") << "Q_UO~CVB.VB";
        QTest::newRow("a trailing blank") << QByteArray("trail.vb ") << "TRAI~5Y5.VB_";
        QTest::newRow("a trailing dot") << QByteArray("abc.") << "ABC_~1ZY";
        QTest::newRow("a colon") << QByteArray("a:b.vb") << "A:B~~YLT.VB";
        QTest::newRow("Latin-1") << QByteArray("caf\xc3\xa9.vb") << "CAF_~FJD.VB";
        QTest::newRow("upper case folded for the hash") << QByteArray("\xc3\x89" "COLE.vb") << "_COL~LNR.VB";
        QTest::newRow("Greek and umlauts") << QByteArray("\xce\xa9mega \xc3\x9cn\xc3\xaf" "code.vb") << "_MEG~0J0.VB";
        QTest::newRow("dotted capital I, no round trip") << QByteArray("\xc4\xb0stanbul.vb") << "_STA~UMR.VB";
        QTest::newRow("Japanese") << QByteArray("\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88.vb") << "___~~NDV.VB";
        QTest::newRow("outside the BMP") << QByteArray("\xf0\x9f\x98\x80 smile.vb") << "___S~XO3.VB";
        QTest::newRow("bytes that are not UTF-8") << QByteArray("bad\xff\xfe.vb") << "BAD_~AKF.VB";
        QTest::newRow("a sequence cut short") << QByteArray("cut\xe3\x81.vb") << "CUT_~CYQ.VB";
        QTest::newRow("an overlong form") << QByteArray("over\xe0\x80\x80.vb") << "OVER~5ZI.VB";
        QTest::newRow("long") << QByteArray("LongFileName.txt") << "LONG~LMQ.TXT";
        QTest::newRow("two dots and a blank") << QByteArray("x y.tar.gz") << "X_Y_~WIL.GZ";
        QTest::newRow("8.3 in lower case") << QByteArray("trail.vb") << "";
        QTest::newRow("a device's 8.3 name") << QByteArray("nul.vb") << "";
    }
    void shortNamesAreWines()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, shortName);
        QCOMPARE(QString::fromStdString(wineShortName(wineWideName(name.toStdString())).value_or("")), shortName);
    }

    // The Windows path each name of a Linux folder reaches a Windows program as. "@" stands
    // for the test folder's Z: form; "~" in a name for its short name.
    void romPathsUnderWine_data()
    {
        QTest::addColumn<QByteArray>("file");    // relative to the test folder
        QTest::addColumn<QByteArray>("beside");  // another file in the same folder, or empty
        QTest::addColumn<bool>("ascii");         // a locale whose code page may not be 1252
        QTest::addColumn<QByteArray>("path");    // expected; "!" then the refusal's number
        const QByteArray jp = "\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88";
        QTest::newRow("plain") << QByteArray("Game.vb") << QByteArray() << false << QByteArray("Z:@\\Game.vb");
        QTest::newRow("a blank") << QByteArray("My Game.vb") << QByteArray() << false << QByteArray("Z:@\\My Game.vb");
        QTest::newRow("an apostrophe") << QByteArray("Mario's.vb") << QByteArray() << false
                                       << QByteArray("Z:@\\Mario's.vb");
        QTest::newRow("a colon") << QByteArray("a:b.vb") << QByteArray() << false << QByteArray("Z:@\\a:b.vb");
        QTest::newRow("a trailing blank") << QByteArray("Game.vb ") << QByteArray("Game.vb") << false
                                          << QByteArray("\\\\?\\Z:@\\Game.vb ");
        QTest::newRow("a trailing dot") << QByteArray("Game.vb.") << QByteArray("Game.vb") << false
                                        << QByteArray("\\\\?\\Z:@\\Game.vb.");
        for (const char c : QByteArray("\"*?<>|"))
            if (c)
                QTest::addRow("%c", c) << QByteArray("a") + c + "b.vb" << QByteArray() << false << QByteArray("Z:@\\~");
        QTest::newRow("a backslash") << QByteArray("a\\b.vb") << QByteArray() << false << QByteArray("!1");
        QTest::newRow("a newline") << QByteArray("a\nb.vb") << QByteArray() << false << QByteArray("!1");
        QTest::newRow("Japanese") << jp + ".vb" << QByteArray() << false << QByteArray("Z:@\\~");
        QTest::newRow("Latin-1, code page 1252") << QByteArray("caf\xc3\xa9.vb") << QByteArray() << false
                                                 << QByteArray("Z:@\\caf\xc3\xa9.vb");
        QTest::newRow("Latin-1, another code page") << QByteArray("caf\xc3\xa9.vb") << QByteArray() << true
                                                    << QByteArray("Z:@\\~");
        QTest::newRow("not UTF-8") << QByteArray("caf\xe9.vb") << QByteArray() << false << QByteArray("Z:@\\~");
        QTest::newRow("nul.vb") << QByteArray("nul.vb") << QByteArray() << false << QByteArray("\\\\?\\Z:@\\nul.vb");
        QTest::newRow("aux.vb") << QByteArray("aux.vb") << QByteArray() << false << QByteArray("\\\\?\\Z:@\\aux.vb");
        QTest::newRow("con") << QByteArray("con") << QByteArray() << false << QByteArray("\\\\?\\Z:@\\con");
        QTest::newRow("Com1.vb") << QByteArray("Com1.vb") << QByteArray() << false << QByteArray("\\\\?\\Z:@\\Com1.vb");
        QTest::newRow("com0.vb is no device") << QByteArray("com0.vb") << QByteArray() << false
                                              << QByteArray("Z:@\\com0.vb");
        QTest::newRow("a folder ending in a blank") << QByteArray("roms /g.vb") << QByteArray("roms") << false
                                                    << QByteArray("\\\\?\\Z:@\\roms \\g.vb");
        QTest::newRow("a folder ending in a dot") << QByteArray("roms./g.vb") << QByteArray("roms") << false
                                                  << QByteArray("\\\\?\\Z:@\\roms.\\g.vb");
        QTest::newRow("a Japanese folder") << jp + "/g.vb" << QByteArray() << false << QByteArray("Z:@\\~\\g.vb");
        QTest::newRow("one short name for two names") << QByteArray("\xc3\x89" "cole.vb")
                                                      << QByteArray("\xc3\xa9" "cole.vb") << true << QByteArray("!3");
        QTest::newRow("a file named like the short name") << QByteArray("q\"uote.vb") << QByteArray("q_uo~cvb.vb")
                                                          << false << QByteArray("!3");
        QTest::newRow("a short name with a colon") << jp + ":.vb" << QByteArray() << false << QByteArray("!2");
        QTest::newRow("a missing file keeps the Z: form") << QByteArray("gone/Game.vb ") << QByteArray("-") << false
                                                          << QByteArray("\\\\?\\Z:@\\gone\\Game.vb ");
    }
    void romPathsUnderWine()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, beside);
        QFETCH(bool, ascii);
        QFETCH(QByteArray, path);
        QTemporaryDir dir;
        const std::string root = QFileInfo(dir.path()).canonicalFilePath().toStdString();
        const std::string full = root + '/' + file.toStdString();
        const std::string folder = full.substr(0, full.rfind('/'));
        if (beside != "-") {
            QVERIFY(::mkdir(folder.c_str(), 0755) == 0 || folder == root);
            for (const std::string& f : {full, beside.isEmpty() ? std::string() : folder + '/' + beside.toStdString()})
                if (!f.empty())
                    QVERIFY(std::fopen(f.c_str(), "w") ? true : false);
        }
        const WindowsPath result =
            windowsPathFor(full, ascii ? AnsiCharacters::Ascii : AnsiCharacters::Windows1252);
        if (path.startsWith('!')) {
            QCOMPARE(int(result.refusal), path.mid(1).toInt());
            return;
        }
        QCOMPARE(int(result.refusal), 0);
        std::string expected = path.toStdString();
        std::string zRoot = root;
        std::replace(zRoot.begin(), zRoot.end(), '/', '\\');
        expected.replace(expected.find('@'), 1, zRoot);
        if (const auto tilde = expected.find('~'); tilde != std::string::npos) {
            const std::string name = file.left(file.indexOf('/') < 0 ? file.size() : file.indexOf('/')).toStdString();
            expected.replace(tilde, 1, *wineShortName(wineWideName(name)));
        }
        QCOMPARE(QByteArray::fromStdString(result.path), QByteArray::fromStdString(expected));
        ::unlink(full.c_str());  // QTemporaryDir cannot remove a name that is not UTF-8
    }

    // Wine reads names in its LC_CTYPE's character set; the launcher's locale, read as the C
    // library loads it, decides what Wine is given.
    void wineReadsNamesAsUtf8_data()
    {
        QTest::addColumn<QByteArray>("lcAll");
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<QByteArray>("changes");  // NAME=value or -NAME, separated by blanks
        QTest::addColumn<bool>("western");        // Wine's ANSI code page is 1252 afterwards
        QTest::newRow("UTF-8 already") << QByteArray() << QByteArray("C.UTF-8") << QByteArray() << true;
        QTest::newRow("LANG=C") << QByteArray() << QByteArray("C") << QByteArray("LC_CTYPE=C.UTF-8") << true;
        QTest::newRow("nothing set") << QByteArray() << QByteArray() << QByteArray("LC_CTYPE=C.UTF-8") << true;
        QTest::newRow("LANG=POSIX") << QByteArray() << QByteArray("POSIX") << QByteArray("LC_CTYPE=C.UTF-8") << true;
        QTest::newRow("LC_ALL=C, taken apart") << QByteArray("C") << QByteArray("C.UTF-8")
                                               << QByteArray("-LC_ALL LC_CTYPE=C.UTF-8 LC_COLLATE=C") << true;
        // No system has this language: ja_JP.UTF-8, taken before, loads on every Japanese desktop.
        QTest::newRow("a locale that does not load") << QByteArray() << QByteArray("qq_QQ.UTF-8")
                                                     << QByteArray("LC_CTYPE=C.UTF-8") << true;
        QTest::newRow("LC_ALL that does not load") << QByteArray("qq_QQ.UTF-8") << QByteArray()
                                                   << QByteArray("LC_ALL=C.UTF-8") << true;
    }
    void wineReadsNamesAsUtf8()
    {
        QFETCH(QByteArray, lcAll);
        QFETCH(QByteArray, lang);
        QFETCH(QByteArray, changes);
        QFETCH(bool, western);
        const QByteArray saved[] = {qgetenv("LC_ALL"), qgetenv("LC_CTYPE"), qgetenv("LANG")};
        qunsetenv("LC_CTYPE");
        lcAll.isEmpty() ? qunsetenv("LC_ALL") : qputenv("LC_ALL", lcAll);
        lang.isEmpty() ? qunsetenv("LANG") : qputenv("LANG", lang);
        const LocaleVariables locale = currentLocaleVariables();
        const std::vector<EnvironmentChange> made = wineLocaleChanges(locale);
        const char* names[] = {"LC_ALL", "LC_CTYPE", "LANG"};
        for (int i = 0; i < 3; ++i)
            saved[i].isEmpty() ? qunsetenv(names[i]) : qputenv(names[i], saved[i]);
        QStringList seen;
        for (const EnvironmentChange& c : made)
            if (!c.value || c.name == "LC_CTYPE" || c.name == "LC_ALL" || c.name == "LC_COLLATE")
                seen << QString::fromStdString(c.value ? c.name + '=' + *c.value : '-' + c.name);
        QCOMPARE(seen.join(' '), QString(changes));
        QCOMPARE(wineAnsiCharacters(locale, made) == AnsiCharacters::Windows1252, western);
        // Where nothing is changed, the language of the locale decides.
        for (const auto& [name, code] : {std::pair{"de_DE.UTF-8", true}, {"ja_JP.UTF-8", false}, {"C.UTF-8", true},
                                         {"sq_AL.UTF-8", false}, {"pt_BR.UTF-8", true}})
            QCOMPARE(wineAnsiCharacters({"", "", name, true}, {}) == AnsiCharacters::Windows1252, code);
    }

    // Wine is made ready only for the Wine and prefix a launch would use, and never where that
    // would create a prefix, where it is switched off, or where no Wine is involved.
    void wineIsMadeReadyOnlyWhereALaunchUsesIt_data()
    {
        QTest::addColumn<QByteArray>("emulator");  // the emulator file's first bytes
        QTest::addColumn<bool>("prefix");          // the prefix has its system.reg
        QTest::addColumn<bool>("switchedOff");     // KALMORA_WINE_READY=0
        QTest::addColumn<bool>("wine");            // a wine with a wineserver beside it
        QTest::addColumn<bool>("ready");
        const QByteArray mz("MZ\x90\0", 4);
        QTest::newRow("Windows emulator") << mz << true << false << true << true;
        QTest::newRow("switched off") << mz << true << true << true << false;
        QTest::newRow("no prefix yet") << mz << false << false << true << false;
        QTest::newRow("native emulator") << QByteArray("#!/bin/sh\n") << true << false << true << false;
        QTest::newRow("no Wine") << mz << true << false << false << false;
        QTest::newRow("a wineserver of another Wine only") << mz << true << false << true << false;
    }
    void wineIsMadeReadyOnlyWhereALaunchUsesIt()
    {
        QFETCH(QByteArray, emulator);
        QFETCH(bool, prefix);
        QFETCH(bool, switchedOff);
        QFETCH(bool, wine);
        QFETCH(bool, ready);
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("emu"));
        QDir().mkpath(dir.filePath("home/.wine"));
        QFile exe(dir.filePath("emu/kalmora_boy.exe"));
        QVERIFY(exe.open(QIODevice::WriteOnly));
        exe.write(emulator);
        exe.close();
        exe.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (prefix)
            writeScript(dir.filePath("home/.wine/system.reg"), "");
        QDir().mkpath(dir.filePath("wine/bin"));
        QDir().mkpath(dir.filePath("other/bin"));
        const bool serverElsewhere = QByteArray(QTest::currentDataTag()).contains("another");
        if (wine) {
            writeScript(dir.filePath("wine/bin/wine"), "");
            writeScript(dir.filePath(serverElsewhere ? "other/bin/wineserver" : "wine/bin/wineserver"), "");
        }
        StartEnvironment env;
        env.currentFolder = dir.path().toStdString();
        env.path = (dir.filePath("wine/bin") + ':' + dir.filePath("other/bin")).toStdString();
        env.home = dir.filePath("home").toStdString();
        env.wineReady = !switchedOff;
        env.locale.loadsAsUtf8 = true;
        EmulatorSettings options;
        options.setText(Field::txtEmuPath, dir.filePath("emu").toStdString());
        const auto warmUp = planWineWarmUp(options, env);
        QCOMPARE(warmUp.has_value(), ready);
        if (!ready)
            return;
        QCOMPARE(QString::fromStdString(warmUp->server.program), dir.filePath("wine/bin/wineserver"));
        QCOMPARE(warmUp->server.arguments, std::vector<std::string>{"-p600"});
        QCOMPARE(QString::fromStdString(warmUp->program.program), dir.filePath("wine/bin/wine"));
        QCOMPARE(warmUp->program.arguments, std::vector<std::string>{"rundll32.exe"});
        QCOMPARE(warmUp->program.workingDirectory, std::string("/"));
        // WINESERVER names the server, as Wine itself takes it.
        writeScript(dir.filePath("other/bin/my server"), "");
        env.wineServer = dir.filePath("other/bin/my server").toStdString();
        QCOMPARE(planWineWarmUp(options, env)->server.program, env.wineServer);
        // The prefix named by WINEPREFIX is the one that counts, not ~/.wine.
        env.winePrefix = dir.filePath("elsewhere").toStdString();
        QVERIFY(!planWineWarmUp(options, env).has_value());
    }

    // A wine that is a link to another installation's gets that installation's server, not
    // a stale one beside the link; WINESERVER still comes first.
    void wineServerBesideWhatTheLinkNames()
    {
        QTemporaryDir dir;
        for (const char* folder : {"emu", "home/.wine", "bin", "opt/wine-10/bin"})
            QDir().mkpath(dir.filePath(folder));
        QFile exe(dir.filePath("emu/kalmora_boy.exe"));
        QVERIFY(exe.open(QIODevice::WriteOnly));
        exe.write(QByteArray("MZ\x90\0", 4));
        exe.close();
        writeScript(dir.filePath("home/.wine/system.reg"), "");
        writeScript(dir.filePath("opt/wine-10/bin/wine"), "");
        writeScript(dir.filePath("opt/wine-10/bin/wineserver"), "");
        writeScript(dir.filePath("bin/wineserver"), "");  // a stale one, of another Wine
        QVERIFY(QFile::link(dir.filePath("opt/wine-10/bin/wine"), dir.filePath("bin/wine")));
        StartEnvironment env;
        env.currentFolder = dir.path().toStdString();
        env.path = dir.filePath("bin").toStdString();
        env.home = dir.filePath("home").toStdString();
        env.locale.loadsAsUtf8 = true;
        EmulatorSettings options;
        options.setText(Field::txtEmuPath, dir.filePath("emu").toStdString());
        const auto warmUp = planWineWarmUp(options, env);
        QVERIFY(warmUp);
        QCOMPARE(QString::fromStdString(warmUp->server.program),
                 QFileInfo(dir.filePath("opt/wine-10/bin/wineserver")).canonicalFilePath());
        // Where the installation has none, the one beside the link is all there is.
        QVERIFY(QFile::remove(dir.filePath("opt/wine-10/bin/wineserver")));
        QCOMPARE(QString::fromStdString(planWineWarmUp(options, env)->server.program), dir.filePath("bin/wineserver"));
    }

    // Wine's short-name rule changed in wine-9.11 ("ntdll: Ignore leading dots in
    // hash_short_file_name()"): releases up to 9.10 keep the old rule, from 9.11 on the new.
    // A development build counted from 9.10 may or may not hold the change.
    void wineVersionsGiveTheirRule_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("rule");  // "8", "10", or "-" where it cannot be read
        QTest::newRow("Debian 12") << "wine-8.0 (Debian 8.0~repack-4)" << "8";
        QTest::newRow("Ubuntu 24.04") << "wine-9.0 (Ubuntu 9.0~repack-4build3)" << "8";
        QTest::newRow("a release candidate of 9.0") << "wine-9.0-rc3" << "8";
        QTest::newRow("9.10") << "wine-9.10" << "8";
        QTest::newRow("9.11") << "wine-9.11" << "10";
        QTest::newRow("Staging 9.22") << "wine-9.22 (Staging)" << "10";
        QTest::newRow("Debian 13") << "wine-10.0 (Debian 10.0~repack-6)" << "10";
        QTest::newRow("old releases") << "wine-1.6.2" << "8";
        QTest::newRow("a development build after 9.10") << "wine-9.10-123-gabcdef0" << "-";
        QTest::newRow("a development build after 9.11") << "wine-9.11-40-g0123abc" << "10";
        QTest::newRow("a development build after 8.0") << "wine-8.0-12-g89abcde" << "8";
        QTest::newRow("no minor version") << "wine-9" << "-";
        QTest::newRow("no version") << "wine-" << "-";
        QTest::newRow("not Wine's text") << "no Wine" << "-";
    }
    void wineVersionsGiveTheirRule()
    {
        QFETCH(QString, version);
        QFETCH(QString, rule);
        const auto found = shortNameRuleOfVersion(version.toStdString());
        QCOMPARE(!found ? QString("-") : *found == ShortNameRule::Wine8 ? QString("8") : QString("10"), rule);
    }

    // "." and ".." are read by Windows from the text, by the kernel through links: the path
    // Wine is given is the kernel's, and names the file the kernel opens.
    void dotsInAFolderFollowTheKernel()
    {
        QTemporaryDir dir;
        const QString root = QFileInfo(dir.path()).canonicalFilePath();
        QVERIFY(QDir().mkpath(root + "/real/deeper"));
        QVERIFY(QFile::link(root + "/real/deeper", root + "/link"));
        for (const QString& f : {root + "/real/x.vb", root + "/x.vb"}) {
            QFile file(f);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const std::string path = (root + "/link/../x.vb").toStdString();  // the kernel: real/x.vb
        QString expected = "Z:" + root + "/real/x.vb";
        expected.replace('/', '\\');
        QCOMPARE(QString::fromStdString(windowsPathFor(path, AnsiCharacters::Windows1252).path), expected);
        expected = "Z:" + root + "/x.vb";
        expected.replace('/', '\\');
        QCOMPARE(QString::fromStdString(windowsPathFor((root + "//./x.vb").toStdString(), AnsiCharacters::Windows1252).path),
                 expected);
    }

    // The printed command runs as it is printed: sh runs its first line, env sets and removes
    // the variables, and a program path holding "=" is still the program.
    void printedCommandsRunAsPrinted_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("plain") << "bin";
        QTest::newRow("an equals sign in the path") << "wine=8/bin";
    }
    void printedCommandsRunAsPrinted()
    {
        QFETCH(QString, folder);
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath(folder));
        const QString program = dir.filePath(folder + "/wine");
        writeScript(program, "printf '%s|' \"$LC_CTYPE\" \"${LC_ALL-unset}\" \"$@\" > \"$RECORD\"\n");
        qputenv("RECORD", dir.filePath("record").toUtf8());
        qputenv("LC_ALL", "C");
        const LaunchCommand command{program.toStdString(), {"a b", "Z:\\r\\it's.vb"}, "/",
                                    {{"LC_ALL", std::nullopt}, {"LC_CTYPE", "C.UTF-8"}}};
        const std::string text = shellCommand(command);
        const std::string line = text.substr(0, text.find('\n'));
        std::string error;
        QCOMPARE(runAndWait({"/bin/sh", {"-c", line}, "/", {}}, error), std::optional<int>(0));
        qunsetenv("LC_ALL");
        QCOMPARE(readAll(dir.filePath("record")), QByteArray("C.UTF-8|unset|a b|Z:\\r\\it's.vb|"));
    }

    // Names with dots near their start have another short name under Wine 10 than under
    // Wine 8 (whose names come from Debian 12's Wine); where the two differ, the Wine in use
    // decides, by its version, and a Wine whose rule is not known gets no short name at all.
    void shortNamesFollowTheWineInUse_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("wine8");
        QTest::addColumn<QString>("wine10");
        QTest::newRow("dots and a quote") << QByteArray("a.b\"c.vb") << "A_B_~QR2.VB" << "AB_C~QR2.VB";
        QTest::newRow("dots and Japanese") << QByteArray("v.b. \xe3\x83\x86\xe3\x83\x88\xe3\x83\xaa\xe3\x82\xb9.vb")
                                           << "V_B_~UST.VB" << "VB__~UST.VB";
        QTest::newRow("no dot before the extension") << QByteArray("q\"uote.vb") << "Q_UO~CVB.VB" << "Q_UO~CVB.VB";
    }
    void shortNamesFollowTheWineInUse()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, wine8);
        QFETCH(QString, wine10);
        const std::u16string wide = wineWideName(name.toStdString());
        QCOMPARE(QString::fromStdString(*wineShortName(wide, ShortNameRule::Wine8)), wine8);
        QCOMPARE(QString::fromStdString(*wineShortName(wide, ShortNameRule::Wine10)), wine10);
        QTemporaryDir dir;
        const std::string root = QFileInfo(dir.path()).canonicalFilePath().toStdString();
        const std::string path = root + '/' + name.toStdString();
        QVERIFY(std::fopen(path.c_str(), "w") ? true : false);
        int asked = 0;
        for (const auto& [version, expected] : {std::pair<std::string, QString>{"wine-8.0 (Debian 8.0~repack-4)", wine8},
                                                {"wine-10.0", wine10}, {"wine-9.10-5-g1234567", ""}, {"no Wine", ""}}) {
            const WindowsPath result = windowsPathFor(path, AnsiCharacters::Ascii, [&, v = version] {
                ++asked;
                return shortNameRuleOfVersion(v);
            });
            const bool known = !expected.isEmpty() || wine8 == wine10;
            QCOMPARE(result.refusal == WindowsPath::Refusal::None, known);
            if (known)
                QVERIFY(result.path.ends_with("\\" + (expected.isEmpty() ? wine8 : expected).toStdString()));
        }
        QCOMPARE(asked, wine8 == wine10 ? 0 : 4);  // only asked where the rules differ
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
        QCOMPARE(runAndWait({dir.filePath("emu").toStdString(), {}, dir.path().toStdString(), {}}, error),
                 std::optional<int>(status));
    }

    void programsThatCannotStartAreReported()
    {
        QTemporaryDir dir;
        std::string error;
        QCOMPARE(runAndWait({dir.filePath("missing").toStdString(), {}, "", {}}, error), std::nullopt);
        QVERIFY(!error.empty());
        writeScript(dir.filePath("emu"), "exit 0\n");
        error.clear();
        QCOMPARE(runAndWait({dir.filePath("emu").toStdString(), {}, dir.filePath("gone").toStdString(), {}}, error),
                 std::nullopt);
        QVERIFY(!error.empty());
        QVERIFY(!startDetached({dir.filePath("emu").toStdString(), {}, dir.filePath("gone").toStdString(), {}}));
    }
};

QTEST_GUILESS_MAIN(TestLaunch)
#include "test_launch.moc"
