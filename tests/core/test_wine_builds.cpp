// The Wine and Proton builds of Steam, Lutris, Bottles and Heroic: which are found in home
// folders laid out as those tools lay them out, their names and order, which one a start takes,
// libraryfolders.vdf as Steam writes it, and the command a Proton build starts with.
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include "file_kind.h"
#include "launch/launcher.h"
#include "launch/process.h"
#include "wine/key_values.h"
#include "wine/wine_builds.h"

using namespace kl;

namespace {

void executable(const QString& path, const QByteArray& body = "exit 0\n")
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("#!/bin/sh\n" + body);
    f.close();
    QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void text(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

// One line of a layout, below the home folder (@ stands for it):
//   proton:DIR      a Proton build: an executable proton and files/bin/wine
//   oldproton:DIR   one with dist/bin/wine, as before Proton 5
//   halfproton:DIR  a proton script with no Wine beside it
//   wine:DIR        a runner: DIR/bin/wine
//   link:PATH>TARGET, file:PATH=TEXT (\n for a new line)
void lay(const QString& home, const QString& line)
{
    const int colon = line.indexOf(':');
    const QString kind = line.left(colon);
    QString rest = line.mid(colon + 1);
    rest.replace('@', home);
    const QString path = rest.startsWith('/') ? rest : home + '/' + rest;
    if (kind == "proton" || kind == "oldproton" || kind == "halfproton") {
        executable(path + "/proton");
        if (kind != "halfproton")
            executable(path + (kind == "proton" ? "/files/bin/wine" : "/dist/bin/wine"));
    } else if (kind == "wine") {
        executable(path + "/bin/wine");
    } else if (kind == "link") {
        const QStringList parts = path.split('>');
        QDir().mkpath(QFileInfo(parts[0]).path());
        QVERIFY(QFile::link(parts[1].startsWith('/') ? parts[1] : home + '/' + parts[1], parts[0]));
    } else if (kind == "file") {
        const int eq = path.indexOf('=');
        text(path.left(eq), path.mid(eq + 1).replace("\\n", "\n").toUtf8());
    } else {
        QFAIL(qPrintable("unknown layout line " + line));
    }
}

const QString kSteam = ".local/share/Steam";
const QString kFlatpakSteam = ".var/app/com.valvesoftware.Steam/.local/share/Steam";

}  // namespace

class TestWineBuilds : public QObject {
    Q_OBJECT
private slots:
    void buildsAreFoundNamedAndOrdered_data()
    {
        QTest::addColumn<QStringList>("layout");
        QTest::addColumn<QStringList>("found");  // names, in order; the first is what a start takes
        QTest::newRow("nothing installed") << QStringList{} << QStringList{};
        QTest::newRow("every tool, native")
            << QStringList{"wine:.local/share/bottles/runners/soda-7.0-9",
                           "proton:.config/heroic/tools/proton/GE-Proton9-5",
                           "wine:.config/heroic/tools/wine/Wine-GE-Proton8-26",
                           "wine:.local/share/lutris/runners/wine/lutris-7.2-2-x86_64",
                           "wine:.local/share/lutris/runners/wine/wine-ge-8-26-x86_64",
                           "proton:" + kSteam + "/compatibilitytools.d/GE-Proton9-20",
                           "proton:" + kSteam + "/compatibilitytools.d/GE-Proton10-4",
                           "proton:" + kSteam + "/steamapps/common/Proton - Experimental",
                           "proton:" + kSteam + "/steamapps/common/Proton 9.0",
                           "proton:" + kSteam + "/steamapps/common/Proton 10.0"}
            << QStringList{"Proton 10.0 (Steam)", "Proton 9.0 (Steam)", "Proton - Experimental (Steam)",
                           "GE-Proton10-4 (Steam)", "GE-Proton9-20 (Steam)", "wine-ge-8-26-x86_64 (Lutris)",
                           "lutris-7.2-2-x86_64 (Lutris)", "soda-7.0-9 (Bottles)", "GE-Proton9-5 (Heroic)",
                           "Wine-GE-Proton8-26 (Heroic)"};
        QTest::newRow("Flatpak builds share their tool's order")
            << QStringList{"proton:" + kFlatpakSteam + "/compatibilitytools.d/GE-Proton9-20",
                           "proton:.var/app/com.valvesoftware.Steam/data/Steam/compatibilitytools.d/GE-Proton8-3",
                           "wine:.local/share/lutris/runners/wine/lutris-7.2-2-x86_64",
                           "wine:.var/app/net.lutris.Lutris/data/lutris/runners/wine/lutris-GE-Proton8-26-x86_64",
                           "wine:.var/app/com.usebottles.bottles/data/bottles/runners/caffe-7.20",
                           "wine:.var/app/com.heroicgameslauncher.hgl/config/heroic/tools/wine/Wine-GE-Proton8-25",
                           "proton:.var/app/com.heroicgameslauncher.hgl/config/heroic/tools/proton/GE-Proton9-1"}
            << QStringList{"GE-Proton9-20 (Steam Flatpak)", "GE-Proton8-3 (Steam Flatpak)",
                           "lutris-GE-Proton8-26-x86_64 (Lutris Flatpak)", "lutris-7.2-2-x86_64 (Lutris)",
                           "caffe-7.20 (Bottles Flatpak)", "GE-Proton9-1 (Heroic Flatpak)",
                           "Wine-GE-Proton8-25 (Heroic Flatpak)"};
        // As Steam writes it: a path with a blank and a backslash, a label with a quote, a comment,
        // the root's own library listed too, and a second library holding Proton.
        QTest::newRow("two Steam libraries from libraryfolders.vdf")
            << QStringList{"file:" + kSteam + "/steamapps/libraryfolders.vdf=\"libraryfolders\"\\n{\\n// the SD card\\n"
                               "\t\"0\"\\n\t{\\n\t\t\"path\"\t\t\"@/" + kSteam + "\"\\n\t\t\"label\"\t\t\"\"\\n\t}\\n"
                               "\t\"1\"\\n\t{\\n\t\t\"path\"\t\t\"@/SD card \\\\ games\"\\n"
                               "\t\t\"label\"\t\t\"my \\\"card\\\"\"\\n\t\t\"apps\"\\n\t\t{\\n\t\t\t\"1493710\"\t\t\"1\"\\n\t\t}\\n\t}\\n}\\n",
                           "proton:" + kSteam + "/steamapps/common/Proton 8.0",
                           "proton:@/SD card \\ games/steamapps/common/Proton 9.0"}
            << QStringList{"Proton 9.0 (Steam)", "Proton 8.0 (Steam)"};
        QTest::newRow("Steam before 2021: the numbered key's own value")
            << QStringList{"file:" + kSteam + "/steamapps/libraryfolders.vdf=\"LibraryFolders\"\\n{\\n"
                               "\"TimeNextStatsReport\" \"1600000000\"\\n\"1\" \"@/games\"\\n}\\n",
                           "proton:games/steamapps/common/Proton 5.13"}
            << QStringList{"Proton 5.13 (Steam)"};
        QTest::newRow("a damaged libraryfolders.vdf keeps the root's own library")
            << QStringList{"file:" + kSteam + "/steamapps/libraryfolders.vdf=\"libraryfolders\" { \"1\" { \"path\" \"@/games",
                           "proton:" + kSteam + "/steamapps/common/Proton 9.0",
                           "proton:games/steamapps/common/Proton 8.0"}
            << QStringList{"Proton 9.0 (Steam)"};
        QTest::newRow("one root reached by two names counts once")
            << QStringList{"proton:" + kSteam + "/compatibilitytools.d/GE-Proton9-20",
                           "link:.steam/steam>" + kSteam, "link:.steam/root>" + kSteam}
            << QStringList{"GE-Proton9-20 (Steam)"};
        QTest::newRow("broken links, files and half builds are passed over")
            << QStringList{"proton:" + kSteam + "/compatibilitytools.d/GE-Proton9-20",
                           "link:" + kSteam + "/compatibilitytools.d/Gone>nowhere",
                           "halfproton:" + kSteam + "/compatibilitytools.d/NoWine",
                           "link:.local/share/lutris/runners/wine/broken/bin/wine>nowhere",
                           "file:.local/share/bottles/runners=not a folder",
                           "link:.steam/steam>missing/Steam"}
            << QStringList{"GE-Proton9-20 (Steam)"};
        QTest::newRow("Proton before 5 keeps its Wine in dist")
            << QStringList{"oldproton:" + kSteam + "/steamapps/common/Proton 4.11"} << QStringList{"Proton 4.11 (Steam)"};
    }
    void buildsAreFoundNamedAndOrdered()
    {
        QFETCH(QStringList, layout);
        QFETCH(QStringList, found);
        QTemporaryDir home;
        for (const QString& line : layout)
            lay(home.path(), line);
        const std::vector<WineBuild> builds = findWineBuilds({home.path().toStdString(), "", ""});
        QStringList names;
        for (const WineBuild& build : builds) {
            names << QString::fromStdString(build.name);
            QVERIFY2(isExecutableFile(build.program), build.program.c_str());
            QCOMPARE(QString::fromStdString(build.folder), QFileInfo(QString::fromStdString(build.folder)).canonicalFilePath());
        }
        QCOMPARE(names, found);
        // Where no WINE and no wine on the PATH decide, the first is taken.
        StartEnvironment environment;
        environment.home = home.path().toStdString();
        const auto wine = chooseWine(environment);
        QCOMPARE(wine.has_value(), !found.isEmpty());
        if (wine)
            QCOMPARE(QString::fromStdString(wine->name), found.first());
    }

    // Which Wine a start takes: WINE, then the choice, then wine on the PATH, then the newest found.
    void theWineAStartTakes_data()
    {
        QTest::addColumn<QString>("wine");    // WINE; empty: unset
        QTest::addColumn<QString>("chosen");  // the kept choice's program below the home; empty: automatic
        QTest::addColumn<bool>("onPath");     // a wine on the PATH
        QTest::addColumn<QString>("used");    // its name, or a path below the home
        QTest::addColumn<QString>("gone");
        const QString ge = kSteam + "/compatibilitytools.d/GE-Proton9-20/proton";
        QTest::newRow("nothing chosen, no wine installed") << "" << "" << false << "GE-Proton10-4 (Steam)" << "";
        QTest::newRow("wine on the PATH comes before a found one") << "" << "" << true << "bin/wine" << "";
        QTest::newRow("the choice comes before the PATH") << "" << ge << true << "GE-Proton9-20 (Steam)" << "";
        QTest::newRow("WINE comes before the choice") << "@/other/wine" << ge << false << "other/wine" << "";
        QTest::newRow("WINE naming a Proton build runs as Proton") << "@/" + ge << "" << false << ge << "";
        QTest::newRow("a choice that has gone falls back, saying so")
            << "" << kSteam + "/compatibilitytools.d/GE-Proton8-1/proton" << false << "GE-Proton10-4 (Steam)"
            << "GE-Proton8-1 (Steam)";
    }
    void theWineAStartTakes()
    {
        QFETCH(QString, wine);
        QFETCH(QString, chosen);
        QFETCH(bool, onPath);
        QFETCH(QString, used);
        QFETCH(QString, gone);
        QTemporaryDir home;
        lay(home.path(), "proton:" + kSteam + "/compatibilitytools.d/GE-Proton9-20");
        lay(home.path(), "proton:" + kSteam + "/compatibilitytools.d/GE-Proton10-4");
        executable(home.filePath(onPath ? "bin/wine" : "other/wine"));
        StartEnvironment environment;
        environment.home = home.path().toStdString();
        environment.path = home.filePath("bin").toStdString();
        if (!wine.isEmpty())
            environment.wine = wine.replace('@', home.path()).toStdString();
        if (!chosen.isEmpty()) {
            environment.chosenWine = QFileInfo(home.filePath(chosen)).absoluteFilePath().toStdString();
            environment.chosenWineName = "GE-Proton8-1 (Steam)";
        }
        const auto found = chooseWine(environment);
        QVERIFY(found);
        const QString name = QString::fromStdString(wineNameOf(*found));
        QCOMPARE(name, used.contains('/') ? home.filePath(used) : used);
        QCOMPARE(found->kind, used.endsWith("proton") || used.contains("Proton") ? WineKind::Proton : WineKind::Wine);
        if (found->kind == WineKind::Proton)
            QCOMPARE(QString::fromStdString(found->steamRoot), QFileInfo(home.filePath(kSteam)).canonicalFilePath());
        QCOMPARE(QString::fromStdString(found->goneChoice), gone);
    }

    // The command of a Proton start: "proton run" with Steam's variables, the user's own kept;
    // through umu-run where it is installed; a build from elsewhere gets an empty client path.
    void protonStartsAsToolsStartIt_data()
    {
        QTest::addColumn<QString>("build");
        QTest::addColumn<bool>("umu");
        QTest::addColumn<QString>("userData");  // STEAM_COMPAT_DATA_PATH as the user set it
        QTest::addColumn<QString>("command");   // @ the home, P the build's folder
        QTest::addColumn<QString>("variables");
        const QString steamBuild = kSteam + "/compatibilitytools.d/GE-Proton9-20";
        const QString emulatorAndRom = " @/emu/kalmora_boy.exe Z:\\r\\a.vb -flip";
        QTest::newRow("Steam's") << steamBuild << false << "" << "P/proton run" + emulatorAndRom
                                 << "STEAM_COMPAT_DATA_PATH=@/.local/share/kalmora-launcher/proton STEAM_COMPAT_CLIENT_INSTALL_PATH=@/"
                                        + kSteam;
        QTest::newRow("Heroic's") << ".config/heroic/tools/proton/GE-Proton9-5" << false << ""
                                  << "P/proton run" + emulatorAndRom
                                  << "STEAM_COMPAT_DATA_PATH=@/.local/share/kalmora-launcher/proton STEAM_COMPAT_CLIENT_INSTALL_PATH=";
        QTest::newRow("the user's data folder stands") << steamBuild << false << "/games/pfx one"
                                                       << "P/proton run" + emulatorAndRom
                                                       << "STEAM_COMPAT_CLIENT_INSTALL_PATH=@/" + kSteam;
        QTest::newRow("through umu-run") << steamBuild << true << "" << "@/bin/umu-run" + emulatorAndRom
                                         << "PROTONPATH=P GAMEID=umu-default WINEPREFIX=@/.local/share/kalmora-launcher/proton/pfx";
    }
    void protonStartsAsToolsStartIt()
    {
        QFETCH(QString, build);
        QFETCH(bool, umu);
        QFETCH(QString, userData);
        QFETCH(QString, command);
        QFETCH(QString, variables);
        QTemporaryDir home;
        lay(home.path(), "proton:" + build);
        text(home.filePath("emu/kalmora_boy.exe"), "MZ\x90");
        if (umu)
            executable(home.filePath("bin/umu-run"));
        StartEnvironment environment;
        environment.currentFolder = "/";
        environment.home = home.path().toStdString();
        environment.path = home.filePath("bin").toStdString();
        environment.locale = {"", "", "C.UTF-8", true};
        if (!userData.isEmpty())
            environment.steamCompatDataPath = userData.toStdString();
        const LaunchPlan plan = planStart({home.filePath("emu/kalmora_boy.exe").toStdString(), {"/r/a.vb", "-flip"}, "/", {}},
                                          environment);
        QCOMPARE(plan.problem, LaunchProblem::None);
        const QString folder = QFileInfo(home.filePath(build)).canonicalFilePath();
        QStringList words{QString::fromStdString(plan.command.program)};
        for (const std::string& argument : plan.command.arguments)
            words << QString::fromStdString(argument);
        QCOMPARE(words.join(' '), QString(command).replace("P/", folder + '/').replace('@', home.path()));
        QStringList set;
        for (const EnvironmentChange& change : plan.command.environment)
            if (change.name != "LC_CTYPE" && change.name != "LC_ALL")
                set << QString::fromStdString(change.name + '=' + change.value.value_or("<unset>"));
        QCOMPARE(set.join(' '), QString(variables).replace("=P", '=' + folder).replace('@', home.path()));
        QCOMPARE(QFileInfo(home.filePath(".local/share/kalmora-launcher/proton")).isDir(), userData.isEmpty());
    }

    // What Steam's file gives, read as Steam reads it; damage costs only the entry it is in.
    void libraryFoldersAsSteamReadsThem_data()
    {
        QTest::addColumn<QByteArray>("vdf");
        QTest::addColumn<QStringList>("folders");
        QTest::newRow("keys in any case, nested objects skipped")
            << QByteArray("\"LIBRARYFOLDERS\" { \"0\" { \"PATH\" \"/a\" \"apps\" { \"1\" \"2\" } } \"1\" { \"Path\" \"/b\" } }")
            << QStringList{"/a", "/b"};
        QTest::newRow("escapes") << QByteArray("\"libraryfolders\" { \"0\" { \"path\" \"/x \\\\ \\\"y\\\"\" } }")
                                 << QStringList{"/x \\ \"y\""};
        QTest::newRow("another top-level key first") << QByteArray("\"other\" { \"0\" \"/no\" } \"libraryfolders\" { \"0\" \"/yes\" }")
                                                     << QStringList{"/yes"};
        QTest::newRow("a relative path is no library") << QByteArray("\"libraryfolders\" { \"0\" \"games\" }") << QStringList{};
        QTest::newRow("truncated inside the second entry")
            << QByteArray("\"libraryfolders\" { \"0\" { \"path\" \"/a\" } \"1\" { \"path\" \"/b\" \"label\" \"x")
            << QStringList{"/a"};
        QTest::newRow("an unclosed entry before a closing brace")
            << QByteArray("\"libraryfolders\" { \"0\" { \"path\" \"/a\" \"1\" { \"path\" \"/b\" } ") << QStringList{};
        QTest::newRow("no text") << QByteArray() << QStringList{};
    }
    void libraryFoldersAsSteamReadsThem()
    {
        QFETCH(QByteArray, vdf);
        QFETCH(QStringList, folders);
        QStringList got;
        for (const std::string& folder : steamLibraryFolders(vdf.toStdString()))
            got << QString::fromStdString(folder);
        QCOMPARE(got, folders);
    }

    void protonVersionFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("wine");
        QTest::newRow("Valve's") << QByteArray("1718000000 proton-9.0-3\n") << "wine-9.0";
        QTest::newRow("GE 9") << QByteArray("1718000000 GE-Proton9-20\n") << "wine-9.0";
        QTest::newRow("GE 10") << QByteArray("1740000000 GE-Proton10-4") << "wine-10.0";
        QTest::newRow("Experimental") << QByteArray("1720000000 experimental-9.0-20240712") << "wine-9.0";
        QTest::newRow("no tag") << QByteArray("1720000000\n") << "";
    }
    void protonVersionFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, wine);
        QCOMPARE(QString::fromStdString(protonWineVersion(file.toStdString()).value_or("")), wine);
    }
};

QTEST_GUILESS_MAIN(TestWineBuilds)
#include "test_wine_builds.moc"
