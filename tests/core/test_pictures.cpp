// A game's picture from the thumbnail sets: the names a picture is filed under, against real
// names of the set; where it is looked for and in which order; the server's addresses; and
// Pictures.ini read back whatever it holds.
#include <QtTest>

#include "pictures/picture_settings.h"
#include "pictures/thumbnails.h"

using namespace kl;

namespace {

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

QStringList strings(const std::vector<std::string>& list)
{
    QStringList out;
    for (const std::string& s : list)
        out << QString::fromStdString(s);
    return out;
}

}  // namespace

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void namesAsTheSetsFileThem_data()
    {
        QTest::addColumn<QStringList>("catalogue");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("an ampersand") << QStringList{"T&E Virtual Golf (Japan)"} << "tevg.vb"
                                      << QStringList{"T_E Virtual Golf (Japan)", "tevg"};
        QTest::newRow("an apostrophe stays") << QStringList{"Mario's Tennis (Japan, USA)"}
                                             << "Mario's Tennis (Japan, USA).vb"
                                             << QStringList{"Mario's Tennis (Japan, USA)", "Mario's Tennis"};
        QTest::newRow("a hyphen stays") << QStringList{} << "3-D Tetris (USA).vb" << QStringList{"3-D Tetris (USA)", "3-D Tetris"};
        QTest::newRow("a colon and a slash") << QStringList{"Red Alarm: Part 1/2 (Japan)"} << "Red Alarm (Japan).zip"
                                             << QStringList{"Red Alarm_ Part 1_2 (Japan)", "Red Alarm (Japan)", "Red Alarm"};
        QTest::newRow("every character files cannot hold")
            << QStringList{"a&b*c/d:e`f\"g<h>i?j\\k|l"} << "x" << QStringList{"a_b_c_d_e_f_g_h_i_j_k_l", "x"};
        QTest::newRow("a patched game's own name, then its original's")
            << QStringList{"Space Squash (Japan) (En)", "Space Squash (Japan)"} << "Space Squash (Japan).vb"
            << QStringList{"Space Squash (Japan) (En)", "Space Squash (Japan)", "Space Squash"};
        QTest::newRow("the file name when no catalogue knows it") << QStringList{} << "Wario Land (Japan, USA).vb"
                                                                  << QStringList{"Wario Land (Japan, USA)", "Wario Land"};
        QTest::newRow("a name with no dot or parenthesis") << QStringList{} << "Golf" << QStringList{"Golf"};
    }
    void namesAsTheSetsFileThem()
    {
        QFETCH(QStringList, catalogue);
        QFETCH(QString, file);
        QFETCH(QStringList, names);
        std::vector<std::string> known;
        for (const QString& name : catalogue)
            known.push_back(name.toStdString());
        QCOMPARE(strings(pictureNames(known, file.toStdString())), names);
    }

    // The first picture there is: the chosen kind, then box, title, screenshot; within a kind the
    // names in order; within a name the folders in order.
    void whichPictureIsShown_data()
    {
        QTest::addColumn<QStringList>("files");  // below the home: <folder>|<kind>|<name>
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("shown");
        const QString mine = "mine", retro = ".config/retroarch/thumbnails",
                      flatpak = ".var/app/org.libretro.RetroArch/config/retroarch/thumbnails",
                      cache = ".cache/kalmora-launcher/thumbnails";
        QTest::newRow("the user's folder over RetroArch's over the cache")
            << QStringList{cache + "|Named_Boxarts|Wario Land (Japan, USA)", retro + "|Named_Boxarts|Wario Land (Japan, USA)",
                           mine + "|Named_Boxarts|Wario Land (Japan, USA)"}
            << "Named_Boxarts" << mine + "|Named_Boxarts|Wario Land (Japan, USA)";
        QTest::newRow("RetroArch's over the cache") << QStringList{cache + "|Named_Boxarts|Wario Land (Japan, USA)",
                                                                   retro + "|Named_Boxarts|Wario Land (Japan, USA)"}
                                                    << "Named_Boxarts" << retro + "|Named_Boxarts|Wario Land (Japan, USA)";
        QTest::newRow("Flatpak RetroArch's") << QStringList{flatpak + "|Named_Boxarts|Wario Land"} << "Named_Boxarts"
                                             << flatpak + "|Named_Boxarts|Wario Land";
        QTest::newRow("the catalogue's name over the file's")
            << QStringList{cache + "|Named_Boxarts|Wario Land (Japan, USA)", cache + "|Named_Boxarts|Wario Land (Japan) (Rev 1)"}
            << "Named_Boxarts" << cache + "|Named_Boxarts|Wario Land (Japan) (Rev 1)";
        QTest::newRow("the short name last") << QStringList{mine + "|Named_Boxarts|Wario Land"} << "Named_Boxarts"
                                             << mine + "|Named_Boxarts|Wario Land";
        QTest::newRow("the chosen kind first") << QStringList{mine + "|Named_Boxarts|Wario Land", cache + "|Named_Snaps|Wario Land"}
                                               << "Named_Snaps" << cache + "|Named_Snaps|Wario Land";
        QTest::newRow("then box, title, screenshot")
            << QStringList{mine + "|Named_Snaps|Wario Land", mine + "|Named_Titles|Wario Land (Japan, USA)"}
            << "Named_Boxarts" << mine + "|Named_Titles|Wario Land (Japan, USA)";
        QTest::newRow("a folder of that name is no picture") << QStringList{mine + "|Named_Boxarts|Wario Land/x"}
                                                             << "Named_Boxarts" << "";
        QTest::newRow("none") << QStringList{} << "Named_Boxarts" << "";
    }
    void whichPictureIsShown()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, kind);
        QFETCH(QString, shown);
        QTemporaryDir home;
        const auto pathOf = [&](const QString& row) {
            const QStringList parts = row.split('|');
            return QString::fromStdString(picturePath(home.filePath(parts[0]).toStdString(),
                                                      *pictureKindOfFolder(parts[1].toStdString()),
                                                      parts[2].toStdString()));
        };
        for (const QString& row : files)
            touch(pathOf(row));
        const PictureSearch search{home.filePath("mine").toStdString(), home.path().toStdString(), "", ""};
        const auto found = findPicture(pictureFolders(search), pictureNames({"Wario Land (Japan) (Rev 1)"}, "Wario Land (Japan, USA).vb"),
                                       *pictureKindOfFolder(kind.toStdString()));
        QCOMPARE(found ? QString::fromStdString(*found) : QString(), shown.isEmpty() ? QString() : pathOf(shown));
    }

    void whereTheSetsAre()
    {
        QCOMPARE(strings(pictureFolders({"", "/home/me", "/xdg/config", "relative/cache"})),
                 QStringList({"/xdg/config/retroarch/thumbnails",
                              "/home/me/.var/app/org.libretro.RetroArch/config/retroarch/thumbnails",
                              "/home/me/.cache/kalmora-launcher/thumbnails"}));
        QCOMPARE(QString::fromStdString(pictureAddress("https://thumbnails.libretro.com/", PictureKind::Boxart,
                                                       "T_E Virtual Golf (Japan)")),
                 QString("https://thumbnails.libretro.com/Nintendo%20-%20Virtual%20Boy/Named_Boxarts/"
                         "T_E%20Virtual%20Golf%20%28Japan%29.png"));
        QCOMPARE(QString::fromStdString(pictureAddress("http://127.0.0.1:8000", PictureKind::Snap, "Mario's Tennis")),
                 QString("http://127.0.0.1:8000/Nintendo%20-%20Virtual%20Boy/Named_Snaps/Mario%27s%20Tennis.png"));
    }

    void settingsReadBack_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("read");  // show kind folder download base
        const QString defaults = "false Named_Boxarts  false https://thumbnails.libretro.com";
        QTest::newRow("empty") << QByteArray() << defaults;
        QTest::newRow("everything set") << QByteArray("[Pictures]\r\nShow=true\r\nKind=Named_Snaps\r\nFolder=/p q\r\n"
                                                      "Download=true\r\nBase=http://127.0.0.1:8000\r\n")
                                        << "true Named_Snaps /p q true http://127.0.0.1:8000";
        QTest::newRow("values that make no sense")
            << QByteArray("[Pictures]\nShow=yes\nKind=Named_Logos\nFolder=relative\nDownload=1\nBase=ftp://x\n") << defaults;
        QTest::newRow("keys outside the section") << QByteArray("Show=true\n[Other]\nDownload=true\n") << defaults;
        QTest::newRow("no line end, blanks around") << QByteArray("[Pictures]\n Show = true ") << "true Named_Boxarts  false https://thumbnails.libretro.com";
    }
    void settingsReadBack()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, read);
        const PictureSettings s = parsePictureSettings(text.toStdString());
        QCOMPARE(QString("%1 %2 %3 %4 %5")
                     .arg(s.show ? "true" : "false", QString::fromStdString(std::string(pictureKindFolder(s.kind))),
                          QString::fromStdString(s.folder), s.download ? "true" : "false", QString::fromStdString(s.base)),
                 read);
        QCOMPARE(parsePictureSettings(formatPictureSettings(s)), s);
    }

    // A file that cannot be read is left as it is; one that can is replaced whole.
    void settingsFileIsKeptBesideTheOptions()
    {
        QTemporaryDir dir;
        ConfigLocation location;
        location.folder = dir.path().toStdString();
        QVERIFY(loadPictureSettings(location).has_value());
        PictureSettings s;
        s.show = true;
        QVERIFY(savePictureSettings(location, s));
        QCOMPARE(loadPictureSettings(location), std::optional(s));
        s.folder = "/a\nShow=false";
        QVERIFY(!savePictureSettings(location, s));
        QFile big(dir.filePath("Pictures.ini"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        big.write(QByteArray(128 * 1024, '#'));
        big.close();
        QVERIFY(!loadPictureSettings(location).has_value());
    }

    void pngHeaders()
    {
        const std::string header("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x10\x01\0\0\0\x20", 24);
        QCOMPARE(pngSize(header), std::optional(std::pair{4097L, 32L}));
        QVERIFY(!pngSize(header.substr(0, 23)));
        QVERIFY(!pngSize("GIF89a" + header.substr(6)));
        QVERIFY(!hasPngSignature("<html>"));
    }
};

QTEST_GUILESS_MAIN(TestPictures)
#include "test_pictures.moc"
