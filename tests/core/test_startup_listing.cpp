// The read-ahead of the ROM folder: what start-up will list, and when the names read ahead
// may stand in for a read at the end of start-up.
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

#include "browser/startup_listing.h"
#include "config/gui_settings.h"

using namespace kl;

namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The folder as if its last change were an hour old, so that a change now shows in its time.
void settle(const QString& folder)
{
    timespec times[2];
    times[0].tv_sec = times[1].tv_sec = ::time(nullptr) - 3600;
    times[0].tv_nsec = times[1].tv_nsec = 0;
    QCOMPARE(::utimensat(AT_FDCWD, folder.toUtf8().constData(), times, 0), 0);
}

QStringList toList(const NameList& names)
{
    QStringList out;
    for (const std::string_view n : names)
        out << QString::fromUtf8(n.data(), qsizetype(n.size()));
    return out;
}

QByteArray settingsFile(const QByteArray& romLine)
{
    QList<QByteArray> lines{"/emu", romLine, "True", "False", "False", "False", "False", " 0 ", "False", "True",
                            "False", "False", "False", "False", "Normal", "1.0", " 0 ", "1x", "0 f./sec.",
                            " 0 ", "True", "False", " 0 ", "None connected to PC", " 0 ", " 0 ", " 0 ", " 0 ",
                            " 0 ", " 0 "};
    return lines.join("\r\n") + "\r\n";
}

QByteArray guiFile(std::array<bool, 4> fileTypes)
{
    QByteArray out;
    for (int i = 0; i < kGuiLineCount; ++i) {
        const bool tick = i < 4 ? fileTypes[static_cast<std::size_t>(i)] : i == 12;
        out += tick ? "True\r\n" : "False\r\n";
    }
    return out;
}

}  // namespace

class TestStartupListing : public QObject {
    Q_OBJECT
private slots:
    // The request follows the window's start-up: the path line without its leading blanks,
    // the highest ticked file type, and with none ticked the list's first pattern.
    void request_data()
    {
        QTest::addColumn<QByteArray>("settings");  // empty: no Settings.ini
        QTest::addColumn<QByteArray>("gui");       // empty: no GUI.ini
        QTest::addColumn<bool>("expected");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("pattern");
        const std::array<bool, 4> none{false, false, false, false};
        QTest::newRow("plain") << settingsFile("/roms") << guiFile({true, false, false, false}) << true << "/roms"
                               << "*.vb";
        QTest::newRow("leading blanks") << settingsFile("   /roms ") << QByteArray() << true << "/roms " << "*.vb";
        QTest::newRow("no file type ticked") << settingsFile("/roms") << guiFile(none) << true << "/roms" << "*.vb";
        QTest::newRow("highest tick wins") << settingsFile("/roms") << guiFile({true, true, false, true}) << true
                                           << "/roms" << "*.*";
        QTest::newRow("damaged after the path line")
            << QByteArray("/emu\r\n/roms\r\nMaybe\r\n") << QByteArray() << true << "/roms" << "*.vb";
        QTest::newRow("no Settings.ini") << QByteArray() << guiFile(none) << false << "" << "";
        QTest::newRow("blank path") << settingsFile("   ") << QByteArray() << false << "" << "";
    }
    void request()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, gui);
        QFETCH(bool, expected);
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("Data"));
        if (!settings.isEmpty())
            writeBytes(dir.filePath("Data/Settings.ini"), settings);
        if (!gui.isEmpty())
            writeBytes(dir.filePath("Data/GUI.ini"), gui);
        const auto request = startupListingRequest(configLocation(dir.path().toStdString(), nullptr, "/nonexistent"));
        QCOMPARE(request.has_value(), expected);
        if (!expected)
            return;
        QTEST(QString::fromStdString(request->folder), "folder");
        QTEST(QString::fromStdString(request->pattern), "pattern");
    }

    // Names read ahead are handed over once, and only while they are exactly what a read
    // of that folder and pattern gives now.
    void handOver_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("askedFolder");  // empty: the folder read
        QTest::addColumn<QString>("askedPattern");
        QTest::addColumn<bool>("handed");
        QTest::newRow("unchanged") << "" << "" << "*.vb" << true;
        QTest::newRow("other pattern") << "" << "" << "*.*" << false;
        QTest::newRow("other folder text") << "" << "roms/" << "*.vb" << false;
        QTest::newRow("file added") << "add" << "" << "*.vb" << false;
        QTest::newRow("file removed") << "remove" << "" << "*.vb" << false;
        QTest::newRow("folder vanished") << "vanish" << "" << "*.vb" << false;
        QTest::newRow("another folder in its place, same time") << "replace" << "" << "*.vb" << false;
        QTest::newRow("changed just before the read") << "fresh" << "" << "*.vb" << false;
    }
    void handOver()
    {
        QFETCH(QString, change);
        QFETCH(QString, askedFolder);
        QFETCH(QString, askedPattern);
        QTemporaryDir dir;
        const QString roms = dir.filePath("roms");
        QDir().mkpath(roms);
        for (const char* name : {"b.vb", "A.VB", "c.zip"})
            writeBytes(roms + "/" + name, "x");
        if (change != "fresh")
            settle(roms);
        FolderPrefetch prefetch(ListingRequest{roms.toStdString(), "*.vb"});
        prefetch.wait();
        if (change == "add")
            writeBytes(roms + "/d.vb", "x");
        if (change == "remove")
            QVERIFY(QFile::remove(roms + "/b.vb"));
        if (change == "vanish")
            QVERIFY(QDir(roms).removeRecursively());
        if (change == "replace") {
            QVERIFY(QDir().rename(roms, dir.filePath("old")));
            QDir().mkpath(roms);
            writeBytes(roms + "/b.vb", "x");
            settle(roms);
        }
        const QString folder = askedFolder.isEmpty() ? roms : dir.filePath(askedFolder);
        const auto names = prefetch.take(folder.toStdString(), askedPattern.toStdString());
        QTEST(names.has_value(), "handed");
        QCOMPARE(prefetch.handedOver(), names.has_value());
        if (names)
            QCOMPARE(toList(*names), QStringList({"A.VB", "b.vb"}));
        QVERIFY(!prefetch.take(folder.toStdString(), askedPattern.toStdString()));
    }

    void nothingToRead()
    {
        FolderPrefetch prefetch(std::nullopt);
        QVERIFY(!prefetch.take("/", "*.*"));
    }
};

QTEST_GUILESS_MAIN(TestStartupListing)
#include "test_startup_listing.moc"
