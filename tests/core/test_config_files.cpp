// Settings.ini and GUI.ini: golden bytes, round trips, the fallback rules and safe saving.
#include <QtTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

#include "config/config_location.h"
#include "config/gui_settings.h"
#include "config/options_scope.h"
#include "config/play_times.h"
#include "config/recent_games.h"
#include "config/settings_file.h"
#include "config/text_file.h"

using namespace kl;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QList<QByteArray> goldenSettingsLines()
{
    QList<QByteArray> lines = readAll(KL_GOLDEN_DIR "/Settings-defaults.ini").split('\n');
    lines.removeLast();
    for (QByteArray& l : lines)
        l.chop(1);  // the CR
    return lines;
}

QByteArray joinCrLf(const QList<QByteArray>& lines)
{
    QByteArray out;
    for (const QByteArray& l : lines)
        out += l + "\r\n";
    return out;
}

EmulatorSettings defaultsWithPaths(const std::string& emu, const std::string& rom)
{
    EmulatorSettings s;
    s.setText(Field::txtEmuPath, emu);
    s.setText(Field::txtRomPath, rom);
    resetEmulatorDefaults(s);
    return s;
}

// A record the window can reach: every group has a member selected, lists hold items.
EmulatorSettings randomValidRecord(QRandomGenerator& rng)
{
    EmulatorSettings s;
    const char* paths[] = {"", "/home/me/emu", "  lead", "trail  ", "C:\\Emu", "/srv/ümlaut $(x) \"q\"", "a\nb"};
    s.setText(Field::txtEmuPath, paths[rng.bounded(7)]);
    s.setText(Field::txtRomPath, paths[rng.bounded(7)]);
    for (const FieldInfo& info : fieldTable()) {
        switch (info.kind) {
        case FieldKind::Text: break;
        case FieldKind::Option:
            if (rng.bounded(3) == 0)
                s.setOption(info.field, true);
            break;
        case FieldKind::Check: s.setCheck(info.field, int(rng.bounded(3))); break;
        case FieldKind::ListChoice: {
            const auto items = listItems(info.field, s.paletteList());
            s.setListChoice(info.field, items[rng.bounded(quint32(items.size()))]);
            break;
        }
        }
    }
    return s;
}

}  // namespace

// Plays window events on an options scope, the controls being one record: each event changes
// the record as the window would and logs what the scope decided. A record is written as its
// brightness, which is enough to tell the window's options from each game's.
QString playScope(const QString& folder, const QStringList& events)
{
    ConfigLocation location;
    location.folder = folder.toStdString();
    OptionsScope scope(location);
    EmulatorSettings controls = defaultsWithPaths("/emu", "/roms");
    const auto brite = [](const EmulatorSettings& s) { return QString::fromStdString(s.text(Field::cmbBrightness)); };
    QStringList log;
    for (const QString& event : events) {
        const QStringList words = event.split(' ');
        const QString& verb = words[0];
        const std::string name = words.value(1).toStdString();
        if (verb == "select") {
            if (const auto show = scope.select(name == "-" ? "" : name, controls))
                controls = *show;
        } else if (verb == "set" || verb == "reset") {
            if (verb == "set")
                controls.setListChoice(Field::cmbBrightness, name);
            else
                resetEmulatorDefaults(controls);
            if (scope.changed(controls) == SaveOutcome::Failed)
                log << "save failed";
        } else if (verb == "path") {
            controls.setText(Field::txtEmuPath, name);
        } else if (verb == "keep") {
            if (scope.keep(name, controls) != KeepResult::Kept)
                log << "keep failed";
        } else if (verb == "forget") {
            const ForgetOutcome forgot = scope.forget(name, controls);
            if (forgot.result != ForgetResult::Forgotten)
                log << (forgot.result == ForgetResult::Failed ? "forget failed" : "nothing kept");
            if (forgot.show)
                controls = *forgot.show;
        } else if (verb == "rename") {
            scope.renamed(name, words.value(2).toStdString());
        } else if (verb == "delete") {
            scope.deleted(name);
        } else if (verb == "hand") {
            log << "hand " + brite(scope.optionsFor(name, controls));
        } else if (verb == "exit") {
            const EmulatorSettings window = scope.windowOptions(controls);
            log << "exit " + brite(window) + " " + QString::fromStdString(window.text(Field::txtEmuPath));
        }
    }
    log << "shown " + brite(controls) + (scope.gameShown().empty() ? QString() : " of " + QString::fromStdString(scope.gameShown()));
    QStringList games = QDir(folder + "/Games").entryList(QDir::Files, QDir::Name);
    for (QString& game : games) {
        EmulatorSettings kept;
        const auto own = loadGameOptions((folder + "/Games/" + game).toStdString(), kept);
        game += "=" + (own ? brite(*own) : QString("damaged"));
    }
    log << "files " + games.join(',');
    return log.join("; ");
}

class TestConfigFiles : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(name); }

private slots:
    void init() { QDir(m_dir.path()).removeRecursively(); QDir().mkpath(m_dir.path()); }

    void goldenDefaults()
    {
        const QString file = path("Settings.ini");
        QVERIFY(saveSettingsFile(file.toStdString(), defaultsWithPaths("/home/me/emu", "/home/me/roms")));
        QCOMPARE(readAll(file), readAll(KL_GOLDEN_DIR "/Settings-defaults.ini"));
        const QString gui = path("GUI.ini");
        QVERIFY(saveGuiFile(gui.toStdString(), GuiSettings{}));
        QCOMPARE(readAll(gui), readAll(KL_GOLDEN_DIR "/GUI-defaults.ini"));
    }

    void roundTripOfValidRecords()
    {
        QRandomGenerator rng(20261208);
        const std::string file = path("Settings.ini").toStdString();
        for (int i = 0; i < 300; ++i) {
            const EmulatorSettings saved = randomValidRecord(rng);
            QVERIFY(saveSettingsFile(file, saved));
            EmulatorSettings loaded;
            QVERIFY(loadSettingsFile(file, loaded));
            QVERIFY2(loaded == saved, formatSettingsFile(saved).c_str());
        }
    }

    void acceptedLineForms_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("value");
        QTest::newRow("TRUE") << 5 << QByteArray("TRUE") << int(Field::opt640x480) << 1;
        QTest::newRow("tRuE") << 5 << QByteArray("tRuE") << int(Field::opt640x480) << 1;
        QTest::newRow("-1") << 5 << QByteArray("-1") << int(Field::opt640x480) << 1;
        QTest::newRow("0.5 is a number") << 5 << QByteArray("0.5") << int(Field::opt640x480) << 1;
        QTest::newRow("blanks around True") << 5 << QByteArray(" True ") << int(Field::opt640x480) << 1;
        QTest::newRow("0 on the default") << 3 << QByteArray("0") << int(Field::optWindow) << 0;
        QTest::newRow("FALSE on the default") << 3 << QByteArray("FALSE") << int(Field::optWindow) << 0;
        QTest::newRow("check 2") << 8 << QByteArray(" 2 ") << int(Field::chkHStretch) << 2;
        QTest::newRow("check bare 1") << 8 << QByteArray("1") << int(Field::chkHStretch) << 1;
        QTest::newRow("check 2.5 to even") << 8 << QByteArray("2.5") << int(Field::chkHStretch) << 2;
        QTest::newRow("check 0.5 to even") << 8 << QByteArray("0.5") << int(Field::chkHStretch) << 0;
        QTest::newRow("check 1.5 to even") << 8 << QByteArray("1.5") << int(Field::chkHStretch) << 2;
        QTest::newRow("check -0.4") << 8 << QByteArray("-0.4") << int(Field::chkHStretch) << 0;
        QTest::newRow("check 1e0") << 8 << QByteArray("1e0") << int(Field::chkHStretch) << 1;
    }
    void acceptedLineForms()
    {
        QFETCH(int, line);
        QFETCH(QByteArray, text);
        QFETCH(int, field);
        QFETCH(int, value);
        QList<QByteArray> lines = goldenSettingsLines();
        lines[line - 1] = text;
        writeBytes(path("Settings.ini"), joinCrLf(lines));
        EmulatorSettings s;
        QVERIFY(loadSettingsFile(path("Settings.ini").toStdString(), s));
        const Field f = static_cast<Field>(field);
        QCOMPARE(fieldInfo(f).kind == FieldKind::Check ? s.check(f) : int(s.option(f)), value);
    }

    void badLinesFallBackKeepingReadPaths_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("option word") << 4 << QByteArray("Yes");
        QTest::newRow("option empty") << 9 << QByteArray("");
        QTest::newRow("option inf") << 9 << QByteArray("inf");
        QTest::newRow("option hex") << 9 << QByteArray("&H1");
        QTest::newRow("check 3") << 8 << QByteArray(" 3 ");
        QTest::newRow("check 2.6 rounds to 3") << 17 << QByteArray("2.6");
        QTest::newRow("check -1") << 17 << QByteArray("-1");
        QTest::newRow("check word") << 20 << QByteArray("on");
        QTest::newRow("check huge") << 20 << QByteArray("1e400");
        QTest::newRow("check nan") << 20 << QByteArray("nan");
        QTest::newRow("palette of the other family") << 15 << QByteArray("Red-Blue");
        QTest::newRow("palette lower case") << 15 << QByteArray("normal");
        QTest::newRow("brightness unformatted") << 16 << QByteArray("1");
        QTest::newRow("zoom 7x") << 18 << QByteArray("7x");
        QTest::newRow("frame skip empty") << 19 << QByteArray("");
        QTest::newRow("controller trailing blank") << 24 << QByteArray("None connected to PC ");
        QTest::newRow("last line") << 30 << QByteArray("x");
    }
    void badLinesFallBackKeepingReadPaths()
    {
        QFETCH(int, line);
        QFETCH(QByteArray, text);
        QList<QByteArray> lines = goldenSettingsLines();
        // Everything before the bad line departs from the defaults, so a partial apply shows.
        lines[2] = "False";
        lines[4] = "True";
        lines[7] = " 2 ";
        lines[line - 1] = text;
        writeBytes(path("Settings.ini"), joinCrLf(lines));
        EmulatorSettings s;
        QVERIFY(!loadSettingsFile(path("Settings.ini").toStdString(), s));
        QVERIFY(s == defaultsWithPaths("/home/me/emu", "/home/me/roms"));
    }

    void shortFilesAndLineEnds_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("emu");
        QTest::addColumn<QString>("rom");
        const QList<QByteArray> golden = goldenSettingsLines();
        QTest::newRow("empty file") << QByteArray() << false << "before-emu" << "before-rom";
        QTest::newRow("one line") << QByteArray("/only/emu\r\n") << false << "/only/emu" << "before-rom";
        QTest::newRow("29 lines") << joinCrLf(golden.mid(0, 29)) << false << "/home/me/emu" << "/home/me/roms";
        QTest::newRow("30th line without line end") << joinCrLf(golden).chopped(2) << true << "/home/me/emu"
                                                     << "/home/me/roms";
        QTest::newRow("more than 30 lines") << joinCrLf(golden) + "garbage\r\nmore\r\n" << true << "/home/me/emu"
                                            << "/home/me/roms";
        QByteArray crOnly;
        for (const QByteArray& l : golden)
            crOnly += l + "\r";
        QTest::newRow("CR alone ends a line") << crOnly << true << "/home/me/emu" << "/home/me/roms";
        QList<QByteArray> longPath = golden;
        longPath[0] = QByteArray(40000, 'x');
        QTest::newRow("overlong path line") << joinCrLf(longPath) << false << "before-emu" << "before-rom";
        QByteArray lfOnly;
        for (const QByteArray& l : golden)
            lfOnly += l + "\n";
        // An LF is part of the line: the whole file is line 1, and line 2 never comes.
        QTest::newRow("LF alone is no line end") << lfOnly << false << QString::fromUtf8(lfOnly) << "before-rom";
    }
    void shortFilesAndLineEnds()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, ok);
        QFETCH(QString, emu);
        QFETCH(QString, rom);
        writeBytes(path("Settings.ini"), content);
        EmulatorSettings s;
        s.setText(Field::txtEmuPath, "before-emu");
        s.setText(Field::txtRomPath, "before-rom");
        s.setCheck(Field::chkFlip, 1);
        QCOMPARE(loadSettingsFile(path("Settings.ini").toStdString(), s), ok);
        QVERIFY(s == defaultsWithPaths(emu.toStdString(), rom.toStdString()));
    }

    void missingOrFolderIsAFailure()
    {
        EmulatorSettings s;
        s.setText(Field::txtRomPath, "kept");
        QVERIFY(!loadSettingsFile(path("absent.ini").toStdString(), s));
        QVERIFY(s == defaultsWithPaths("", "kept"));
        QVERIFY(QDir(m_dir.path()).mkdir("Settings.ini"));
        QVERIFY(!loadSettingsFile(path("Settings.ini").toStdString(), s));
        QVERIFY(!saveSettingsFile(path("Settings.ini").toStdString(), s));
        QVERIFY(QFileInfo(path("Settings.ini")).isDir());
        QVERIFY(!saveSettingsFile(path("NoData/Settings.ini").toStdString(), s));
        QVERIFY(!QFileInfo::exists(path("NoData")));
    }

    void whereTheFilesLive_data()
    {
        QTest::addColumn<bool>("marker");
        QTest::addColumn<QString>("xdg");  // "-" unset
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("folder");  // "@" stands for the program folder
        QTest::addColumn<QString>("beside");  // more beside the executable: the folder Data, the self-contained marker
        QTest::newRow("portable") << false << "/x/cfg" << "/home/a" << "@/Data" << "";
        QTest::newRow("installed, XDG_CONFIG_HOME") << true << "/x/cfg/" << "/home/a" << "/x/cfg/kalmora-launcher" << "";
        QTest::newRow("installed, no XDG_CONFIG_HOME") << true << "-" << "/home/a" << "/home/a/.config/kalmora-launcher"
                                                       << "";
        QTest::newRow("installed, relative XDG_CONFIG_HOME") << true << "cfg" << "/home/a"
                                                              << "/home/a/.config/kalmora-launcher" << "";
        QTest::newRow("installed, empty XDG_CONFIG_HOME") << true << "" << "/home/a" << "/home/a/.config/kalmora-launcher"
                                                          << "";
        QTest::newRow("self-contained") << true << "-" << "/home/a" << "/home/a/.config/kalmora-launcher"
                                        << "self-contained";
        // The user made it portable, as any program folder is.
        QTest::newRow("self-contained, Data made") << false << "-" << "/home/a" << "@/Data" << "self-contained Data";
        // An older install's Data is read until the first save, not taken for a portable copy's.
        QTest::newRow("installed, an older install's Data") << true << "-" << "/home/a"
                                                             << "/home/a/.config/kalmora-launcher" << "Data";
    }
    void whereTheFilesLive()
    {
        QFETCH(bool, marker);
        QFETCH(QString, xdg);
        QFETCH(QString, home);
        QFETCH(QString, folder);
        QFETCH(QString, beside);
        if (marker || beside.contains("self-contained"))
            writeBytes(path("installed-copy"), "");
        if (beside.contains("self-contained"))
            writeBytes(path("self-contained"), "");
        if (beside.contains("Data"))
            QVERIFY(QDir(m_dir.path()).mkpath("Data"));
        const std::string x = xdg.toStdString();
        const ConfigLocation where = configLocation(m_dir.path().toStdString(), xdg == "-" ? nullptr : x.c_str(),
                                                    home.toStdString().c_str());
        QCOMPARE(where.installed, marker);
        QCOMPARE(QString::fromStdString(where.folder), folder.replace('@', m_dir.path()));
        QCOMPARE(QString::fromStdString(where.settingsPath()), folder + "/Settings.ini");
        QCOMPARE(QString::fromStdString(where.guiReadPath()), folder + "/GUI.ini");
    }

    // An older install kept the options in Data beside the program: they are read until the
    // user's folder holds a file, and the user's folder is made private at the first save.
    void installedCopyReadsAnOlderInstallUntilItSaves()
    {
        writeBytes(path("installed-copy"), "");
        QVERIFY(QDir(m_dir.path()).mkdir("Data"));
        writeBytes(path("Data/Settings.ini"), "");
        const ConfigLocation where =
            configLocation(m_dir.path().toStdString(), path("home/.config").toStdString().c_str(), "/nowhere");
        QCOMPARE(QString::fromStdString(where.settingsReadPath()), path("Data/Settings.ini"));
        QCOMPARE(QString::fromStdString(where.guiReadPath()), path("Data/GUI.ini"));
        QVERIFY(where.prepareForSave());
        QCOMPARE(QFileInfo(path("home/.config/kalmora-launcher")).permissions() & 0x0077, QFile::Permissions());
        writeBytes(path("home/.config/kalmora-launcher/GUI.ini"), "");
        QCOMPARE(QString::fromStdString(where.settingsReadPath()), path("home/.config/kalmora-launcher/Settings.ini"));
        QCOMPARE(QString::fromStdString(where.guiReadPath()), path("home/.config/kalmora-launcher/GUI.ini"));
    }

    void failedSaveLeavesTheOldFileWhole()
    {
        // A file-size limit makes the write fail part-way, as a full disk would.
        const QString file = path("Settings.ini");
        const QByteArray old = readAll(KL_GOLDEN_DIR "/Settings-defaults.ini");
        writeBytes(file, old);
        EmulatorSettings s = defaultsWithPaths(std::string(400, 'e'), std::string(400, 'r'));
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 256;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool ok = saveSettingsFile(file.toStdString(), s);
        const bool guiOk = saveGuiFile(path("GUI.ini").toStdString(), GuiSettings{});
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(!ok);
        QVERIFY(guiOk);  // small enough to fit
        QCOMPARE(readAll(file), old);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList({"GUI.ini", "Settings.ini"}));
    }

    void saveKeepsTheFileMode()
    {
        const QString file = path("Settings.ini");
        writeBytes(file, "old");
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(saveSettingsFile(file.toStdString(), EmulatorSettings{}));
        struct stat st {};
        QCOMPARE(::stat(file.toLocal8Bit().constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0600u);
    }

    void guiLoadStopsAtTheFirstBadLine_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<int>>("ticked");  // 1-based fields ticked after loading
        QTest::addColumn<bool>("ok");
        QTest::newRow("first line False, then nothing") << QByteArray("False") << QList<int>{13} << false;
        QTest::newRow("Beach then a bad Default")
            << QByteArray("True\r\nFalse\r\nFalse\r\nFalse\r\nTrue\r\nFalse\r\nFalse\r\nFalse\r\nFalse\r\nFalse\r\n"
                          "False\r\nFalse\r\nmaybe\r\nTrue\r\n")
            << QList<int>{1, 5, 13} << false;
        QTest::newRow("numbers and cases")
            << QByteArray("0\r\n-1\r\nFALSE\r\ntrue\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n7\r\n0\r\n1\r\nignored")
            << QList<int>{2, 4, 12, 14} << true;
        QTest::newRow("NUL byte in a line") << QByteArray("True\r\nFal\0se\r\n", 14) << QList<int>{1, 13} << false;
        QTest::newRow("empty") << QByteArray() << QList<int>{1, 13} << false;
    }
    void guiLoadStopsAtTheFirstBadLine()
    {
        QFETCH(QByteArray, content);
        QFETCH(QList<int>, ticked);
        QFETCH(bool, ok);
        writeBytes(path("GUI.ini"), content);
        GuiSettings gui;
        QCOMPARE(loadGuiFile(path("GUI.ini").toStdString(), gui), ok);
        for (int i = 1; i <= kGuiLineCount; ++i)
            QVERIFY2(gui.ticks[std::size_t(i - 1)] == ticked.contains(i), qPrintable(QString::number(i)));
    }

    void guiRoundTripAndReset()
    {
        const std::string file = path("GUI.ini").toStdString();
        for (int bits = 0; bits < (1 << kGuiLineCount); bits += 37) {
            GuiSettings saved;
            for (int i = 0; i < kGuiLineCount; ++i)
                saved.ticks[std::size_t(i)] = (bits >> i) & 1;
            QVERIFY(saveGuiFile(file, saved));
            GuiSettings loaded;
            QVERIFY(loadGuiFile(file, loaded));
            QVERIFY(loaded == saved);
            ResetGuiDefaults(loaded);
            QVERIFY(loaded == GuiSettings{});
        }
    }

    void appliedPatternAndColours_data()
    {
        QTest::addColumn<QList<int>>("ticked");
        QTest::addColumn<QString>("pattern");  // "-" for none
        QTest::addColumn<int>("theme");        // -1 for none
        QTest::newRow("defaults") << QList<int>{1, 13} << "*.vb" << 0;
        QTest::newRow("zip and all") << QList<int>{2, 4} << "*.*" << -1;
        QTest::newRow("both") << QList<int>{3, 8} << "*.vb;*.zip" << 4;
        QTest::newRow("two themes") << QList<int>{6, 9} << "-" << 5;
        QTest::newRow("Beach and Default") << QList<int>{5, 13} << "-" << 0;
        QTest::newRow("nothing") << QList<int>{14} << "-" << -1;
    }
    void appliedPatternAndColours()
    {
        QFETCH(QList<int>, ticked);
        QFETCH(QString, pattern);
        QFETCH(int, theme);
        GuiSettings gui;
        gui.ticks.fill(false);
        for (int i : ticked)
            gui.ticks[std::size_t(i - 1)] = true;
        const auto p = filePatternFor(gui);
        QCOMPARE(p ? QString::fromUtf8(p->data(), int(p->size())) : QString("-"), pattern);
        const auto t = themeFor(gui);
        QCOMPARE(t ? *t : -1, theme);
    }

    // The window's options against each game's own, as event sequences on the controls.
    void optionsScope_data()
    {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("outcome");
        const QString none = "shown 1.0; files ";
        QTest::newRow("no game: changes stay the window's") << "set 1.5|select a.vb|exit" << "exit 1.5 /emu; shown 1.5; files ";
        QTest::newRow("keep, then the game's own are shown and saved")
            << "set 1.5|select a.vb|keep a.vb|set 2.0|exit" << "exit 1.5 /emu; shown 2.0 of a.vb; files a.vb.ini=2.0";
        QTest::newRow("switch to a game without: the window's return")
            << "select a.vb|keep a.vb|set 2.0|select b.vb|exit" << "exit 1.0 /emu; shown 1.0; files a.vb.ini=2.0";
        QTest::newRow("switch back: the game's are shown again")
            << "select a.vb|keep a.vb|set 2.0|select b.vb|set 1.2|select a.vb|exit"
            << "exit 1.2 /emu; shown 2.0 of a.vb; files a.vb.ini=2.0";
        QTest::newRow("selection lost: the window's return")
            << "select a.vb|keep a.vb|set 2.0|select -" << "shown 1.0; files a.vb.ini=2.0";
        QTest::newRow("the same game again changes nothing")
            << "select a.vb|keep a.vb|set 2.0|select a.vb|set 2.2" << "shown 2.2 of a.vb; files a.vb.ini=2.2";
        QTest::newRow("reset while a game is shown resets the game's")
            << "set 1.5|select a.vb|keep a.vb|set 2.0|reset|exit" << "exit 1.5 /emu; shown 1.0 of a.vb; files a.vb.ini=1.0";
        QTest::newRow("paths changed while a game is shown are the window's")
            << "select a.vb|keep a.vb|path /other|exit" << "exit 1.0 /other; shown 1.0 of a.vb; files a.vb.ini=1.0";
        QTest::newRow("forget the shown game: the window's return")
            << "set 1.5|select a.vb|keep a.vb|set 2.0|forget a.vb|exit" << "exit 1.5 /emu; shown 1.5; files ";
        QTest::newRow("forget another game leaves the shown one")
            << "select b.vb|keep b.vb|select a.vb|keep a.vb|set 2.0|forget b.vb" << "shown 2.0 of a.vb; files a.vb.ini=2.0";
        QTest::newRow("forget a game without options") << "select a.vb|forget a.vb" << "nothing kept; " + none;
        QTest::newRow("rename takes the file along")
            << "select a.vb|keep a.vb|set 2.0|rename a.vb c.vb|select c.vb" << "shown 2.0 of c.vb; files c.vb.ini=2.0";
        QTest::newRow("delete takes the file along")
            << "select a.vb|keep a.vb|delete a.vb|select -" << none;
        QTest::newRow("a handed game starts with its own, another with the window's")
            << "set 1.5|select a.vb|keep a.vb|set 2.0|hand a.vb|hand b.vb"
            << "hand 2.0; hand 1.5; shown 2.0 of a.vb; files a.vb.ini=2.0";
        QTest::newRow("a name that cannot be a file") << "keep a/b.vb" << "keep failed; shown 1.0; files ";
    }
    void optionsScope()
    {
        QFETCH(QString, events);
        QFETCH(QString, outcome);
        QCOMPARE(playScope(m_dir.path(), events.split('|')), outcome);
    }

    // Play time: sessions add up under the image's key from whichever path they started, the
    // later end names the path, a session under five seconds is none, a damaged file gives way
    // to the next session, and one of a newer launcher is left alone.
    void playTimes_data()
    {
        QTest::addColumn<QByteArray>("before");    // "-": no file
        QTest::addColumn<QStringList>("changes");  // "<game> <seconds> <end> <path>", or "forget <game>"
        QTest::addColumn<QByteArray>("after");     // "-": no file
        const QByteArray head = "kalmora-launcher play times 1\n";
        const QByteArray a = QByteArray(20, '\x11').toHex(), b = QByteArray(20, '\xab').toHex();
        const auto line = [](const QByteArray& game, const char* figures, const QByteArray& path) {
            return game + ' ' + figures + ' ' + path + QByteArray("\0\n", 2);
        };
        QTest::newRow("first session") << QByteArray("-") << QStringList{"A 60 1000 /r/a.vb"}
                                       << head + line(a, "1 60 1000", "/r/a.vb");
        QTest::newRow("renamed and moved") << QByteArray("-") << QStringList{"A 100.7 1000 /r/a.vb", "A 3700.5 2000 /x/b c.vb"}
                                           << head + line(a, "2 3800 2000", "/x/b c.vb");
        QTest::newRow("the later end names the path") << QByteArray("-") << QStringList{"A 10 2000 /x.vb", "A 10 1500 /y.vb"}
                                                      << head + line(a, "2 20 2000", "/x.vb");
        QTest::newRow("under five seconds") << QByteArray("-") << QStringList{"A 4.999 1000 /r/a.vb"} << QByteArray("-");
        QTest::newRow("five seconds") << QByteArray("-") << QStringList{"A 5 1000 /r/a.vb"}
                                      << head + line(a, "1 5 1000", "/r/a.vb");
        QTest::newRow("a newline in the path") << QByteArray("-") << QStringList{"A 9 7 /r/a\nb.vb"}
                                               << head + line(a, "1 9 7", "/r/a\nb.vb");
        QTest::newRow("two games, one forgotten") << QByteArray("-") << QStringList{"A 10 1 /a.vb", "B 20 2 /b.vb", "forget A"}
                                                  << head + line(b, "1 20 2", "/b.vb");
        QTest::newRow("damaged file replaced") << head + "not a record" << QStringList{"B 10 5 /b.vb"}
                                               << head + line(b, "1 10 5", "/b.vb");
        QTest::newRow("upper-case key is damage") << head + line(b.toUpper(), "1 10 5", "/b.vb") << QStringList{"A 10 5 /a.vb"}
                                                  << head + line(a, "1 10 5", "/a.vb");
        const QByteArray newer = "kalmora-launcher play times 2\nwhatever comes next";
        QTest::newRow("newer format left alone") << newer << QStringList{"A 10 5 /a.vb"} << newer;
        const QByteArray large = newer + QByteArray(5 << 20, 'x');
        QTest::newRow("newer format left alone, however large") << large << QStringList{"A 10 5 /a.vb"} << large;
        QTest::newRow("forgetting writes no file") << QByteArray("-") << QStringList{"forget A"} << QByteArray("-");
    }
    void playTimes()
    {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, changes);
        QFETCH(QByteArray, after);
        const ConfigLocation where{false, m_dir.path().toStdString(), {}};
        const QString file = path("play-times");
        if (before != "-")
            writeBytes(file, before);
        const auto game = [](const QString& name) {
            Sha1 key;
            key.fill(name == "A" ? 0x11 : 0xab);
            return key;
        };
        for (const QString& change : changes) {
            const QStringList f = change.split(' ');
            if (f[0] == "forget") {
                QVERIFY(forgetPlayTime(where, game(f[1])));
                continue;
            }
            const auto length = std::chrono::nanoseconds(static_cast<std::int64_t>(f[1].toDouble() * 1e9));
            recordSession(where, {game(f[0]), f.mid(3).join(' ').toStdString(), length, f[2].toLongLong()});
        }
        QCOMPARE(QFile::exists(file), after != "-");
        if (after == "-")
            return;
        QCOMPARE(readAll(file), after);
        const auto loaded = loadPlayTimes(where);
        QVERIFY(loaded);
        const bool ours = after.startsWith("kalmora-launcher play times 1\n");
        QCOMPARE(loaded->size(), static_cast<std::size_t>(ours ? after.count('\0') : 0));
    }

    // Both state files as dotfile managers and damage leave them: a link stays a link and its
    // target changes (a missing target is made); a damaged file, or one over the size limit,
    // is set aside as <file>.damaged with its exact bytes before the new content is written.
    void stateFilesThroughLinksAndDamage_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("state");
        for (const char* file : {"play-times", "recent-games"})
            for (const char* state : {"linked", "dangling link", "damaged", "too large"})
                QTest::newRow(qPrintable(QString("%1, %2").arg(file, state))) << file << state;
    }
    void stateFilesThroughLinksAndDamage()
    {
        QFETCH(QString, file);
        QFETCH(QString, state);
        const ConfigLocation where{false, m_dir.path().toStdString(), {}};
        const bool play = file == "play-times";
        const auto record = [&](const char* rom, std::int64_t end) {
            Sha1 game;
            game.fill(static_cast<std::uint8_t>(end));
            return play ? recordSession(where, {game, rom, std::chrono::seconds(10), end}) : recordRecentGame(where, rom);
        };
        const QString named = m_dir.filePath(file), target = m_dir.filePath("elsewhere/" + file);
        QByteArray before;
        if (state == "linked" || state == "dangling link") {
            QVERIFY(QDir().mkpath(m_dir.filePath("elsewhere")));
            QVERIFY(::symlink("elsewhere/" + file.toUtf8(), named.toUtf8()) == 0);
            if (state == "linked") {
                QVERIFY(record("/r/old.vb", 1));
                QVERIFY(QFileInfo(named).isSymLink());
            }
        } else {
            before = state == "damaged" ? QByteArray("not a state file\n") : QByteArray(8 << 20, '/');
            writeBytes(named, before);
        }
        QVERIFY(record("/r/new.vb", 2));
        if (state == "linked" || state == "dangling link") {
            QVERIFY(QFileInfo(named).isSymLink());
            QCOMPARE(QFileInfo(target).isFile() && !QFileInfo(target).isSymLink(), true);
            QVERIFY(readAll(target).contains("/r/new.vb"));
            QCOMPARE(readAll(target).contains("/r/old.vb"), state == "linked");
        } else {
            QCOMPARE(readAll(named + ".damaged"), before);
            QVERIFY(readAll(named).contains("/r/new.vb"));
            QVERIFY(!readAll(named).contains(before.left(16)));
        }
    }

    // Eight sessions ending at once in eight processes, ten times over: every one lands.
    void playTimesOfEightAtOnce()
    {
        const ConfigLocation where{false, m_dir.path().toStdString(), {}};
        writeBytes(path("play-times"), "damaged, so the first writers set it aside at once");
        for (int round = 0; round < 10; ++round) {
            int go[2];
            QVERIFY(::pipe(go) == 0);
            std::vector<pid_t> writers;
            for (int i = 0; i < 8; ++i) {
                const pid_t pid = ::fork();
                if (pid == 0) {
                    ::close(go[1]);
                    char c;
                    [[maybe_unused]] const auto n = ::read(go[0], &c, 1);  // until the pipe closes
                    Sha1 game;
                    game.fill(i % 2 ? 0x11 : 0xab);
                    const PlaySession s{game, "/r/" + std::to_string(i) + ".vb", std::chrono::seconds(10 + i), 100 + i};
                    ::_exit(recordSession(where, s) ? 0 : 1);
                }
                writers.push_back(pid);
            }
            ::close(go[0]);
            ::close(go[1]);
            for (const pid_t pid : writers) {
                int status = 0;
                QCOMPARE(::waitpid(pid, &status, 0), pid);
                QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            }
        }
        const auto loaded = loadPlayTimes(where);
        QVERIFY(loaded);
        QCOMPARE(loaded->size(), std::size_t(2));
        Sha1 odd, even;
        odd.fill(0x11);
        even.fill(0xab);
        QCOMPARE(findPlayRecord(*loaded, odd)->sessions, std::uint64_t(40));
        QCOMPARE(findPlayRecord(*loaded, odd)->seconds, std::uint64_t(10 * (11 + 13 + 15 + 17)));
        QCOMPARE(findPlayRecord(*loaded, even)->sessions, std::uint64_t(40));
        QCOMPARE(findPlayRecord(*loaded, even)->lastPath, std::string("/r/6.vb"));
    }

    // A portable copy keeps play time in its Data folder where there is one; otherwise, and for
    // an installed copy, it is in the user's state folder.
    void playTimesLocation_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("data");
        QTest::addColumn<QString>("file");
        QTest::newRow("portable with Data") << false << true << "@/Data/play-times";
        QTest::newRow("portable without Data") << false << false << "@/state/kalmora-launcher/play-times";
        QTest::newRow("installed") << true << true << "@/state/kalmora-launcher/play-times";
    }
    void playTimesLocation()
    {
        QFETCH(bool, installed);
        QFETCH(bool, data);
        QFETCH(QString, file);
        file.replace('@', m_dir.path());
        if (data)
            QDir().mkpath(path("Data"));
        qputenv("XDG_STATE_HOME", path("state").toUtf8());
        const ConfigLocation where{installed, path("Data").toStdString(), {}};
        QVERIFY(recordSession(where, {Sha1{}, "/r/a.vb", std::chrono::seconds(5), 1}));
        qunsetenv("XDG_STATE_HOME");
        QVERIFY(QFile::exists(file));
        if (file.contains("/state/"))  // made private, as the options' folder is
            QCOMPARE(QFileInfo(path("state/kalmora-launcher")).permissions() & 0x0077, QFileDevice::Permissions());
    }

    // The figures as the Properties window shows them: hours and minutes, rounded down.
    void playedTexts_data()
    {
        QTest::addColumn<int>("sessions");  // 0: no record
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("never") << 0 << 0 << "never";
        QTest::newRow("under a minute") << 1 << 59 << "1 session, less than a minute";
        QTest::newRow("minutes") << 2 << 60 * 59 + 59 << "2 sessions, 59 min";
        QTest::newRow("hours") << 14 << 3 * 3600 + 12 * 60 + 59 << "14 sessions, 3 h 12 min";
    }
    void playedTexts()
    {
        QFETCH(int, sessions);
        QFETCH(int, seconds);
        QFETCH(QString, text);
        PlayRecord r;
        r.sessions = static_cast<std::uint64_t>(sessions);
        r.seconds = static_cast<std::uint64_t>(seconds);
        QCOMPARE(QString::fromStdString(playedText(sessions ? &r : nullptr)), text);
    }

    void decimalParser_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("value");
        QTest::newRow("blanks") << "  42 " << true << 42.0;
        QTest::newRow("plus") << "+1.5" << true << 1.5;
        QTest::newRow("point first") << ".5" << true << 0.5;
        QTest::newRow("exponent") << "2E1" << true << 20.0;
        QTest::newRow("inner blank") << "1 2" << false << 0.0;
        QTest::newRow("sign alone") << "-" << false << 0.0;
        QTest::newRow("infinity") << "-infinity" << false << 0.0;
        QTest::newRow("hex") << "0x10" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
    }
    void decimalParser()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(double, value);
        const auto parsed = parseDecimal(text.toStdString());
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(*parsed, value);
    }
};

QTEST_GUILESS_MAIN(TestConfigFiles)
#include "test_config_files.moc"
