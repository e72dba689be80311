// The patch readers: the patches Floating IPS made (and the UPS it applies) give exactly their
// images; hand-made records reach each rule of the formats; checksums, bounds and damage are
// refused with a reason.
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include "../support/patch_images.h"
#include "launch/launcher.h"
#include "rom/patch.h"

using namespace kl;
using Status = PatchOutcome::Status;

namespace {

std::string fixtureFile(const QString& name)
{
    QFile f(QStringLiteral(KL_PATCH_FIXTURES "/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

std::string le32(std::uint32_t value)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[std::size_t(i)] = static_cast<char>(value >> (8 * i));
    return bytes;
}

std::uint32_t crcOf(const std::string& bytes)
{
    return static_cast<std::uint32_t>(::crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size())));
}

// A UPS or BPS patch with its footer's CRC-32s replaced where given, its own made to match
// unless `ownWrong`.
std::string refooted(std::string patch, std::optional<std::uint32_t> source, std::optional<std::uint32_t> target,
                     bool ownWrong = false)
{
    if (source)
        patch.replace(patch.size() - 12, 4, le32(*source));
    if (target)
        patch.replace(patch.size() - 8, 4, le32(*target));
    const std::uint32_t own = crcOf(patch.substr(0, patch.size() - 4));
    patch.replace(patch.size() - 4, 4, le32(ownWrong ? own ^ 1 : own));
    return patch;
}

std::string ips(std::initializer_list<std::string> records, std::string end = "EOF")
{
    std::string patch = "PATCH";
    for (const std::string& r : records)
        patch += r;
    return patch + end;
}

std::string be(std::uint32_t value, int bytes)
{
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>(value >> (8 * i));
    return out;
}

QByteArray sha1Hex(const std::string& bytes)
{
    return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha1).toHex();
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeAll(const QString& path, const std::string& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
}

// A zip holding one entry of that name.
void writeZip(const QString& path, const std::string& entry, const std::string& bytes)
{
    int error = 0;
    zip_t* archive = zip_open(path.toUtf8().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    QVERIFY(archive);
    zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
    QVERIFY(zip_file_add(archive, entry.c_str(), source, ZIP_FL_ENC_UTF_8) >= 0);
    QCOMPARE(zip_close(archive), 0);
}

// A catalogue that names the generated source image.
const std::vector<Catalogue>& sourceCatalogue()
{
    static const std::vector<Catalogue> catalogues{
        {"/c/vb.dat", "Test", "", {{"Test Game (Japan)", 32 * 1024, crcOf(fixture::source()), std::nullopt, "", std::nullopt}}}};
    return catalogues;
}

}  // namespace

class TestPatches : public QObject {
    Q_OBJECT

private slots:
    // Made by Floating IPS (IPS, BPS in its delta and linear modes) or checked by its --apply
    // (UPS), each applied to the generated source.
    void publishedPatchesGiveTheirImage_data()
    {
        QTest::addColumn<QString>("patch");
        QTest::addColumn<QString>("image");
        QTest::addColumn<bool>("checked");
        QTest::newRow("IPS, records and a run") << "translated.ips" << "translated" << false;
        QTest::newRow("IPS, cut by its length after EOF") << "halved.ips" << "halved" << false;
        QTest::newRow("BPS delta: every action, offsets backwards") << "translated.bps" << "translated" << true;
        QTest::newRow("BPS delta: twice the image") << "doubled.bps" << "doubled" << true;
        QTest::newRow("BPS linear: half the image") << "halved.bps" << "halved" << true;
        QTest::newRow("UPS, same size") << "translated.ups" << "translated" << true;
        QTest::newRow("UPS, longer than the image") << "padded.ups" << "padded" << true;
        QTest::newRow("UPS, shorter than the image") << "halved.ups" << "halved" << true;
    }
    void publishedPatchesGiveTheirImage()
    {
        QFETCH(QString, patch);
        QFETCH(QString, image);
        QFETCH(bool, checked);
        const std::string bytes = fixtureFile(patch);
        QVERIFY(!bytes.empty());
        const PatchOutcome outcome = applyPatch(fixture::source(), bytes);
        QCOMPARE(int(outcome.status), int(Status::Applied));
        QVERIFY(outcome.result == fixture::named(image.toStdString()));
        QCOMPARE(outcome.checks.has_value(), checked);
        // A checked patch knows its result: applied to that, it is applied already.
        if (checked)
            QCOMPARE(int(applyPatch(fixture::named(image.toStdString()), bytes).status), int(Status::AlreadyApplied));
    }

    // IPS records by hand: a run, the offset that reads as "EOF", growth, and damage.
    void ipsRecords_data()
    {
        QTest::addColumn<QByteArray>("patch");
        QTest::addColumn<int>("imageSize");
        QTest::addColumn<QString>("expected");  // "<offset>=<hex>;…" and "size=<n>", or "damaged: <words>"
        const auto b = [](const std::string& s) { return QByteArray::fromStdString(s); };
        QTest::newRow("a run") << b(ips({be(0x10, 3) + be(0, 2) + be(4, 2) + "\x7f"})) << 0x4000 << "16=7f7f7f7f;20=00";
        QTest::newRow("a record at 0x454F46") << b(ips({be(0x454F46, 3) + be(2, 2) + "\xab\xcd"})) << 0x800000
                                               << "4542278=abcd;size=8388608";
        QTest::newRow("growing the image") << b(ips({be(0x3fff, 3) + be(2, 2) + "AB"})) << 0x4000
                                           << "damaged: the patched image has 16385 bytes";
        QTest::newRow("growing to an image's size") << b(ips({be(0x7fff, 3) + be(1, 2) + "A"})) << 0x4000
                                                    << "32767=41;size=32768";
        QTest::newRow("cut by its length") << b(ips({}, "EOF" + be(0x4000, 3))) << 0x8000 << "size=16384";
        QTest::newRow("no EOF") << b(std::string("PATCH") + be(0x10, 3) + be(1, 2) + "A") << 0x4000
                                << "damaged: it ends before its end marker";
        QTest::newRow("ends in a record") << b(std::string("PATCH") + be(0x10, 3) + be(9, 2) + "AB") << 0x4000
                                          << "damaged: it ends part-way through a record";
        QTest::newRow("a record past 16 MiB") << b(ips({be(0xffffff, 3) + be(2, 2) + "AB"})) << 0x4000
                                              << "damaged: a record lies beyond the 16 MiB of an image";
        QTest::newRow("no patch at all") << QByteArray("PATCX EOF") << 0x4000
                                         << "damaged: it is no IPS, UPS or BPS patch";
        QTest::newRow("a length after EOF past the image") << b(ips({}, "EOF" + be(0x8000, 3))) << 0x4000
                                                           << "damaged: the length after its end marker is more";
        QTest::newRow("a run of no bytes past the image") << b(ips({be(0x8000, 3) + be(0, 2) + be(0, 2) + "x"}))
                                                          << 0x4000 << "size=16384";
    }
    void ipsRecords()
    {
        QFETCH(QByteArray, patch);
        QFETCH(int, imageSize);
        QFETCH(QString, expected);
        const PatchOutcome outcome = applyPatch(std::string(std::size_t(imageSize), '\0'), patch.toStdString());
        if (expected.startsWith("damaged: ")) {
            QCOMPARE(int(outcome.status), int(Status::Damaged));
            QVERIFY2(QString::fromStdString(outcome.reason).startsWith(expected.mid(9)), outcome.reason.c_str());
            return;
        }
        QCOMPARE(int(outcome.status), int(Status::Applied));
        for (const QString& part : expected.split(';')) {
            const QStringList kv = part.split('=');
            if (kv[0] == "size") {
                QCOMPARE(outcome.result.size(), std::size_t(kv[1].toULongLong()));
                continue;
            }
            const QByteArray want = QByteArray::fromHex(kv[1].toLatin1());
            QCOMPARE(QByteArray::fromStdString(outcome.result.substr(kv[0].toULongLong(), std::size_t(want.size()))), want);
        }
    }

    // Each reader called on bytes shorter than its magic, or of another format, refuses them.
    void readersRefuseWhatIsNotTheirs()
    {
        const std::string image(16 * 1024, '\0');
        for (const std::string& bytes : {std::string(), std::string("PAT"), std::string("UPS1"), std::string("BPS")})
            for (auto* apply : {&applyIps, &applyUps, &applyBps}) {
                const PatchOutcome outcome = apply(image, bytes);
                QCOMPARE(int(outcome.status), int(Status::Damaged));
                QVERIFY(outcome.result.empty());
            }
    }

    // Each of the three CRC-32s of a checked patch wrong in turn, and the bounds.
    void checkedPatchesRefuse_data()
    {
        QTest::addColumn<QString>("patch");
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        for (const char* patch : {"translated.bps", "translated.ups"}) {
            const QString p = patch;
            QTest::newRow(qPrintable(p + ": the source's CRC-32")) << p << "source" << int(Status::WrongSource) << "";
            QTest::newRow(qPrintable(p + ": the result's CRC-32"))
                << p << "target" << int(Status::Damaged) << "the patched image does not have the CRC-32";
            QTest::newRow(qPrintable(p + ": its own CRC-32")) << p << "own" << int(Status::Damaged) << "its own CRC-32";
            QTest::newRow(qPrintable(p + ": cut short")) << p << "cut" << int(Status::Damaged) << "its own CRC-32";
            QTest::newRow(qPrintable(p + ": another image")) << p << "image" << int(Status::WrongSource) << "";
            QTest::newRow(qPrintable(p + ": an overlong number")) << p << "overlong" << int(Status::Damaged)
                                                                  << "a size in it is not a number";
            QTest::newRow(qPrintable(p + ": made for 17 MiB")) << p << "huge" << int(Status::Damaged)
                                                               << "it is made for more than the 16 MiB";
        }
        QTest::newRow("a patch over 16 MiB") << "translated.ips" << "big patch" << int(Status::Damaged)
                                             << "it is larger than 16 MiB";
        QTest::newRow("an image over 16 MiB") << "translated.ips" << "big image" << int(Status::Damaged)
                                              << "the image is larger than 16 MiB";
    }
    void checkedPatchesRefuse()
    {
        QFETCH(QString, patch);
        QFETCH(QString, change);
        QFETCH(int, status);
        QFETCH(QString, reason);
        std::string bytes = fixtureFile(patch), image = fixture::source();
        const std::string magic = bytes.substr(0, 4);
        if (change == "source")
            bytes = refooted(bytes, crcOf(image) ^ 1, std::nullopt);
        else if (change == "target")
            bytes = refooted(bytes, std::nullopt, 0x12345678);
        else if (change == "own")
            bytes = refooted(bytes, std::nullopt, std::nullopt, true);
        else if (change == "cut")
            bytes.resize(bytes.size() / 2);
        else if (change == "image")
            image[100] = char(image[100] ^ 1);
        else if (change == "overlong")
            bytes = refooted(magic + std::string(12, '\0') + std::string(12, '\0'), std::nullopt, std::nullopt);
        else if (change == "huge")  // a source size of 17 MiB, in the numbers' form
            bytes = refooted(magic + std::string("\x00\x7f\x3e\x87", 4) + "\x80\x80" + std::string(12, '\0'),
                             std::nullopt, std::nullopt);
        else if (change == "big patch")
            bytes += std::string(kMaxPatchedBytes, '\0');
        else if (change == "big image")
            image.resize(kMaxPatchedBytes + 1);
        const PatchOutcome outcome = applyPatch(image, bytes);
        QCOMPARE(int(outcome.status), status);
        QVERIFY2(QString::fromStdString(outcome.reason).startsWith(reason), outcome.reason.c_str());
        QVERIFY(outcome.result.empty());
        if (status == int(Status::WrongSource)) {  // what it was made for, to name it
            QCOMPARE(outcome.checks->sourceSize, std::uint64_t(32 * 1024));
            QCOMPARE(outcome.checks->sourceCrc, change == "source" ? crcOf(fixture::source()) ^ 1 : crcOf(fixture::source()));
        }
    }

    // Starts through the planner: which patch, what the emulator is given, what refuses.
    void patchedStarts_data()
    {
        QTest::addColumn<QStringList>("files");   // "<name>=<fixture image or patch file>" in the ROM folder
        QTest::addColumn<QString>("launched");    // the file started
        QTest::addColumn<QString>("expected");    // "copy <name> of <image>", "as it is", or the refusal
        const QString source = QString::number(crcOf(fixture::source()), 16).toUpper().rightJustified(8, '0');
        QTest::newRow("BPS beside a .vb") << QStringList{"Game (J).vb=source", "Game (J).bps=translated.bps"}
                                          << "Game (J).vb" << "copy Game (J).vb of translated";
        QTest::newRow("UPS, extension in upper case") << QStringList{"Game.VB=source", "Game.UPS=padded.ups"}
                                                      << "Game.VB" << "copy Game.VB of padded";
        QTest::newRow("BPS before UPS before IPS")
            << QStringList{"G.vb=source", "G.ips=translated.ips", "G.Bps=doubled.bps", "G.ups=halved.ups"} << "G.vb"
            << "copy G.vb of doubled";
        QTest::newRow("IPS beside a zip") << QStringList{"Game.zip=zip:dir\\Inner (J).vb:source", "Game.ips=halved.ips"}
                                          << "Game.zip" << "copy Inner (J).vb of halved";
        QTest::newRow("already applied") << QStringList{"G.vb=translated", "G.bps=translated.bps"} << "G.vb" << "as it is";
        QTest::newRow("IPS that changes nothing") << QStringList{"G.vb=source", "G.ips=PATCHEOF"} << "G.vb" << "as it is";
        QTest::newRow("no patch") << QStringList{"G.vb=source", "H.bps=translated.bps"} << "G.vb" << "as it is";
        QTest::newRow("a patch is just a file") << QStringList{"G.bps=translated.bps", "G.ips=translated.ips"}
                                                << "G.bps" << "as it is";
        QTest::newRow("made for another image, named by a catalogue")
            << QStringList{"G.vb=doubled", "G.bps=translated.bps"} << "G.vb"
            << "The patch \"G.bps\" was made for another image: \"Test Game (Japan)\" (32768 bytes, CRC-32 " + source
                   + "); \"G.vb\" has CRC-32 " + QString::number(crcOf(fixture::doubled()), 16).toUpper() + ".";
        QTest::newRow("made for another image, in no catalogue") << QStringList{"G.vb=halved", "G.ups=translated.ups"}
                                                                 << "G.vb" << "nameless";
        QTest::newRow("damaged") << QStringList{"G.vb=source", "G.bps=BPS1 broken"} << "G.vb"
                                 << "The patch \"G.bps\" cannot be applied: it ends before its checksums.";
        QTest::newRow("no patch at all") << QStringList{"G.vb=source", "G.ips=not a patch"} << "G.vb"
                                         << "The patch \"G.ips\" cannot be applied: it is no IPS, UPS or BPS patch.";
    }
    void patchedStarts()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, launched);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("roms"));
        QDir().mkpath(dir.filePath("emu"));
        writeAll(dir.filePath("emu/kalmora_boy.exe"), "#!/bin/sh\n");
        QFile::setPermissions(dir.filePath("emu/kalmora_boy.exe"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        for (const QString& file : files) {
            const QString name = file.section('=', 0, 0), what = file.section('=', 1);
            const QString path = dir.filePath("roms/" + name);
            if (what.startsWith("zip:"))
                writeZip(path, what.section(':', 1, 1).toStdString(), fixture::named(what.section(':', 2).toStdString()));
            else if (what.contains('.') && !what.contains(' '))
                writeAll(path, fixtureFile(what));
            else if (!fixture::named(what.toStdString()).empty())
                writeAll(path, fixture::named(what.toStdString()));
            else
                writeAll(path, what.toStdString());
        }
        const auto hashes = [&] {
            QStringList all;
            for (const QFileInfo& f : QDir(dir.filePath("roms")).entryInfoList(QDir::Files))
                all << f.fileName() + ' ' + QCryptographicHash::hash(readAll(f.filePath()), QCryptographicHash::Sha1).toHex();
            return all;
        };
        const QStringList before = hashes();
        EmulatorSettings options;
        options.setText(Field::txtEmuPath, dir.filePath("emu").toStdString());
        StartEnvironment env;
        env.currentFolder = dir.path().toStdString();
        const bool catalogued = !QByteArray(QTest::currentDataTag()).contains("in no catalogue");
        const PatchPlace place{dir.filePath("Patched").toStdString(), [catalogued]() -> const std::vector<Catalogue>& {
                                   static const std::vector<Catalogue> none;
                                   return catalogued ? sourceCatalogue() : none;
                               }};
        const std::string rom = dir.filePath("roms/" + launched).toStdString();
        const LaunchPlan plan = planFileLaunch(options, rom, env, place);
        QCOMPARE(hashes(), before);  // the ROM folder is never written
        if (expected == "as it is") {
            QCOMPARE(int(plan.problem), int(LaunchProblem::None));
            QCOMPARE(plan.command.arguments.front(), rom);
            QVERIFY(plan.patchName.empty() && !plan.playKey);
            QVERIFY(!QFileInfo::exists(dir.filePath("Patched")));
            return;
        }
        if (!expected.startsWith("copy ")) {
            QCOMPARE(int(plan.problem), int(LaunchProblem::PatchRefused));
            if (expected == "nameless")
                expected = "The patch \"G.ups\" was made for another image of 32768 bytes, CRC-32 " + 
                           QString::number(crcOf(fixture::source()), 16).toUpper().rightJustified(8, '0') + "; \"G.vb\" has CRC-32 "
                           + QString::number(crcOf(fixture::halved()), 16).toUpper().rightJustified(8, '0') + ".";
            QCOMPARE(QString::fromStdString(launchProblemText(plan, rom)), expected);
            QVERIFY(!QFileInfo::exists(dir.filePath("Patched")));
            return;
        }
        QCOMPARE(int(plan.problem), int(LaunchProblem::None));
        const std::string result = fixture::named(expected.section(" of ", 1).toStdString());
        const QString copy = dir.filePath("Patched/" + sha1Hex(result) + '/' + expected.section(" of ", 0, 0).mid(5));
        QCOMPARE(QString::fromStdString(plan.command.arguments.front()), copy);
        QVERIFY(readAll(copy) == QByteArray::fromStdString(result));
        QCOMPARE(QByteArray::fromStdString(sha1Hex(*plan.playKey)), sha1Hex(result));
        QVERIFY(!plan.patchName.empty());
        // Again: the same path, the intact copy not written anew.
        struct stat first {};
        QCOMPARE(::stat(copy.toUtf8().constData(), &first), 0);
        QCOMPARE(planFileLaunch(options, rom, env, place).command.arguments.front(), plan.command.arguments.front());
        struct stat again {};
        QCOMPARE(::stat(copy.toUtf8().constData(), &again), 0);
        QCOMPARE(again.st_ino, first.st_ino);
        // A copy that was changed, and one replaced by a link, are written anew; the link's
        // target is left alone.
        writeAll(copy, "changed");
        planFileLaunch(options, rom, env, place);
        QVERIFY(readAll(copy) == QByteArray::fromStdString(result));
        writeAll(dir.filePath("elsewhere"), "mine");
        QFile::remove(copy);
        QVERIFY(QFile::link(dir.filePath("elsewhere"), copy));
        planFileLaunch(options, rom, env, place);
        QVERIFY(!QFileInfo(copy).isSymLink() && readAll(copy) == QByteArray::fromStdString(result));
        QCOMPARE(readAll(dir.filePath("elsewhere")), QByteArray("mine"));
        // A folder that cannot be made refuses the start.
        const PatchPlace blocked{dir.filePath("elsewhere/Patched").toStdString(), place.catalogues};
        QCOMPARE(QString::fromStdString(launchProblemText(planFileLaunch(options, rom, env, blocked), rom)),
                 "The patched image of \"" + launched + "\" could not be written to \"" + dir.filePath("elsewhere/Patched")
                     + "\".");
    }

    // BPS by hand: a TargetCopy that reads what it has just written, and actions out of bounds.
    void bpsActions_data()
    {
        QTest::addColumn<QByteArray>("actions");  // after the sizes 16 KiB -> 16 KiB and no metadata
        QTest::addColumn<QString>("expected");    // the result's first bytes in hex, or "damaged: …"
        // TargetRead "AB" (length 2: (1 << 2) | 1), TargetCopy of 16382 from 0 (overlapping).
        const QByteArray read("\x85" "AB", 3);
        QTest::newRow("TargetCopy over its own output")
            << read + QByteArray("\x77\x7e\x82" "\x80", 4) << "41424142414241424142";
        QTest::newRow("TargetCopy ahead of the output") << read + QByteArray("\x77\x7e\x82" "\x88", 4)
                                                        << "damaged: an action copies what is not yet written";
        QTest::newRow("SourceCopy before the image") << QByteArray("\x7e\x7e\x82" "\x83", 4)
                                                     << "damaged: an action reads beyond the image";
        QTest::newRow("writing past the result") << QByteArray("\x00\x7f\x82", 3)
                                                 << "damaged: an action writes beyond the patched image";
        QTest::newRow("fewer bytes than the result") << QByteArray("\x84", 1)
                                                     << "damaged: it gives fewer bytes than the patched image";
    }
    void bpsActions()
    {
        QFETCH(QByteArray, actions);
        QFETCH(QString, expected);
        const std::string image(16 * 1024, 'S');
        std::string result(16 * 1024, 'A');
        for (std::size_t i = 1; i < result.size(); i += 2)
            result[i] = 'B';
        // 16384 in the numbers' form is 00 ff.
        const std::string body = std::string("BPS1") + std::string("\x00\xff\x00\xff", 4) + "\x80" + actions.toStdString();
        const std::string patch = refooted(body + std::string(12, '\0'), crcOf(image), crcOf(result));
        const PatchOutcome outcome = applyPatch(image, patch);
        if (expected.startsWith("damaged: ")) {
            QCOMPARE(int(outcome.status), int(Status::Damaged));
            QVERIFY2(QString::fromStdString(outcome.reason).startsWith(expected.mid(9)), outcome.reason.c_str());
            return;
        }
        QCOMPARE(int(outcome.status), int(Status::Applied));
        QCOMPARE(QByteArray::fromStdString(outcome.result.substr(0, 10)).toHex(), expected.toLatin1());
    }
};

QTEST_MAIN(TestPatches)
#include "test_patches.moc"
