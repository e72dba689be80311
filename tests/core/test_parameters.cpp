// The switch string and the command line, in both path styles, with hostile file names.
#include <QtTest>

#include <sys/stat.h>

#include "launch/command_line.h"
#include "launch/parameter_string.h"

using namespace kl;

namespace {

EmulatorSettings defaults()
{
    EmulatorSettings s;
    resetEmulatorDefaults(s);
    return s;
}

EmulatorSettings secondExample()
{
    EmulatorSettings s = defaults();
    s.setOption(Field::opt640x480, true);
    s.setCheck(Field::chkHStretch, 1);
    s.setOption(opt3DMode(1), true);
    s.setListChoice(Field::cmbPalette, "R.B.G.");
    s.setListChoice(Field::cmbBrightness, "1.5");
    s.setCheck(Field::chkFlip, 1);
    s.setListChoice(Field::cmbZoom, "2x");
    s.setListChoice(Field::cmbFrameSkip, "3 f./sec.");
    s.setOption(optKeyLayout(2), true);
    s.setCheck(Field::chkJoystick, 1);
    s.setListChoice(Field::cmbVBController, "Virtual Boy controller at LPT2 (0x278)");
    s.setCheck(Field::chkDisplayFPS, 1);
    return s;
}

const QString kDefaultSwitches = " -display frame -dspmode normal -pallet normal -brite 1.0 -sclscr 1 -frmskp 0";

}  // namespace

class TestParameters : public QObject {
    Q_OBJECT
private slots:
    void documentedExamples()
    {
        QCOMPARE(QString::fromStdString(BuildParameterString(defaults())), kDefaultSwitches);
        QCOMPARE(QString::fromStdString(BuildParameterString(secondExample())),
                 QString(" -display 640 -hstretch -dspmode red_blue -pallet rbg -brite 1.5 -flip -sclscr 2"
                         " -frmskp 3 -altkbd -joy -pport 2 -status"));
    }

    void eachChoiceGivesItsFragment_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("fragment");
        const int display[] = {int(Field::optWindow), int(Field::opt320x200), int(Field::opt640x480),
                               int(Field::opt800x600), int(Field::opt1024x768)};
        const char* displayWords[] = {"frame", "320", "640", "800", "1024"};
        for (int i = 0; i < 5; ++i)
            QTest::newRow(displayWords[i]) << display[i] << "" << QString(" -display %1").arg(displayWords[i]);
        const char* modes[] = {"red_blue", "normal", "interlace", "over_under", "side", "cscope"};
        for (int i = 1; i <= 6; ++i)
            QTest::newRow(modes[i - 1]) << int(opt3DMode(i)) << "" << QString(" -dspmode %1").arg(modes[i - 1]);
        QTest::newRow("palette Red") << int(Field::cmbPalette) << "Red" << " -pallet red";
        QTest::newRow("brightness 3.0") << int(Field::cmbBrightness) << "3.0" << " -brite 3.0";
        QTest::newRow("brightness 0.1") << int(Field::cmbBrightness) << "0.1" << " -brite 0.1";
        QTest::newRow("zoom 6x") << int(Field::cmbZoom) << "6x" << " -sclscr 6";
        QTest::newRow("frame skip 9") << int(Field::cmbFrameSkip) << "9 f./sec." << " -frmskp 9";
        const char* ports[] = {"LPT1 (0x378)", "LPT2 (0x278)", "LPT3 (0x3b8)", "IBM (0x3bc)"};
        for (int i = 0; i < 4; ++i)
            QTest::newRow(ports[i]) << int(Field::cmbVBController)
                                    << QString("Virtual Boy controller at %1").arg(ports[i])
                                    << QString(" -pport %1").arg(i + 1);
    }
    void eachChoiceGivesItsFragment()
    {
        QFETCH(int, field);
        QFETCH(QString, value);
        QFETCH(QString, fragment);
        EmulatorSettings s = defaults();
        const Field f = static_cast<Field>(field);
        if (fieldInfo(f).kind == FieldKind::Option)
            s.setOption(f, true);
        else
            QVERIFY(s.setListChoice(f, value.toStdString()));
        QVERIFY(QString::fromStdString(BuildParameterString(s)).contains(fragment));
    }

    void everySwitchInItsSlot()
    {
        EmulatorSettings s = defaults();
        for (const FieldInfo& info : fieldTable())
            if (info.kind == FieldKind::Check)
                s.setCheck(info.field, 1);
        s.setOption(optKeyLayout(2), true);
        s.setListChoice(Field::cmbVBController, "Virtual Boy controller at LPT3 (0x3b8)");
        QCOMPARE(QString::fromStdString(BuildParameterString(s)),
                 QString(" -display frame -hstretch -dspmode normal -pallet normal -brite 1.0 -flip -sclscr 1"
                         " -frmskp 0 -nothrtl -altkbd -joy -pport 3 -ltimmer -vfhack -status -debug -disam -stdout"));
    }

    void greyedChecksAddNothing()
    {
        EmulatorSettings s = defaults();
        for (const FieldInfo& info : fieldTable())
            if (info.kind == FieldKind::Check)
                s.setCheck(info.field, 2);
        QCOMPARE(QString::fromStdString(BuildParameterString(s)), kDefaultSwitches);
    }

    void emptyGroupsAndListsAsPlainText()
    {
        // The state of the window before anything is loaded: no list item selected.
        EmulatorSettings s;
        s.setOption(Field::optWindow, false);
        s.setOption(opt3DMode(2), false);
        QCOMPARE(QString::fromStdString(BuildParameterString(s)), QString(" -brite  -sclscr  -frmskp "));
    }

    void paletteOfTheOtherFamilyIsEmittedUnchanged()
    {
        EmulatorSettings s = defaults();
        s.setOption(opt3DMode(1), true);
        s.setListChoice(Field::cmbPalette, "Red-Green");
        s.setOption(opt3DMode(1), false);
        s.setOption(opt3DMode(3), false);
        QVERIFY(QString::fromStdString(BuildParameterString(s)).contains(" -pallet rg -brite"));
    }

    void commandLine_data()
    {
        QTest::addColumn<QString>("emu");
        QTest::addColumn<QString>("rom");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QString>("expected");
        QTest::newRow("documented example") << "C:\\Emu" << "D:\\Roms" << "game.vb" << true
                                            << "C:\\Emu\\kalmora_boy.exe \"D:\\Roms\\game.vb\"" + kDefaultSwitches;
        QTest::newRow("both at the root") << "C:\\" << "C:\\" << "game.vb" << true
                                          << "C:\\kalmora_boy.exe \"C:\\game.vb\"" + kDefaultSwitches;
        QTest::newRow("root plus a blank") << "C:\\ " << "D:\\Roms" << "game.vb" << true
                                           << "C:\\\\kalmora_boy.exe \"D:\\Roms\\game.vb\"" + kDefaultSwitches;
        QTest::newRow("rom folder ending in a backslash") << "C:\\Emu" << "D:\\Roms\\" << "game.vb" << true
                                                          << "C:\\Emu\\kalmora_boy.exe \"D:\\Roms\\\\game.vb\"" + kDefaultSwitches;
        QTest::newRow("leading blanks stay") << " C:\\Emu  " << "D:\\Roms " << "a b.vb" << true
                                             << " C:\\Emu\\kalmora_boy.exe \"D:\\Roms\\a b.vb\"" + kDefaultSwitches;
        QTest::newRow("empty folders") << "" << "" << "game.vb" << true
                                       << "kalmora_boy.exe \"game.vb\"" + kDefaultSwitches;
        QTest::newRow("linux example") << "/home/me/emu" << "/home/me/roms" << "game.vb" << false
                                       << "/home/me/emu/kalmora_boy.exe \"/home/me/roms/game.vb\"" + kDefaultSwitches;
        QTest::newRow("linux root") << "/" << "/" << "game.vb" << false
                                    << "/kalmora_boy.exe \"/game.vb\"" + kDefaultSwitches;
        QTest::newRow("linux root plus a blank") << "/ " << "/roms/" << "game.vb" << false
                                                 << "//kalmora_boy.exe \"/roms//game.vb\"" + kDefaultSwitches;
    }
    void commandLine()
    {
        QFETCH(QString, emu);
        QFETCH(QString, rom);
        QFETCH(QString, file);
        QFETCH(bool, windows);
        QFETCH(QString, expected);
        const std::string params = BuildParameterString(defaults());
        const std::string line = EmulatorCommandLine(emu.toStdString(), rom.toStdString(), file.toStdString(), params,
                                                     windows ? kWindowsStyle : kPosixStyle);
        QCOMPARE(QString::fromStdString(line), expected);
    }

    void argumentVectorKeepsEveryNameWhole_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("blanks") << "Wario Land (J) [!].vb";
        QTest::newRow("quotes") << "say \"hi\" 'there'.vb";
        QTest::newRow("command substitution") << "$(touch pwned).vb";
        QTest::newRow("backticks and semicolon") << "`id`; rm -rf x.vb";
        QTest::newRow("non-ASCII") << "テレロボクサー ü.vb";
        QTest::newRow("leading dash") << "-debug.vb";
    }
    void argumentVectorKeepsEveryNameWhole()
    {
        QFETCH(QString, file);
        const std::string name = file.toStdString();
        const LaunchCommand cmd = emulatorLaunchCommand("/opt/k emu $HOME", "/srv/ro\"ms", name,
                                                        BuildParameterString(secondExample()), kPosixStyle);
        QCOMPARE(cmd.program, std::string("/opt/k emu $HOME/kalmora_boy.exe"));
        QCOMPARE(cmd.workingDirectory, std::string("/opt/k emu $HOME"));
        const std::vector<std::string> expected{"/srv/ro\"ms/" + name, "-display", "640", "-hstretch", "-dspmode",
                                                "red_blue", "-pallet", "rbg", "-brite", "1.5", "-flip", "-sclscr", "2",
                                                "-frmskp", "3", "-altkbd", "-joy", "-pport", "2", "-status"};
        QVERIFY(cmd.arguments == expected);
    }

    void emptyListTextsGiveNoEmptyArguments()
    {
        const LaunchCommand cmd = emulatorLaunchCommand("", "/r", "g.vb", " -brite  -sclscr  -frmskp ", kPosixStyle);
        QCOMPARE(cmd.program, std::string("kalmora_boy.exe"));
        const std::vector<std::string> expected{"/r/g.vb", "-brite", "-sclscr", "-frmskp"};
        QVERIFY(cmd.arguments == expected);
    }

    void wineDrivePaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("root") << "/" << "Z:\\";
        QTest::newRow("nested") << "/home/me/roms/game.vb" << "Z:\\home\\me\\roms\\game.vb";
        QTest::newRow("odd name kept") << "/r/a \"b\" $(c) ü.vb" << "Z:\\r\\a \"b\" $(c) ü.vb";
        QTest::newRow("backslash in a Linux name") << "/r/a\\b.vb" << "Z:\\r\\a\\b.vb";
    }
    void wineDrivePaths()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(wineDrivePath(path.toStdString())), expected);
    }

    void wineTakesTheEmulatorAndTheDrivePathFirst()
    {
        const LaunchCommand native =
            emulatorLaunchCommand("/opt/kb", "/r", "x y.vb", " -display frame -altkbd", kPosixStyle);
        const LaunchCommand wine = wineLaunchCommand(native, "/usr/bin/wine");
        QCOMPARE(wine.program, std::string("/usr/bin/wine"));
        QCOMPARE(wine.arguments, (std::vector<std::string>{"/opt/kb/kalmora_boy.exe", "Z:\\r\\x y.vb", "-display",
                                                           "frame", "-altkbd"}));
        QCOMPARE(wine.workingDirectory, std::string("/opt/kb"));
    }

    void windowsExecutablesAndThePath()
    {
        QTemporaryDir dir;
        auto make = [&](const QString& name, const QByteArray& bytes, QFile::Permissions perms) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
            f.close();
            f.setPermissions(perms);
        };
        const auto rwx = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        make("pe.exe", QByteArray("MZ\x90\x00", 4), QFile::ReadOwner);
        make("script", "#!/bin/sh\n", rwx);
        make("M", "M", rwx);
        make("empty", "", rwx);
        QVERIFY(isWindowsExecutable(dir.filePath("pe.exe").toStdString()));
        QVERIFY(!isWindowsExecutable(dir.filePath("script").toStdString()));
        QVERIFY(!isWindowsExecutable(dir.filePath("M").toStdString()));
        QVERIFY(!isWindowsExecutable(dir.filePath("empty").toStdString()));
        QVERIFY(!isWindowsExecutable(dir.filePath("missing").toStdString()));
        QVERIFY(!isWindowsExecutable(dir.path().toStdString()));
        QVERIFY(::mkfifo(dir.filePath("fifo").toLocal8Bit().constData(), 0600) == 0);
        QVERIFY(!isWindowsExecutable(dir.filePath("fifo").toStdString()));  // must not block

        QDir(dir.path()).mkdir("a");
        QDir(dir.path()).mkdir("b");
        QDir(dir.path()).mkdir("b/wine");  // a folder named like the program is skipped
        make("a/wine", "not executable", QFile::ReadOwner | QFile::WriteOwner);
        QDir(dir.path()).mkdir("c");
        make("c/wine", "#!/bin/sh\n", rwx);
        const std::string list = (dir.filePath("a") + ":" + dir.filePath("b") + "::" + dir.filePath("c")).toStdString();
        // Without any run bit a file is not executable, even for root.
        QCOMPARE(findOnPath("wine", list).value_or("none"), dir.filePath("c/wine").toStdString());
        QVERIFY(!findOnPath("wine", dir.filePath("a").toStdString() + ":/nonexistent").has_value());
        QVERIFY(!findOnPath("c/wine", dir.path().toStdString()).has_value());
        // Relative and empty entries are never searched, even with a wine in the current folder.
        const QString old = QDir::currentPath();
        QDir::setCurrent(dir.filePath("c"));
        QVERIFY(!findOnPath("wine", ":.:c").has_value());
        QDir::setCurrent(old);
    }

    void folderExistsTakesThePathAsGiven()
    {
        QTemporaryDir dir;
        QVERIFY(CheckFolderExists(dir.path().toStdString()));
        QVERIFY(!CheckFolderExists(dir.path().toStdString() + " "));
        QVERIFY(!CheckFolderExists(""));
        QFile f(dir.filePath("plain.vb"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(!CheckFolderExists(f.fileName().toStdString()));
    }
};

QTEST_GUILESS_MAIN(TestParameters)
#include "test_parameters.moc"
