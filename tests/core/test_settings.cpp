// The rules of the emulator options record: groups, checks, lists, palettes and the reset.
#include <QtTest>

#include "launch/emulator_settings.h"

using namespace kl;

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void initialStateIsTheBuiltWindow()
    {
        EmulatorSettings s;
        QVERIFY(s.option(Field::optWindow));
        QCOMPARE(s.selected3DMode(), 2);
        QCOMPARE(s.selectedKeyLayout(), 1);
        QCOMPARE(s.text(Field::cmbPalette), std::string());
        QCOMPARE(s.paletteList(), PaletteFamily::Standard);
        QCOMPARE(s.text(Field::cmbZoom), std::string());
        QCOMPARE(s.text(Field::txtEmuPath), std::string());
    }

    void trueClearsTheGroupFalseOnlyItself()
    {
        EmulatorSettings s;
        s.setOption(Field::opt640x480, true);
        QVERIFY(!s.option(Field::optWindow));
        QVERIFY(s.option(Field::opt640x480));
        s.setOption(Field::opt640x480, false);
        for (Field f : {Field::optWindow, Field::opt320x200, Field::opt640x480, Field::opt800x600, Field::opt1024x768})
            QVERIFY(!s.option(f));
        // Groups are independent of each other.
        QCOMPARE(s.selected3DMode(), 2);
        s.setOption(optKeyLayout(2), true);
        QCOMPARE(s.selectedKeyLayout(), 2);
        QVERIFY(!s.option(Field::optWindow));
    }

    void checksTakeZeroOneTwoOnly_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("0") << 0 << true;
        QTest::newRow("1") << 1 << true;
        QTest::newRow("2 greyed") << 2 << true;
        QTest::newRow("3") << 3 << false;
        QTest::newRow("-1") << -1 << false;
    }
    void checksTakeZeroOneTwoOnly()
    {
        QFETCH(int, value);
        QFETCH(bool, accepted);
        EmulatorSettings s;
        s.setCheck(Field::chkFlip, 1);
        QCOMPARE(s.setCheck(Field::chkFlip, value), accepted);
        QCOMPARE(s.check(Field::chkFlip), accepted ? value : 1);
    }

    void listChoicesMustBeItemsNow_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("zoom 6x") << int(Field::cmbZoom) << "6x" << true;
        QTest::newRow("zoom 7x") << int(Field::cmbZoom) << "7x" << false;
        QTest::newRow("zoom empty") << int(Field::cmbZoom) << "" << false;
        QTest::newRow("brightness 0.1") << int(Field::cmbBrightness) << "0.1" << true;
        QTest::newRow("brightness 3.0") << int(Field::cmbBrightness) << "3.0" << true;
        QTest::newRow("brightness 1") << int(Field::cmbBrightness) << "1" << false;
        QTest::newRow("brightness 3.1") << int(Field::cmbBrightness) << "3.1" << false;
        QTest::newRow("frame skip 9") << int(Field::cmbFrameSkip) << "9 f./sec." << true;
        QTest::newRow("frame skip 10") << int(Field::cmbFrameSkip) << "10 f./sec." << false;
        QTest::newRow("controller IBM") << int(Field::cmbVBController) << "Virtual Boy controller at IBM (0x3bc)" << true;
        QTest::newRow("controller lower case") << int(Field::cmbVBController) << "none connected to pc" << false;
        QTest::newRow("palette Red under Normal") << int(Field::cmbPalette) << "Red" << true;
        QTest::newRow("palette Red-Blue under Normal") << int(Field::cmbPalette) << "Red-Blue" << false;
        QTest::newRow("palette with blank") << int(Field::cmbPalette) << " Normal" << false;
    }
    void listChoicesMustBeItemsNow()
    {
        QFETCH(int, field);
        QFETCH(QString, value);
        QFETCH(bool, accepted);
        EmulatorSettings s;
        resetEmulatorDefaults(s);
        const Field f = static_cast<Field>(field);
        const std::string before = s.text(f);
        QCOMPARE(s.setListChoice(f, value.toStdString()), accepted);
        QCOMPARE(s.text(f), accepted ? value.toStdString() : before);
    }

    void brightnessListHasThirtyOneDecimalItems()
    {
        const auto items = brightnessItems();
        QCOMPARE(items.size(), std::size_t(30));
        for (std::size_t i = 0; i < items.size(); ++i)
            QCOMPARE(QString::fromUtf8(items[i].data(), int(items[i].size())),
                     QString::number(double(i + 1) / 10, 'f', 1));
    }

    void paletteFollowsThe3DMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("items");
        QTest::newRow("Red/Blue") << 1 << "Red-Blue" << 3;
        for (int i = 2; i <= 6; ++i)
            QTest::newRow(qPrintable(QString("mode %1").arg(i))) << i << "Normal" << 2;
    }
    void paletteFollowsThe3DMode()
    {
        QFETCH(int, mode);
        QFETCH(QString, selected);
        QFETCH(int, items);
        EmulatorSettings s;
        resetEmulatorDefaults(s);
        QVERIFY(s.setListChoice(Field::cmbPalette, "Red"));
        s.setOption(opt3DMode(mode), true);
        QCOMPARE(s.text(Field::cmbPalette), selected.toStdString());
        QCOMPARE(int(paletteItems(s.paletteList()).size()), items);
    }

    void refillDiscardsAChoiceOfTheSameFamily()
    {
        EmulatorSettings s;
        resetEmulatorDefaults(s);
        s.setOption(opt3DMode(5), true);
        QVERIFY(s.setListChoice(Field::cmbPalette, "Red"));
        s.setOption(opt3DMode(2), true);
        QCOMPARE(s.text(Field::cmbPalette), std::string("Normal"));
    }

    void paletteListStaysWhenTheModeIsCleared()
    {
        // A false only clears the member; the list still holds the last selected family.
        EmulatorSettings s;
        s.setOption(opt3DMode(1), true);
        s.setOption(opt3DMode(1), false);
        QCOMPARE(s.selected3DMode(), 0);
        QVERIFY(s.setListChoice(Field::cmbPalette, "R.B.G."));
        QVERIFY(!s.setListChoice(Field::cmbPalette, "Normal"));
    }

    void resetFromRedBlueRbg()
    {
        EmulatorSettings s;
        s.setText(Field::txtEmuPath, "/opt/emu ");
        s.setOption(opt3DMode(1), true);
        QVERIFY(s.setListChoice(Field::cmbPalette, "R.B.G."));
        s.setOption(Field::opt1024x768, true);
        s.setOption(optKeyLayout(2), true);
        for (const FieldInfo& info : fieldTable())
            if (info.kind == FieldKind::Check)
                s.setCheck(info.field, 2);
        resetEmulatorDefaults(s);

        EmulatorSettings expected;
        expected.setText(Field::txtEmuPath, "/opt/emu ");
        resetEmulatorDefaults(expected);
        QVERIFY(s == expected);
        QCOMPARE(s.selected3DMode(), 2);
        QCOMPARE(s.paletteList(), PaletteFamily::Standard);
        QCOMPARE(s.text(Field::cmbPalette), std::string("Normal"));
        QCOMPARE(s.text(Field::cmbBrightness), std::string("1.0"));
        QCOMPARE(s.text(Field::cmbVBController), std::string("None connected to PC"));
        QCOMPARE(s.text(Field::txtEmuPath), std::string("/opt/emu "));
        QCOMPARE(s.text(Field::txtRomPath), std::string());
        for (const FieldInfo& info : fieldTable())
            if (info.kind == FieldKind::Check)
                QCOMPARE(s.check(info.field), 0);
    }

    void fieldTableIsInCanonicalOrder()
    {
        const auto& table = fieldTable();
        for (int i = 0; i < kFieldCount; ++i)
            QCOMPARE(int(table[std::size_t(i)].field), i);
        QCOMPARE(table[8].index, 1);
        QCOMPARE(table[13].index, 6);
        QCOMPARE(table[21].name, std::string_view("optKeyLayout"));
        QCOMPARE(table[21].index, 2);
    }

    void keyPreviewTables()
    {
        QCOMPARE(keyLabels(1)[0], std::string_view("Arrow keys"));
        QCOMPARE(keyLabels(2)[0], std::string_view("E / D / S / F"));
        QCOMPARE(keyLabels(2)[7], std::string_view("V"));
        QCOMPARE(keyLabels(1)[1], std::string_view("F / V / C / B"));
        QCOMPARE(keyDescriptions()[7], std::string_view("Select"));
        QCOMPARE(keyPreviewCaption(2), std::string_view(" Preview - Layout 2 "));
        QVERIFY(keyLabels(3).empty());
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
