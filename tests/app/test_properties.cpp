// The properties window on generated files: ROM footers of a Japanese and a US game, damage, other files.
#include <QtTest>

#include <QBuffer>
#include <QFormLayout>
#include <QLabel>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <zip.h>
#include <zlib.h>

#include "../support/forged_rom.h"
#include "../support/patch_images.h"
#include "catalogues.h"
#include "config/play_times.h"
#include "pictures.h"
#include "properties.h"

namespace {

QByteArray romImage(int size, const QByteArray& title, const QByteArray& codes)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7);
    QByteArray footer = title.leftJustified(20, ' ', true) + QByteArray(5, '\0') + codes;
    bytes.replace(size - 0x220, footer.size(), footer);
    return bytes;
}

// A zip archive of the named entries, made with libzip.
QByteArray zipOf(const QList<QPair<QByteArray, QByteArray>>& entries)
{
    QTemporaryDir dir;
    const QByteArray path = dir.filePath("a.zip").toLocal8Bit();
    int error = 0;
    zip_t* archive = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& [name, data] : entries)
        zip_file_add(archive, name.constData(), zip_source_buffer(archive, data.constData(), data.size(), 0),
                     ZIP_FL_ENC_UTF_8);
    zip_close(archive);
    QFile f(QString::fromLocal8Bit(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray fixtureImage(const QString& name)
{
    return name.isEmpty() ? QByteArray() : QByteArray::fromStdString(fixture::named(name.toStdString()));
}

QString crcOf(const QByteArray& bytes)
{
    return QString::number(crc32(0, reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size())), 16)
        .rightJustified(8, '0')
        .toUpper();
}

kl::Sha1 sha1Of(const QByteArray& bytes)
{
    kl::Sha1 key{};
    const QByteArray sha1 = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
    std::copy(sha1.begin(), sha1.end(), key.begin());
    return key;
}

QString value(const QWidget& window, const char* name)
{
    const auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<none>");
}

}  // namespace

class TestProperties : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // The Catalogue section names a known image, the image in a zip, and the game of an
    // overdump, from the catalogue folder; an image it does not list is said to be unknown.
    void catalogueSection_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("game");
        QTest::newRow("known") << "t.vb" << "Tetris Test (USA): verified";
        QTest::newRow("in a zip") << "t.zip" << "Tetris Test (USA): verified";
        QTest::newRow("overdump") << "big.vb" << "overdump of Tetris Test (USA)";
        QTest::newRow("unknown") << "other.vb" << "not in any catalogue";
    }
    void catalogueSection()
    {
        QFETCH(QString, name);
        QFETCH(QString, game);
        QTemporaryDir dir;
        const QByteArray rom = romImage(1 << 14, "TETRIS", "01VTRE\0");
        QDir().mkpath(dir.filePath("Catalogues"));
        const QString crc = QString::number(crc32(0, reinterpret_cast<const Bytef*>(rom.constData()), rom.size()), 16);
        writeBytes(dir.filePath("Catalogues/vb.dat"),
                   QString("<?xml version=\"1.0\"?>\n<datafile><header><name>Test set</name></header><game name=\"Tetris "
                           "Test (USA)\"><rom name=\"t.vb\" size=\"%1\" crc=\"%2\" sha1=\"%3\"/></game></datafile>\n")
                       .arg(rom.size())
                       .arg(crc.rightJustified(8, '0'), QCryptographicHash::hash(rom, QCryptographicHash::Sha1).toHex())
                       .toUtf8());
        writeBytes(dir.filePath("Catalogues/broken.dat"), "<datafile>");
        writeBytes(dir.filePath("t.vb"), rom);
        writeBytes(dir.filePath("t.zip"), zipOf({{"readme.txt", "hi"}, {"T.VB", rom}}));
        writeBytes(dir.filePath("big.vb"), rom + rom);
        writeBytes(dir.filePath("other.vb"), romImage(1 << 14, "OTHER", "01VOTE\0"));
        useCatalogues(dir.filePath("Catalogues").toStdString());
        PropertiesWindow window(dir.filePath(name), nullptr);
        QCOMPARE(value(window, "valCatalogueGame"), game);
        QCOMPARE(value(window, "valCatalogueName"), game.contains("Tetris") ? QString("Test set") : QString("<none>"));
        QVERIFY(value(window, "valCatalogueSkipped").startsWith("broken.dat: it is damaged"));
        useCatalogues({});
    }

    // The Play section follows the Catalogue: the figures of the image, found in a zip as in a
    // .vb file; "never" for an image not played; nothing before any game was played, and
    // nothing for a file that holds no image.
    void playSection_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("anyPlayed");
        QTest::addColumn<QString>("played");  // "<none>": no section
        QTest::newRow("played") << "t.vb" << true << "14 sessions, 3 h 12 min";
        QTest::newRow("played, in a zip") << "t.zip" << true << "14 sessions, 3 h 12 min";
        QTest::newRow("never played") << "other.vb" << true << "never";
        QTest::newRow("no game played yet") << "t.vb" << false << "<none>";
        QTest::newRow("no image") << "odd.vb" << true << "<none>";
    }
    void playSection()
    {
        QFETCH(QString, name);
        QFETCH(bool, anyPlayed);
        QFETCH(QString, played);
        QTemporaryDir dir;
        const QByteArray rom = romImage(1 << 14, "TETRIS", "01VTRE\0");
        writeBytes(dir.filePath("t.vb"), rom);
        writeBytes(dir.filePath("t.zip"), zipOf({{"readme.txt", "hi"}, {"T.VB", rom}}));
        writeBytes(dir.filePath("other.vb"), romImage(1 << 14, "OTHER", "01VOTE\0"));
        writeBytes(dir.filePath("odd.vb"), rom + "x");
        const kl::ConfigLocation location{false, dir.path().toStdString(), {}};
        const std::int64_t end = 1796796000;
        if (anyPlayed)
            writeBytes(dir.filePath("play-times"),
                       QByteArray::fromStdString(kl::formatPlayTimes({{sha1Of(rom), 14, 11579, end, "/r/t.vb"}})));
        usePlayTimes(location);
        PropertiesWindow window(dir.filePath(name), nullptr);
        QCOMPARE(value(window, "valPlayed"), played);
        QCOMPARE(window.findChild<QLabel*>("lblPlay") != nullptr, played != "<none>");
        QCOMPARE(value(window, "valLastPlayed"), played.contains("session")
                                                     ? QLocale().toString(QDateTime::fromSecsSinceEpoch(end), QLocale::LongFormat)
                                                     : QString("<none>"));
        usePlayTimes({false, dir.filePath("gone").toStdString(), {}});
    }

    // The Patch section, between Catalogue and Play, for patches Floating IPS made: what it was
    // checked against, the patched game's name from a DAT that gives only an MD5 (as
    // RetroAchievements' do) or its CRC-32, the copy's folder, and the figures of what the
    // entry starts. Nothing of it without a patch.
    void patchSection_data()
    {
        QTest::addColumn<QString>("image");  // a generated fixture image
        QTest::addColumn<QString>("patch");  // a fixture patch, "junk" or none
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("copyOf");  // the image whose copy's folder is shown
        QTest::addColumn<QString>("played");
        const QString translation = "Space Squash (Japan) (En) (Test Translation)";
        QTest::newRow("BPS made for this image")
            << "source" << "translated.bps" << "G.bps (BPS)" << "verified: made for this image" << translation
            << "translated" << "14 sessions, 3 h 12 min";
        QTest::newRow("IPS") << "source" << "halved.ips" << "G.ips (IPS)" << "IPS carries no checksum"
                             << "CRC-32 " + crcOf(fixtureImage("halved")) << "halved" << "never";
        QTest::newRow("UPS made for another image")
            << "doubled" << "translated.ups" << "G.ups (UPS)"
            << "made for another image: \"Space Squash (Japan)\" (32768 bytes, CRC-32 " + crcOf(fixtureImage("source")) + ")"
            << "none" << "" << "never";
        QTest::newRow("already applied") << "translated" << "translated.bps" << "G.bps (BPS)" << "already applied"
                                         << translation << "" << "14 sessions, 3 h 12 min";
        QTest::newRow("no patch at all") << "source" << "junk" << "G.bps"
                                         << "damaged: it is no IPS, UPS or BPS patch" << "none" << "" << "never";
        QTest::newRow("none beside it") << "source" << "" << "<none>" << "<none>" << "<none>" << "" << "never";
    }
    void patchSection()
    {
        QFETCH(QString, image);
        QFETCH(QString, patch);
        QFETCH(QString, file);
        QFETCH(QString, checked);
        QFETCH(QString, result);
        QFETCH(QString, copyOf);
        QFETCH(QString, played);
        QTemporaryDir dir;
        writeBytes(dir.filePath("G.vb"), fixtureImage(image));
        if (patch == "junk") {
            writeBytes(dir.filePath("G.bps"), "not a patch");
        } else if (!patch.isEmpty()) {
            QFile fixture(QStringLiteral(KL_PATCH_FIXTURES "/") + patch);
            QVERIFY(fixture.open(QIODevice::ReadOnly));
            writeBytes(dir.filePath("G." + patch.section('.', -1)), fixture.readAll());
        }
        const QByteArray source = fixtureImage("source"), translated = fixtureImage("translated");
        QDir().mkpath(dir.filePath("Catalogues"));
        writeBytes(dir.filePath("Catalogues/vb.dat"),
                   QString("<?xml version=\"1.0\"?>\n<datafile><header><name>Test set</name></header>"
                           "<game name=\"Space Squash (Japan)\"><rom name=\"a.vb\" size=\"%1\" crc=\"%2\"/></game>"
                           "<game name=\"Space Squash (Japan) (En) (Test Translation)\"><rom name=\"b.vb\" md5=\"%3\"/></game>"
                           "</datafile>\n")
                       .arg(source.size())
                       .arg(crcOf(source), QCryptographicHash::hash(translated, QCryptographicHash::Md5).toHex())
                       .toUtf8());
        useCatalogues(dir.filePath("Catalogues").toStdString());
        QDir().mkpath(dir.filePath("Data"));
        writeBytes(dir.filePath("Data/play-times"),
                   QByteArray::fromStdString(kl::formatPlayTimes({{sha1Of(translated), 14, 11579, 1796796000, "/r/G.vb"}})));
        usePlayTimes({false, dir.filePath("Data").toStdString(), {}});
        PropertiesWindow window(dir.filePath("G.vb"), nullptr);
        QCOMPARE(value(window, "valPatchFile"), file);
        QCOMPARE(value(window, "valPatchChecked"), checked);
        QCOMPARE(value(window, "valPatchResult"), result);
        const kl::Sha1 copied = sha1Of(fixtureImage(copyOf));
        const QByteArray copiedHex = QByteArray(reinterpret_cast<const char*>(copied.data()), 20).toHex();
        QCOMPARE(value(window, "valPatchCopy"),
                 copyOf.isEmpty() ? QString("<none>") : dir.filePath("Data/Patched/" + copiedHex));
        QCOMPARE(value(window, "valPlayed"), played);
        const auto* form = window.findChild<QFormLayout*>();
        QVERIFY(form);
        const auto rowOf = [&](const char* name) {
            int row = -1;
            QFormLayout::ItemRole role;
            if (auto* label = window.findChild<QLabel*>(QString::fromLatin1(name)))
                form->getWidgetPosition(label, &row, &role);
            return row;
        };
        if (file != "<none>")
            QVERIFY(rowOf("lblCatalogue") < rowOf("lblPatch") && rowOf("lblPatch") < rowOf("lblPlay"));
        QVERIFY(!QFileInfo::exists(dir.filePath("Data/Patched")));  // shown, never written
        useCatalogues({});
        usePlayTimes({false, dir.filePath("gone").toStdString(), {}});
    }

    // Against MAME's list as Debian installs it: an image forged to its first game's size and
    // CRC-32 is named as that game, and a catalogue that names no game is listed as skipped.
    void mameListAndAnEmptyCatalogue()
    {
        QFile list(QString::fromStdString(std::string(kl::kMameSoftwareList)));
        if (!list.open(QIODevice::ReadOnly))
            QSKIP("no MAME software list (Debian's mame-data) installed");
        QXmlStreamReader xml(&list);
        QString game;
        while (!xml.atEnd() && !(xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"rom"))
            if (xml.isStartElement() && xml.name() == u"description")
                game = xml.readElementText();
        const auto size = xml.attributes().value("size").toULongLong(nullptr, 0);
        const auto crc = xml.attributes().value("crc").toUInt(nullptr, 16);
        QVERIFY(size > 0 && !game.isEmpty());
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("Catalogues"));
        writeBytes(dir.filePath("Catalogues/empty.dat"),
                   "<?xml version=\"1.0\"?>\n<datafile><header><name>Empty</name></header></datafile>\n");
        writeBytes(dir.filePath("forged.vb"), QByteArray::fromStdString(forge::image(size, crc, "FORGED", "VXXE")));
        useCatalogues(dir.filePath("Catalogues").toStdString());
        PropertiesWindow window(dir.filePath("forged.vb"), nullptr);
        QCOMPARE(value(window, "valCatalogueGame"), game + ": CRC-32 matches, SHA-1 does not");
        QCOMPARE(value(window, "valCatalogueName"), QString("Nintendo Virtual Boy cartridges"));
        QCOMPARE(value(window, "valCatalogueSkipped"), QString("empty.dat: no game could be read from it"));
        useCatalogues({});
    }

    void contents_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");  // title, game code, maker code, region, version; or the ROM line
        const QByteArray sjis("\x83\x65\x83\x8c\x83\x8d\x83\x7b\x83\x4e\x83\x54\x81\x5b");
        const QString japanese = QStringDecoder("Shift_JIS").isValid() ? QString::fromUtf8("テレロボクサー")
                                                                        : QString::fromLatin1(sjis);
        QTest::newRow("Japanese game") << "tele.vb" << romImage(1 << 20, sjis, QByteArray("01VTBJ\x01", 7))
                                       << QStringList{japanese, "VTBJ", "01", "Japan", "1.1"};
        QTest::newRow("US game, upper-case suffix") << "Clash $1.VB" << romImage(1 << 19, "MARIO CLASH", QByteArray("01VMCE\0", 7))
                                                    << QStringList{"MARIO CLASH", "VMCE", "01", "USA", "1.0"};
        QTest::newRow("size not a power of two") << "odd.vb" << romImage((1 << 19) + 1, "MARIO CLASH", QByteArray("01VMCE\0", 7))
                                                 << QStringList{"No Virtual Boy ROM header found"};
        QTest::newRow("bad characters") << "bad.vb" << romImage(1 << 16, "BAD\x01", QByteArray("01VBDE\0", 7))
                                        << QStringList{"No Virtual Boy ROM header found"};
        QTest::newRow("empty") << "empty.vb" << QByteArray() << QStringList{"No Virtual Boy ROM header found"};
        const QByteArray us = romImage(1 << 19, "MARIO CLASH", QByteArray("01VMCE\0", 7));
        QTest::newRow("zip with a ROM") << "mario.zip" << zipOf({{"readme.txt", "hi"}, {"Mario.VB", us}})
                                        << QStringList{"zip", "readme.txt (2 Bytes)\nMario.VB (524,288 Bytes)",
                                                       "Mario.VB", "MARIO CLASH", "VMCE"};
        QTest::newRow("zip without a ROM") << "docs.zip" << zipOf({{"a.txt", "a"}})
                                           << QStringList{"zip", "a.txt (1 Bytes)", "<none>", "<none>", "<none>"};
        QTest::newRow("damaged zip") << "bad.ZIP" << zipOf({{"Mario.vb", us}}).left(300)
                                     << QStringList{"zip", "<none>", "<none>", "<none>", "<none>"};
        QTest::newRow("not a ROM name") << "notes.txt" << romImage(1 << 16, "GAME", QByteArray("01VGME\0", 7)) << QStringList{};
    }
    void contents()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();

        PropertiesWindow window(path, nullptr);
        QCOMPARE(window.windowTitle(), "Properties of \"" + name + "\"");
        QCOMPARE(value(window, "valName"), name);
        QCOMPARE(value(window, "valFolder"), dir.path());
        QCOMPARE(value(window, "valSize"), QLocale().toString(bytes.size()) + " Bytes");
        QCOMPARE(value(window, "valWritable"), QString("Yes"));
        if (expected.value(0) == "zip") {
            QCOMPARE(value(window, "valEntries"), expected[1]);
            QCOMPARE(value(window, "valRomEntry"), expected[2]);
            QCOMPARE(value(window, "valTitle"), expected[3]);
            QCOMPARE(value(window, "valGameCode"), expected[4]);
            QCOMPARE(value(window, "valArchive"),
                     expected[1] == "<none>" ? QString("The archive could not be read") : QString("<none>"));
        } else if (expected.size() == 5) {
            QCOMPARE(value(window, "valTitle"), expected[0]);
            QCOMPARE(value(window, "valGameCode"), expected[1]);
            QCOMPARE(value(window, "valMakerCode"), expected[2]);
            QCOMPARE(value(window, "valRegion"), expected[3]);
            QCOMPARE(value(window, "valVersion"), expected[4]);
            // The CRC is zlib's over the whole file, upper-case hex.
            const quint32 crc = referenceCrc32(bytes);
            QCOMPARE(value(window, "valCrc"), QString("%1").arg(crc, 8, 16, QChar('0')).toUpper());
            QCOMPARE(value(window, "valRom"), QString("<none>"));
        } else if (expected.size() == 1) {
            QCOMPARE(value(window, "valRom"), expected[0]);
            QCOMPARE(value(window, "valTitle"), QString("<none>"));
        } else {
            QCOMPARE(value(window, "valRom"), QString("<none>"));
            QCOMPARE(value(window, "valTitle"), QString("<none>"));
        }
    }

    void manyEntriesAreCounted()
    {
        QList<QPair<QByteArray, QByteArray>> entries;
        for (int i = 0; i < 25; ++i)
            entries.append({"f" + QByteArray::number(i), ""});
        QTemporaryDir dir;
        QFile f(dir.filePath("many.zip"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(zipOf(entries));
        f.close();
        PropertiesWindow window(f.fileName(), nullptr);
        const QStringList lines = value(window, "valEntries").split('\n');
        QCOMPARE(lines.size(), 21);
        QCOMPARE(lines[19], QString("f19 (0 Bytes)"));
        QCOMPARE(lines[20], QString::fromUtf8("… and 5 more"));
    }

    // A picture is shown only when it is a PNG within the bounds; nothing else it is given can
    // crash, wait or fill the memory.
    void picturesDecodeWithinBounds_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("shown");
        QTest::newRow("a small PNG") << "" << true;
        QTest::newRow("truncated") << "truncated" << false;
        QTest::newRow("not a PNG") << "jpeg" << false;
        QTest::newRow("a header 4097 pixels wide") << "wide" << false;
        QTest::newRow("larger than 8 MiB") << "large" << false;
        QTest::newRow("a pipe") << "pipe" << false;
        QTest::newRow("no bytes") << "empty" << false;
    }
    void picturesDecodeWithinBounds()
    {
        QFETCH(QString, damage);
        QFETCH(bool, shown);
        QTemporaryDir dir;
        const QString path = dir.filePath("Game.png");
        // A real picture wider than the bound, small on disk: only the bound keeps it out.
        QImage image = damage == "wide" ? QImage(4097, 2, QImage::Format_RGB32) : QImage(40, 30, QImage::Format_RGB32);
        image.fill(Qt::red);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, damage == "jpeg" ? "JPEG" : "PNG");
        if (damage == "truncated")
            png.truncate(png.size() / 2);
        if (damage == "large")
            png.append(QByteArray(8 << 20, '\0'));  // past IEND: the file, not the picture, is too large
        if (damage == "empty")
            png.clear();
        if (damage == "pipe")
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        else
            writeBytes(path, png);
        const QImage decoded = decodePicture(path.toStdString(), QSize(20, 20));
        QCOMPARE(!decoded.isNull(), shown);
        if (shown)
            QCOMPARE(decoded.size(), QSize(20, 15));
    }

    // Where pictures are on, Properties shows the game's beside its facts.
    void pictureBesideTheFacts()
    {
        QTemporaryDir dir;
        writeBytes(dir.filePath("game.vb"), QByteArray(1024, 'x'));
        QImage image(60, 80, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QVERIFY(image.save(dir.filePath("box.png")));
        usePictureOf([&](const std::string& rom) -> std::optional<std::string> {
            return rom == dir.filePath("game.vb").toStdString() ? std::optional(dir.filePath("box.png").toStdString())
                                                                : std::nullopt;
        });
        {
            PropertiesWindow window(dir.filePath("game.vb"), nullptr);
            auto* picture = window.findChild<QLabel*>("picGame");
            QVERIFY(picture);
            QCOMPARE(picture->pixmap().size(), QSize(60, 80));
        }
        usePictureOf(nullptr);
        PropertiesWindow window(dir.filePath("game.vb"), nullptr);
        QVERIFY(!window.findChild<QLabel*>("picGame"));
    }

    void vanishedFile()
    {
        QTemporaryDir dir;
        PropertiesWindow window(dir.filePath("gone.vb"), nullptr);
        QCOMPARE(value(window, "valStatus"), QString("The file no longer exists."));
        QCOMPARE(value(window, "valSize"), QString("<none>"));
    }

    // A pipe or a socket given a ROM's name is never read: a pipe would block for ever. What
    // can be known without reading it is shown.
    void specialFilesAreNotRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("named pipe") << "Named pipe";
        QTest::newRow("socket") << "Socket";
    }
    void specialFilesAreNotRead()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QByteArray path = QFile::encodeName(dir.filePath("game.vb"));
        int listener = -1;
        if (kind == "Named pipe") {
            QVERIFY(::mkfifo(path.constData(), 0644) == 0);
        } else {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()) + 1);
            listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
            QVERIFY(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        }
        PropertiesWindow window(dir.filePath("game.vb"), nullptr);
        QCOMPARE(value(window, "valName"), QString("game.vb"));
        QCOMPARE(value(window, "valType"), kind);
        QVERIFY(!value(window, "valModified").isEmpty() && value(window, "valModified") != "<none>");
        QCOMPARE(value(window, "valTitle"), QString("<none>"));
        QCOMPARE(value(window, "valRom"), QString("<none>"));
        if (listener >= 0)
            ::close(listener);
    }

private:
    // An independent CRC-32 (IEEE, reflected) so the window's value is checked against a second computation.
    static quint32 referenceCrc32(const QByteArray& bytes)
    {
        quint32 crc = 0xFFFFFFFFu;
        for (char c : bytes) {
            crc ^= static_cast<unsigned char>(c);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        return ~crc;
    }
};

QTEST_MAIN(TestProperties)
#include "test_properties.moc"
