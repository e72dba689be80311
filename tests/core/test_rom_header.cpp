// The ROM footer reader on generated images: Japanese and US games, damage, odd sizes.
#include <QtTest>

#include "rom/rom_header.h"

using namespace kl;

namespace {

// An image of the given size with a footer made of the given parts.
QByteArray image(int size, const QByteArray& title, const QByteArray& maker, const QByteArray& game, char version,
                 char afterTitle = 0)
{
    QByteArray bytes(size, '\xff');
    QByteArray footer = title.leftJustified(20, ' ', true);
    footer += afterTitle;
    footer += QByteArray(4, '\0');
    footer += maker + game + version;
    bytes.replace(size - 0x220, 32, footer);
    return bytes;
}

std::span<const unsigned char> bytesOf(const QByteArray& a)
{
    return {reinterpret_cast<const unsigned char*>(a.constData()), static_cast<std::size_t>(a.size())};
}

}  // namespace

class TestRomHeader : public QObject {
    Q_OBJECT
private slots:
    void footers_data()
    {
        QTest::addColumn<QByteArray>("rom");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QByteArray>("title");
        QTest::addColumn<QString>("region");
        // "テレロボクサー" in Shift-JIS, a Japanese game.
        const QByteArray teleroboxer("\x83\x65\x83\x8c\x83\x8d\x83\x7b\x83\x4e\x83\x54\x81\x5b");
        QTest::newRow("Japanese, Shift-JIS") << image(1 << 20, teleroboxer, "01", "VTBJ", 0) << true << teleroboxer
                                             << "Japan";
        const QByteArray katakana("\xcf\xd8\xb5 \xb8\xd7\xaf\xbc\xad");  // half-width katakana (JIS X 0201)
        QTest::newRow("Japanese, JIS X 0201") << image(1 << 19, katakana, "01", "VMCJ", 1) << true << katakana
                                              << "Japan";
        QTest::newRow("US game") << image(1 << 21, "MARIO CLASH", "01", "VMCE", 0) << true << QByteArray("MARIO CLASH")
                                 << "USA";
        QTest::newRow("smallest size") << image(16 * 1024, "TINY", "ZZ", "TNYE", 2) << true << QByteArray("TINY")
                                       << "USA";
        QTest::newRow("largest size") << image(16 * 1024 * 1024, "HUGE", "ZZ", "HUGX", 2) << true
                                      << QByteArray("HUGE") << "Unknown";
        QTest::newRow("control character in the title") << image(1 << 20, "BAD\aTITLE", "01", "VBDE", 0) << false
                                                         << QByteArray() << "";
        QTest::newRow("lone lead byte") << image(1 << 20, "BAD\x83", "01", "VBDE", 0) << false << QByteArray() << "";
        QTest::newRow("invalid trail byte") << image(1 << 20, "BAD\x83\x7f", "01", "VBDE", 0) << false << QByteArray()
                                            << "";
        QTest::newRow("empty title") << image(1 << 20, "", "01", "VBDE", 0) << false << QByteArray() << "";
        QTest::newRow("lower-case game code") << image(1 << 20, "GAME", "01", "vbde", 0) << false << QByteArray() << "";
        QTest::newRow("no NUL after the title") << image(1 << 20, "GAME", "01", "VGME", 0, 'X') << false
                                                << QByteArray() << "";
        QTest::newRow("size not a power of two") << image((1 << 20) + 1, "GAME", "01", "VGME", 0) << false
                                                 << QByteArray() << "";
        QTest::newRow("too large") << image(32 * 1024 * 1024, "GAME", "01", "VGME", 0) << false << QByteArray() << "";
        QTest::newRow("too small") << image(8 * 1024, "GAME", "01", "VGME", 0) << false << QByteArray() << "";
        QTest::newRow("erased flash") << QByteArray(1 << 20, '\xff') << false << QByteArray() << "";
        QTest::newRow("empty file") << QByteArray() << false << QByteArray() << "";
    }
    void footers()
    {
        QFETCH(QByteArray, rom);
        QFETCH(bool, valid);
        QFETCH(QByteArray, title);
        QFETCH(QString, region);
        const auto header = romHeaderOf(bytesOf(rom));
        QCOMPARE(header.has_value(), valid);
        if (!valid)
            return;
        QCOMPARE(QByteArray::fromStdString(header->title), title);
        QCOMPARE(QString::fromStdString(header->region), region);
        QCOMPARE(header->makerCode.size(), std::size_t(2));
        QCOMPARE(header->gameCode.size(), std::size_t(4));
    }

    void fieldsOfAUsGame()
    {
        const auto header = romHeaderOf(bytesOf(image(1 << 21, "WARIO LAND", "01", "VWCE", 1)));
        QVERIFY(header);
        QCOMPARE(header->makerCode, std::string("01"));
        QCOMPARE(header->gameCode, std::string("VWCE"));
        QCOMPARE(header->version, 1);
    }

    void filesOnDisk()
    {
        QTemporaryDir dir;
        const QByteArray rom = image(1 << 20, "RED ALARM", "8B", "VREE", 0);
        QFile good(dir.filePath("good.vb"));
        QVERIFY(good.open(QIODevice::WriteOnly));
        good.write(rom);
        good.close();
        const auto bytes = readRomImage(good.fileName().toStdString());
        QVERIFY(bytes);
        QCOMPARE(QByteArray::fromStdString(*bytes), rom);
        QFile odd(dir.filePath("odd.vb"));
        QVERIFY(odd.open(QIODevice::WriteOnly));
        odd.write(rom.left(1000));
        odd.close();
        QVERIFY(!readRomImage(odd.fileName().toStdString()));
        QVERIFY(!readRomImage(dir.filePath("missing.vb").toStdString()));
        QVERIFY(!readRomImage(dir.path().toStdString()));
    }

    void crc32IsZlibs()
    {
        const QByteArray check("123456789");
        QCOMPARE(crc32Of(bytesOf(check)), 0xCBF43926u);
        QCOMPARE(crc32Of({}), 0u);
    }
};

QTEST_GUILESS_MAIN(TestRomHeader)
#include "test_rom_header.moc"
