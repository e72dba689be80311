// The archive reader on archives the tests make: ROM entries, damage, encryption, bombs.
#include <QtTest>

#include <sys/stat.h>
#include <zip.h>

#include <algorithm>

#include "rom/zip_archive.h"

using namespace kl;

struct Entry {
    QByteArray name;
    QByteArray data;
    bool store = false;
    bool encrypt = false;
};

Q_DECLARE_METATYPE(Entry)

namespace {

QByteArray romImage(int size, const QByteArray& title, const QByteArray& codes)
{
    QByteArray bytes(size, '\x55');
    const QByteArray footer = title.leftJustified(20, ' ', true) + QByteArray(5, '\0') + codes;
    bytes.replace(size - 0x220, footer.size(), footer);
    return bytes;
}

// Writes the entries to a zip file with libzip and returns its bytes.
QByteArray makeArchive(const QString& path, const QList<Entry>& entries)
{
    int error = 0;
    zip_t* archive = zip_open(path.toLocal8Bit().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return {};
    for (const Entry& e : entries) {
        zip_source_t* source = zip_source_buffer(archive, e.data.constData(), zip_uint64_t(e.data.size()), 0);
        const zip_int64_t index = zip_file_add(archive, e.name.constData(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            continue;
        }
        if (e.store)
            zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0);
        if (e.encrypt)
            zip_file_set_encryption(archive, zip_uint64_t(index), ZIP_EM_AES_256, "secret");
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        return {};
    }
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::span<const unsigned char> bytesOf(const QByteArray& a)
{
    return {reinterpret_cast<const unsigned char*>(a.constData()), static_cast<std::size_t>(a.size())};
}

quint32 le32(const QByteArray& a, qsizetype at) { return qFromLittleEndian<quint32>(a.constData() + at); }

}  // namespace

class TestZipArchive : public QObject {
    Q_OBJECT
private slots:
    void archives_data()
    {
        QTest::addColumn<QList<Entry>>("entries");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("romName");   // empty: no .vb entry
        QTest::addColumn<QString>("gameCode");  // empty: no valid footer
        const QByteArray us = romImage(1 << 19, "MARIO CLASH", QByteArray("01VMCE\0", 7));
        const QByteArray jp = romImage(1 << 20, "\xcf\xd8\xb5", QByteArray("01VMCJ\1", 7));
        QTest::newRow("one .vb entry") << QList<Entry>{{"Mario Clash (USA).vb", us}}
                                       << QStringList{"Mario Clash (USA).vb"} << "Mario Clash (USA).vb" << "VMCE";
        QTest::newRow("several entries, first .vb wins, any case")
            << QList<Entry>{{"readme.txt", "hello"}, {"dir/", ""}, {"dir/GAME.VB", jp, true}, {"other.vb", us}}
            << QStringList{"readme.txt", "dir/", "dir/GAME.VB", "other.vb"} << "dir/GAME.VB" << "VMCJ";
        QTest::newRow("no .vb entry") << QList<Entry>{{"a.txt", "a"}, {"vb", "b"}, {"x.vbs", "c"}}
                                      << QStringList{"a.txt", "vb", "x.vbs"} << "" << "";
        QTest::newRow(".vb entry without a footer") << QList<Entry>{{"bad.vb", QByteArray(1 << 16, '\0')}}
                                                    << QStringList{"bad.vb"} << "bad.vb" << "";
        QTest::newRow("non-ASCII names") << QList<Entry>{{"テレロボクサー.vb", jp}}
                                         << QStringList{QString::fromUtf8("テレロボクサー.vb")}
                                         << QString::fromUtf8("テレロボクサー.vb") << "VMCJ";
        // 17 MiB of zeros compress to almost nothing; the reader stops after 16 MiB.
        QTest::newRow("entry larger than any image") << QList<Entry>{{"bomb.vb", QByteArray(17 << 20, '\0')}}
                                                      << QStringList{"bomb.vb"} << "bomb.vb" << "";
        QTest::newRow("empty archive") << QList<Entry>{} << QStringList{} << "" << "";
    }
    void archives()
    {
        QFETCH(QList<Entry>, entries);
        QFETCH(QStringList, names);
        QFETCH(QString, romName);
        QFETCH(QString, gameCode);
        QTemporaryDir dir;
        const QString path = dir.filePath("test.zip");
        const QByteArray bytes = makeArchive(path, entries);
        QVERIFY(entries.isEmpty() || !bytes.isEmpty());

        // The file and the in-memory reader agree.
        for (const auto& contents : {readArchiveFile(path.toStdString()), readArchive(bytesOf(bytes))}) {
            if (entries.isEmpty() && !contents)
                continue;  // libzip writes no file for an empty archive
            QVERIFY(contents.has_value());
            QStringList got;
            for (const ArchiveEntry& e : contents->entries)
                got << QString::fromStdString(e.name);
            QCOMPARE(got, names);
            for (int i = 0; i < entries.size(); ++i)
                QCOMPARE(contents->entries[std::size_t(i)].size, std::uint64_t(entries[i].data.size()));
            QCOMPARE(contents->rom.has_value(), !romName.isEmpty());
            if (!contents->rom)
                continue;
            QCOMPARE(QString::fromStdString(contents->rom->name), romName);
            QCOMPARE(contents->rom->header.has_value(), !gameCode.isEmpty());
            if (contents->rom->header) {
                QCOMPARE(QString::fromStdString(contents->rom->header->gameCode), gameCode);
                const auto& data = std::find_if(entries.begin(), entries.end(),
                                                [&](const Entry& e) { return e.name == romName.toUtf8(); })->data;
                QCOMPARE(contents->rom->crc, crc32Of(bytesOf(data)));
            }
        }
    }

    void unreadableArchives_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("truncated") << "truncated";
        QTest::newRow("central directory only") << "tail";
        QTest::newRow("flipped data byte") << "flip";
        QTest::newRow("size claimed huge") << "huge";
        QTest::newRow("not an archive") << "text";
        QTest::newRow("empty file") << "empty";
    }
    void unreadableArchives()
    {
        QFETCH(QString, damage);
        QTemporaryDir dir;
        const QByteArray rom = romImage(1 << 16, "GAME", QByteArray("01VGME\0", 7));
        QByteArray bytes = makeArchive(dir.filePath("a.zip"), {{"game.vb", rom, true}});
        QVERIFY(bytes.size() > 1000);
        const qsizetype local = 0;  // the first local header
        if (damage == "truncated") {
            bytes.truncate(bytes.size() / 2);
        } else if (damage == "tail") {
            bytes = bytes.right(100);
        } else if (damage == "flip") {
            bytes[30 + 7 + 500] = char(bytes[30 + 7 + 500] ^ 0x40);  // inside the stored data: CRC mismatch
        } else if (damage == "huge") {
            // Claim nearly 4 GiB uncompressed in both headers; the data stay 64 KiB.
            const qsizetype central = bytes.lastIndexOf(QByteArray("PK\1\2", 4));
            QVERIFY(central > 0 && le32(bytes, local) == 0x04034b50);
            qToLittleEndian<quint32>(0xFFFFFFF0u, bytes.data() + local + 22);
            qToLittleEndian<quint32>(0xFFFFFFF0u, bytes.data() + central + 24);
        } else if (damage == "text") {
            bytes = "PK but not really an archive";
        } else {
            bytes.clear();
        }
        const QString path = dir.filePath("damaged.zip");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        for (const auto& contents : {readArchiveFile(path.toStdString()), readArchive(bytesOf(bytes))}) {
            // Either refused as a whole, or listed without a footer read from damaged data.
            if (contents) {
                QVERIFY(damage == "huge");
                QVERIFY(!contents->rom || !contents->rom->header);
            }
        }
    }

    void encryptedRomEntryCannotBeRead()
    {
        QTemporaryDir dir;
        const QByteArray bytes = makeArchive(dir.filePath("e.zip"), {{"note.txt", "x"},
                                                                     {"game.vb", romImage(1 << 16, "G", QByteArray("01VGME\0", 7)), false, true}});
        if (bytes.isEmpty() || !bytes.contains("game.vb"))
            QSKIP("this libzip cannot write encrypted entries");
        QVERIFY(!readArchive(bytesOf(bytes)).has_value());
        // Without a .vb entry to read, the names of an encrypted archive are still listed.
        const QByteArray names = makeArchive(dir.filePath("n.zip"), {{"note.txt", "x", false, true}});
        const auto contents = readArchive(bytesOf(names));
        QVERIFY(contents && contents->entries.size() == 1 && !contents->rom);
    }

    void onlyRegularFiles()
    {
        QTemporaryDir dir;
        QVERIFY(!readArchiveFile(dir.path().toStdString()));
        QVERIFY(!readArchiveFile(dir.filePath("missing.zip").toStdString()));
        QVERIFY(::mkfifo(dir.filePath("fifo.zip").toLocal8Bit().constData(), 0600) == 0);
        QVERIFY(!readArchiveFile(dir.filePath("fifo.zip").toStdString()));  // must not block
    }
};

QTEST_MAIN(TestZipArchive)
#include "test_zip_archive.moc"
