// The ROM footer reader on generated images: Japanese and US games, damage, odd sizes.
#include <QtTest>

#include <QXmlStreamReader>

#include "../support/forged_rom.h"
#include "rom/catalogue.h"
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

// A generated game: pseudo-random bytes (no real game's) under a footer.
QByteArray game(const QByteArray& code, quint32 seed)
{
    QByteArray bytes = image(16 * 1024, "TETRIS", "01", code, 0);
    QRandomGenerator random(seed);
    for (int i = 0; i < bytes.size() - 0x220; ++i)
        bytes[i] = static_cast<char>(random.bounded(256));
    return bytes;
}

QString crcOf(const QByteArray& b) { return QString::number(crc32Of(bytesOf(b)), 16).rightJustified(8, '0').toUpper(); }
QString shaOf(const QByteArray& b) { return QCryptographicHash::hash(b, QCryptographicHash::Sha1).toHex(); }

// One entry, "3-D Tetris (USA)" with serial VUE-VTRE-USA, in each of the three forms.
QByteArray catalogueText(const QString& form, qsizetype size, const QString& crc, const QString& sha)
{
    QString text;
    if (form == "logiqx")
        text = "<?xml version=\"1.0\"?>\n<!DOCTYPE datafile PUBLIC \"-//Logiqx//DTD ROM Management Datafile//EN\" "
               "\"http://www.logiqx.com/Dats/datafile.dtd\">\n<datafile><header><name>Nintendo - Virtual Boy</name>"
               "<version>20240101</version></header><game name=\"Other (Japan)\"><rom name=\"o.vb\" size=\"16384\" "
               "crc=\"00000000\"/></game><game name=\"3-D Tetris (USA)\"><description>3-D Tetris (USA)</description>"
               "<rom name=\"t.vb\" size=\"%1\" crc=\"%2\" sha1=\"%3\" serial=\"VUE-VTRE-USA\"/></game></datafile>\n";
    else if (form == "clrmamepro")
        text = "clrmamepro (\n\tname \"Nintendo - Virtual Boy\"\n\tversion 20240101\n)\n\ngame (\n\tname \"3-D Tetris "
               "(USA)\"\n\tserial \"VUE-VTRE-USA\"\n\trom ( name \"t.vb\" size %1 crc %2 sha1 %3 )\n)\n";
    else
        text = "<?xml version=\"1.0\"?>\n<!DOCTYPE softwarelist [\n<!ELEMENT softwarelist (software+)>\n"
               "<!ATTLIST softwarelist name CDATA #REQUIRED>\n]>\n<softwarelist name=\"vboy\" description=\"Nintendo "
               "Virtual Boy cartridges\"><software name=\"3dtetris\"><description>3-D Tetris (USA)</description>"
               "<info name=\"serial\" value=\"VUE-VTRE-USA\"/><part name=\"cart\" interface=\"vboy_cart\"><dataarea "
               "name=\"rom\" size=\"%1\"><rom name=\"t.vb\" size=\"%1\" crc=\"%2\" sha1=\"%3\" offset=\"0\"/>"
               "</dataarea></part></software></softwarelist>\n";
    return text.arg(size).arg(crc, sha).toUtf8();
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

    // Each catalogue form names a game only when size, CRC-32 and SHA-1 agree; a matching
    // CRC-32 alone names nothing.
    void catalogues_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("outcome");
        for (const char* form : {"logiqx", "clrmamepro", "softlist"}) {
            QTest::addRow("%s: known", form) << form << "known" << "3-D Tetris (USA): verified";
            QTest::addRow("%s: forged", form) << form << "forged" << "3-D Tetris (USA): CRC-32 matches, SHA-1 does not";
            QTest::addRow("%s: overdump", form) << form << "overdump" << "overdump of 3-D Tetris (USA)";
            QTest::addRow("%s: other header", form) << form << "header"
                                                    << "3-D Tetris (USA): header differs from the catalogue";
            QTest::addRow("%s: unknown", form) << form << "unknown" << "not in any catalogue";
        }
    }
    void catalogues()
    {
        QFETCH(QString, form);
        QFETCH(QString, kind);
        QFETCH(QString, outcome);
        const QByteArray genuine = game("VTRE", 1);
        const QByteArray forged = game("VTRE", 2);
        const QByteArray relabelled = game("VXXE", 1);
        QByteArray rom = kind == "forged" ? forged : kind == "header" ? relabelled : kind == "unknown" ? game("VTRE", 3) : genuine;
        const QByteArray listed = kind == "header" ? relabelled : genuine;
        // The forged image's CRC-32 is what the catalogue claims; its SHA-1 is the genuine one's.
        const QString crc = crcOf(kind == "forged" ? forged : listed);
        if (kind == "overdump")
            rom = genuine + genuine;
        const Catalogue catalogue = parseCatalogue(catalogueText(form, listed.size(), crc, shaOf(listed)).toStdString(), "/c/vb.dat");
        QCOMPARE(QString::fromStdString(catalogue.problem), QString());
        const Identification found = identify({catalogue}, bytesOf(rom), romHeaderOf(bytesOf(rom))->gameCode);
        QCOMPARE(QString::fromStdString(identificationText(found, "/c")), outcome);
        if (kind == "known")
            QCOMPARE(QString::fromStdString(found.catalogue),
                     form == "softlist" ? QString("Nintendo Virtual Boy cartridges") : QString("Nintendo - Virtual Boy (20240101)"));
        QCOMPARE(QString::fromStdString(identificationText(identify({}, bytesOf(rom), "VTRE"), "/c")),
                 QString("no catalogue found in /c"));
    }

    // The layouts of the published files, sizes in decimal and in MAME's hexadecimal: each
    // names the game of a matching image.
    void publishedLayoutsAreRead_data()
    {
        QTest::addColumn<QString>("text");  // %1 the size, %2 the CRC-32, %3 the SHA-1
        const QString logiqx =
            "<?xml version=\"1.0\"?>\n<datafile><header><name>Nintendo - Virtual Boy</name><version>1</version>"
            "<clrmamepro forcenodump=\"required\"/></header><machine name=\"3-D Tetris (USA)\" id=\"0001\" "
            "cloneofid=\"0000\"><description>3-D Tetris (USA)</description><rom name=\"t.vb\" size=\"%1\" crc=\"%2\" "
            "md5=\"0123456789abcdef0123456789abcdef\" sha1=\"%3\" sha256=\"" + QString(64, 'a') + "\" status=\"verified\" "
            "serial=\"VUE-VTRE-USA\"/></machine></datafile>\n";
        const QString clrmamepro =
            "clrmamepro (\n\tname \"Nintendo - Virtual Boy\"\n)\n\ngame (\n\tname \"3-D Tetris (USA)\"\n\tserial "
            "\"VUE-VTRE-USA\"\n\trom ( name \"t.vb\" size %1 crc %2 md5 0123456789abcdef0123456789abcdef sha1 %3 "
            "flags verified )\n)\n";
        const QString softlist =
            "<?xml version=\"1.0\"?>\n<softwarelist name=\"vboy\" description=\"Nintendo Virtual Boy cartridges\">"
            "<software name=\"3dtetris\" supported=\"no\"><description>3-D Tetris (USA)</description>"
            "<info name=\"serial\" value=\"VUE-VTRE-USA\"/><part name=\"cart\" interface=\"vboy_cart\">"
            "<feature name=\"pcb\" value=\"VUE-AA3A-01\"/><dataarea name=\"rom\" size=\"%1\" width=\"32\">"
            "<rom name=\"t.u1\" size=\"%1\" crc=\"%2\" sha1=\"%3\" offset=\"0x000000\" loadflag=\"load32_word\"/>"
            "</dataarea><dataarea name=\"sram\" size=\"0x2000\" width=\"8\"/></part><part name=\"cart2\" "
            "interface=\"vboy_cart\"><dataarea name=\"rom\" size=\"0x4000\"><rom name=\"o.u1\" size=\"0x4000\" "
            "crc=\"00000000\" sha1=\"" + QString(40, '0') + "\" offset=\"0\"/></dataarea></part></software>"
            "</softwarelist>\n";
        for (const auto& [form, text] : {std::pair{"Logiqx machine", logiqx}, {"clrmamepro", clrmamepro},
                                         {"software list, two parts", softlist}}) {
            QTest::addRow("%s, decimal", form) << QString(text).replace("%1", "%1");
            QTest::addRow("%s, hexadecimal", form) << QString(text).replace("%1", "0x%1");
        }
    }
    void publishedLayoutsAreRead()
    {
        QFETCH(QString, text);
        const QByteArray rom = game("VTRE", 1);
        const bool hex = text.contains("0x%1");
        text.replace("%1", hex ? QString::number(rom.size(), 16) : QString::number(rom.size()));
        const Catalogue catalogue = parseCatalogue(text.arg(crcOf(rom), shaOf(rom)).toStdString(), "/c/vb.dat");
        QCOMPARE(QString::fromStdString(catalogue.problem), QString());
        QVERIFY(!catalogue.entries.empty());
        QCOMPARE(catalogue.entries[0].size, std::uint64_t(rom.size()));
        QCOMPARE(QString::fromStdString(catalogue.entries[0].serial), QString("VUE-VTRE-USA"));
        const Identification found = identify({catalogue}, bytesOf(rom), "VTRE");
        QCOMPARE(found.identity, Identity::Verified);
        QCOMPARE(QString::fromStdString(found.name), QString("3-D Tetris (USA)"));
    }

    // RetroAchievements' DAT of translations and hacks: a <rom> with only a name and an MD5
    // names the image of that MD5, so the catalogue counts; another image is not named.
    void md5OnlyEntriesNameAnImage()
    {
        const QByteArray rom = game("VTRE", 1);
        const QString title = "Space Invaders - Virtual Collection (Japan) (En) (v1.0) (Thunderstruck)";
        const QString dat = "<?xml version=\"1.0\"?>\n<datafile><header><name>Nintendo - Virtual Boy</name>"
                            "<author>RetroAchievements</author></header><game name=\"" + title + "\"><description>" + title
                            + "</description><rom name=\"" + title + ".vb\" md5=\""
                            + QCryptographicHash::hash(rom, QCryptographicHash::Md5).toHex() + "\"/></game></datafile>\n";
        const Catalogue catalogue = parseCatalogue(dat.toStdString(), "/c/ra.dat");
        QCOMPARE(QString::fromStdString(catalogue.problem), QString());
        const Identification found = identify({catalogue}, bytesOf(rom), "VTRE");
        QCOMPARE(found.identity, Identity::Verified);
        QCOMPARE(QString::fromStdString(found.name), title);
        QCOMPARE(identify({catalogue}, bytesOf(game("VTRE", 2)), "VTRE").identity, Identity::Unknown);
    }

    // MAME's list as Debian's mame-data installs it: every <rom> in it, as an XML reader of
    // the test's own counts them, is an entry; an image forged to the size and CRC-32 of one
    // is named as that game, with its SHA-1 found wanting.
    void mameListAsDebianShipsIt()
    {
        QFile file(QString::fromStdString(std::string(kMameSoftwareList)));
        if (!file.open(QIODevice::ReadOnly))
            QSKIP("no MAME software list (Debian's mame-data) installed");
        QXmlStreamReader xml(&file);
        int roms = 0;
        QString description, firstGame;
        quint64 firstSize = 0;
        QString firstCrc;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"description")
                description = xml.readElementText();
            else if (xml.name() == u"rom") {
                if (roms++ == 0) {
                    firstGame = description;
                    firstSize = xml.attributes().value("size").toULongLong(nullptr, 0);
                    firstCrc = xml.attributes().value("crc").toString();
                }
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        const Catalogue mame = loadCatalogue(std::string(kMameSoftwareList));
        qInfo("%s: %d <rom> elements, %zu entries read", kMameSoftwareList.data(), roms, mame.entries.size());
        QCOMPARE(QString::fromStdString(mame.problem), QString());
        QVERIFY(roms > 0);
        QCOMPARE(mame.entries.size(), std::size_t(roms));
        const std::string forged = forge::image(firstSize, firstCrc.toUInt(nullptr, 16), "FORGED", "VXXE");
        const Identification found = identify({mame}, bytesOf(QByteArray::fromStdString(forged)), "VXXE");
        QCOMPARE(QString::fromStdString(identificationText(found, "")), firstGame + ": CRC-32 matches, SHA-1 does not");
    }

    // Files that are not sound catalogues are skipped with a reason; the others still count.
    void badCataloguesAreSkipped_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("damaged XML") << QByteArray("<datafile><game name=\"x\">") << "it is damaged";
        QTest::newRow("other XML") << QByteArray("<html><body/></html>") << "it is not a catalogue";
        QTest::newRow("other XML, one empty element") << QByteArray("<html/>") << "it is not a catalogue";
        QTest::newRow("text") << QByteArray("hello world") << "it is not a catalogue";
        QTest::newRow("entities") << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY a \"aaaaaaaaaa\">"
                                                "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><datafile>&b;</datafile>")
                                  << "it declares entities";
        QTest::newRow("external entity") << QByteArray("<!DOCTYPE d [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
                                                       "<datafile>&x;</datafile>")
                                         << "it declares entities";
        QTest::newRow("nested a million deep") << QByteArray("<datafile>") + QByteArray("<a>").repeated(1000000)
                                               << "it is nested too deeply";
        QTest::newRow("clrmamepro cut short") << QByteArray("clrmamepro (\n name \"x\"\n") << "it is damaged";
        QTest::newRow("Logiqx, no game") << QByteArray("<datafile><header><name>x</name></header></datafile>")
                                         << "no game could be read from it";
        QTest::newRow("clrmamepro, no game") << QByteArray("clrmamepro ( name \"x\" )\n") << "no game could be read";
        QTest::newRow("software list, no software") << QByteArray("<softwarelist name=\"vboy\"/>")
                                                    << "no game could be read from it";
        QTest::newRow("sizes in another form") << QByteArray("<datafile><game name=\"g\"><rom name=\"g.vb\" "
                                                             "size=\"1M\" crc=\"00000000\"/></game></datafile>")
                                               << "no game could be read from it";
        QTest::newRow("a bad CRC-32 still drops the entry")
            << QByteArray("<datafile><game name=\"g\"><rom name=\"g.vb\" size=\"0x4000\" crc=\"0000000\"/></game>"
                          "</datafile>")
            << "no game could be read from it";
        QTest::newRow("clrmamepro nested deep") << QByteArray("clrmamepro ( ") + QByteArray("a ( ").repeated(100000)
                                                << "it is nested too deeply";
    }
    void badCataloguesAreSkipped()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const Catalogue bad = parseCatalogue(bytes.toStdString(), "/c/bad.dat");
        QVERIFY2(QString::fromStdString(bad.problem).startsWith(reason), bad.problem.c_str());
        QVERIFY(bad.entries.empty());
        const QByteArray rom = game("VTRE", 1);
        const Catalogue good = parseCatalogue(catalogueText("logiqx", rom.size(), crcOf(rom), shaOf(rom)).toStdString());
        QCOMPARE(identify({bad, good}, bytesOf(rom), "VTRE").identity, Identity::Verified);
    }

    void hugeCataloguesAreNotRead()
    {
        QTemporaryDir dir;
        QFile huge(dir.filePath("huge.dat"));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(200 * 1024 * 1024));
        huge.close();
        QCOMPARE(QString::fromStdString(loadCatalogue(huge.fileName().toStdString()).problem), QString("it is too large"));
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
