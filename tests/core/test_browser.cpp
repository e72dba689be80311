// Folder listing and the pattern rules, the size text and the theme table.
#include <QtTest>

#include <algorithm>
#include <random>

#include <unistd.h>

#include "browser/folder_listing.h"
#include "theme/theme_colors.h"

using namespace kl;

namespace {

void touch(const QString& path, int bytes = 0)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(bytes, 'x'));
}

QStringList toList(const NameList& names)
{
    QStringList out;
    for (const std::string_view n : names)
        out << QString::fromUtf8(n.data(), qsizetype(n.size()));
    return out;
}

}  // namespace

class TestBrowser : public QObject {
    Q_OBJECT
private slots:
    void wildcards_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("match");
        QTest::newRow("vb") << "*.vb" << "game.vb" << true;
        QTest::newRow("upper case name") << "*.vb" << "GAME.VB" << true;
        QTest::newRow("other extension") << "*.vb" << "game.vbx" << false;
        QTest::newRow("extension only") << "*.vb" << ".vb" << true;
        QTest::newRow("double extension") << "*.zip" << "set.vb.zip" << true;
        QTest::newRow("star backtracks") << "*a*b" << "xaxxab" << true;
        QTest::newRow("star backtrack fails") << "*a*b" << "xaxxa" << false;
        QTest::newRow("question mark") << "g?me.vb" << "game.vb" << true;
        QTest::newRow("question mark needs one") << "g?me.vb" << "gme.vb" << false;
        QTest::newRow("question mark is one character") << "?.vb" << "ü.vb" << true;
        QTest::newRow("all with extension") << "*.*" << "game.vb" << true;
        QTest::newRow("all without extension") << "*.*" << "README" << true;
        QTest::newRow("name dot star") << "game.*" << "game" << true;
        QTest::newRow("hidden marker") << "*._dontdisplayfiles" << "x._dontdisplayfiles" << true;
        QTest::newRow("hidden marker other") << "*._dontdisplayfiles" << "x.vb" << false;
        QTest::newRow("exact") << "a.vb" << "A.VB" << true;
        QTest::newRow("non-ASCII not folded") << "*É.vb" << "é.vb" << false;
    }
    void wildcards()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, match);
        QCOMPARE(wildcardMatch(pattern.toStdString(), name.toStdString()), match);
    }

    // The list takes short cuts for the usual shapes; they must agree with the matcher.
    void patternListShortCutsAgreeWithTheMatcher()
    {
        const char* const patterns[] = {"*", "**", "*.*", "*.**", "**.*", "*.", "*.*.*", ".*", "*.vb", "*.VB",
                                        "*.v?", "*vb", "a*", "*b*.zip", "?*", "*.tar.gz", "*.", "*?"};
        const char* const names[] = {"a.vb", "A.VB", "abc", "abc.", ".vb", "x.vbs", "vb", "\xc3\xa4.vb", "b.zip",
                                     "a.b.c", "Long Name (USA).Vb", "x.TAR.GZ", "v", "ab.vB"};
        for (const char* p : patterns)
            for (const char* n : names)
                QVERIFY2(PatternList(p).matches(n) == wildcardMatch(p, n), qPrintable(QString("%1 on %2").arg(p, n)));
    }

    void sortingIgnoresCaseOverLongCommonPrefixes_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("less");
        QTest::newRow("differs after 8 bytes") << "Mario Clash A" << "mario clash b" << true;
        QTest::newRow("case only, 16 shared") << "Galactic PinbalL" << "Galactic Pinball" << true;  // byte tie-break
        QTest::newRow("case then letter") << "WARIO LAND (USA) 2" << "wario land (usa) 1" << false;
        QTest::newRow("prefix is less") << "Red Alarm (Japan)" << "red alarm (japan).vb" << true;
        QTest::newRow("equal") << "Golf.vb" << "Golf.vb" << false;
        QTest::newRow("bracket sorts before folded letters") << "ABC[" << "abcd" << true;  // 0x5B < 0x64
    }
    void sortingIgnoresCaseOverLongCommonPrefixes()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, less);
        // A byte-by-byte reference: fold A-Z, compare, shorter first, bytes break ties.
        auto reference = [](const std::string& x, const std::string& y) {
            auto f = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
            for (std::size_t i = 0; i < std::min(x.size(), y.size()); ++i)
                if (f(x[i]) != f(y[i]))
                    return static_cast<unsigned char>(f(x[i])) < static_cast<unsigned char>(f(y[i]));
            return x.size() != y.size() ? x.size() < y.size() : x < y;
        };
        const std::string x = a.toStdString(), y = b.toStdString();
        QCOMPARE(lessIgnoringCase(x, y), reference(x, y));
        QCOMPARE(lessIgnoringCase(y, x), reference(y, x));
        QCOMPARE(lessIgnoringCase(x, y), less);
    }

    // Names are packed into fixed blocks: ones that fill a block exactly, overflow it by a
    // byte, or are larger than a block must all come back whole, also after a sort.
    void packedNamesComeBackWhole_data()
    {
        QTest::addColumn<QList<int>>("lengths");
        QTest::newRow("empty names") << QList<int>{0, 0, 3, 0};
        QTest::newRow("block filled exactly") << QList<int>{65535, 1, 1};
        QTest::newRow("one byte over a block") << QList<int>{65535, 2, 5};
        QTest::newRow("larger than a block") << QList<int>{10, 70000, 10, 200000};
        QTest::newRow("many blocks") << QList<int>(3000, 255);
    }
    void packedNamesComeBackWhole()
    {
        QFETCH(QList<int>, lengths);
        std::vector<std::string> names;
        NameList packed;
        for (int i = 0; i < lengths.size(); ++i) {
            std::string name(std::size_t(lengths[i]), char('a' + i % 26));
            if (!name.empty())
                name.back() = char('A' + (lengths.size() - i) % 26);  // a sort moves them about
            names.push_back(name);
            packed.push_back(name);
        }
        const NameList copy = packed;
        const std::vector<std::string> original = names;
        QVERIFY(std::equal(packed.begin(), packed.end(), names.begin(), names.end()));
        sortIgnoringCase(packed);
        std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return lessIgnoringCase(a, b); });
        QVERIFY(std::equal(packed.begin(), packed.end(), names.begin(), names.end()));
        // The copy keeps its own order and bytes.
        QVERIFY(std::equal(copy.begin(), copy.end(), original.begin(), original.end()));
    }

    // The fast sort must give exactly the comparison's order: random names with long shared
    // prefixes, case pairs, bytes above 0x7F and names ending inside and at 8-byte steps.
    void fastSortGivesTheComparisonOrder()
    {
        std::mt19937 random(20261208);
        const std::string alphabet = "aAbBzZ[]@`_ .-09\xc3\xa4\x80\xff";
        for (int round = 0; round < 200; ++round) {
            std::vector<std::string> names;
            const int count = int(random() % 2500);
            for (int i = 0; i < count; ++i) {
                std::string name = random() % 2 ? "Common Prefix Of Sixteen+ " : (random() % 2 ? "Common P" : "");
                for (unsigned k = random() % 20; k > 0; --k)
                    name += alphabet[random() % alphabet.size()];
                names.push_back(name.empty() ? "x" : name);
            }
            NameList packed;
            for (const std::string& name : names)
                packed.push_back(name);
            sortIgnoringCase(packed);
            std::sort(names.begin(), names.end(),
                      [](const std::string& a, const std::string& b) { return lessIgnoringCase(a, b); });
            QVERIFY2(std::equal(packed.begin(), packed.end(), names.begin(), names.end()),
                     qPrintable(QString("round %1").arg(round)));
        }
    }

    void patternListsSplitAtSemicolons()
    {
        const PatternList both("*.vb;*.zip");
        QVERIFY(both.matches("a.vb"));
        QVERIFY(both.matches("a.ZIP"));
        QVERIFY(!both.matches("a.txt"));
        QVERIFY(!PatternList("").matches("a.vb"));
        QCOMPARE(FileTypePattern(3), std::string_view("*.vb;*.zip"));
        QCOMPARE(FileTypePattern(4), std::string_view("*.*"));
        QVERIFY(FileTypePattern(5).empty());
        QCOMPARE(fileTypeStatus(2), std::string_view("Status: Now viewing compressed (*.zip) files in current folder"));
    }

    void listingFiltersSortsAndSkipsFolders()
    {
        QTemporaryDir dir;
        for (const char* name : {"b.vb", "A.VB", "c.zip", "notes.txt", "a b $(x).vb", "ü.vb", ".hidden.vb"})
            touch(dir.filePath(QString::fromUtf8(name)));
        QVERIFY(QDir(dir.path()).mkdir("folder.vb"));
        QVERIFY(QFile::link(dir.filePath("b.vb"), dir.filePath("link.vb")));
        QVERIFY(QFile::link(dir.filePath("folder.vb"), dir.filePath("dirlink.vb")));
        QVERIFY(QFile::link(dir.filePath("missing"), dir.filePath("broken.vb")));

        const FolderListing vb = listFolder(dir.path().toStdString(), "*.vb");
        QCOMPARE(vb.error, ListingError::None);
        QCOMPARE(toList(vb.names), QStringList({"a b $(x).vb", "A.VB", "b.vb", "link.vb", "ü.vb"}));
        const FolderListing all = listFolder(dir.path().toStdString(), "*.*");
        QCOMPARE(toList(all.names), QStringList({"a b $(x).vb", "A.VB", "b.vb", "c.zip", "link.vb", "notes.txt", "ü.vb"}));
        QVERIFY(listFolder(dir.path().toStdString(), std::string(HideAllPattern)).names.empty());
    }

    void listingErrors()
    {
        QTemporaryDir dir;
        touch(dir.filePath("file"));
        QCOMPARE(listFolder(dir.filePath("nope").toStdString(), "*.*").error, ListingError::Missing);
        QCOMPARE(listFolder(dir.filePath("file").toStdString(), "*.*").error, ListingError::NotAFolder);
        // Trailing blanks are part of a Linux folder name.
        QCOMPARE(listFolder(dir.path().toStdString() + " ", "*.*").error, ListingError::Missing);
        QVERIFY(QDir(dir.path()).mkdir("locked"));
        QVERIFY(QFile::setPermissions(dir.filePath("locked"), QFile::WriteOwner));
        if (::geteuid() != 0)
            QCOMPARE(listFolder(dir.filePath("locked").toStdString(), "*.*").error, ListingError::Unreadable);
        QFile::setPermissions(dir.filePath("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void caseInsensitiveOrder()
    {
        QVERIFY(lessIgnoringCase("apple.vb", "Banana.vb"));
        QVERIFY(!lessIgnoringCase("Banana.vb", "apple.vb"));
        QVERIFY(lessIgnoringCase("A.vb", "a.vb"));  // ties broken by bytes, so the order is total
        QVERIFY(lessIgnoringCase("a", "ab"));
    }

    void sizeTexts_data()
    {
        QTest::addColumn<qulonglong>("bytes");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0ull << "," << "0 Bytes";
        QTest::newRow("999") << 999ull << "," << "999 Bytes";
        QTest::newRow("1000") << 1000ull << "," << "1,000 Bytes";
        QTest::newRow("1 MiB") << 1048576ull << "," << "1,048,576 Bytes";
        QTest::newRow("German") << 1048576ull << "." << "1.048.576 Bytes";
        QTest::newRow("large") << 123456789012ull << "," << "123,456,789,012 Bytes";
    }
    void sizeTexts()
    {
        QFETCH(qulonglong, bytes);
        QFETCH(QString, separator);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(sizeText(bytes, separator.toStdString())), text);
    }

    void fileSizes()
    {
        QTemporaryDir dir;
        touch(dir.filePath("empty.vb"));
        touch(dir.filePath("k.vb"), 1024);
        QCOMPARE(fileSize(dir.filePath("empty.vb").toStdString()), std::optional<std::uint64_t>(0));
        QCOMPARE(fileSize(dir.filePath("k.vb").toStdString()), std::optional<std::uint64_t>(1024));
        // A doubled separator after the root reads the same file.
        QCOMPARE(fileSize("/" + dir.filePath("k.vb").toStdString()), std::optional<std::uint64_t>(1024));
        QVERIFY(!fileSize(dir.filePath("gone.vb").toStdString()));
        QVERIFY(!fileSize(dir.path().toStdString()));
    }

    void themes_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<uint>("text");
        QTest::addColumn<uint>("background");
        QTest::newRow("Beach") << 1 << 0x00004080u << 0x00C0E0FFu;
        QTest::newRow("C-64") << 2 << 0x00FFFFFFu << 0x00C00000u;
        QTest::newRow("Gothic") << 3 << 0x000000FFu << 0x00000000u;
        QTest::newRow("Matrix") << 4 << 0x0000FF00u << 0x00000000u;
        QTest::newRow("Retro") << 5 << 0x00E0E0E0u << 0x00404040u;
        QTest::newRow("Romance") << 6 << 0x00000080u << 0x00FFC0FFu;
        QTest::newRow("Spring") << 7 << 0x00004000u << 0x00C0FFC0u;
        QTest::newRow("Summer") << 8 << 0x00800000u << 0x00C0FFFFu;
    }
    void themes()
    {
        QFETCH(int, index);
        QFETCH(uint, text);
        QFETCH(uint, background);
        const auto colors = themeColors(index);
        QVERIFY(colors);
        QCOMPARE(colors->text, text);
        QCOMPARE(colors->background, background);
    }

    void colourValues()
    {
        QVERIFY(!themeColors(0));
        QVERIFY(!themeColors(9));
        QCOMPARE(systemColorNumber(defaultColors().text), 8);
        QCOMPARE(systemColorNumber(defaultColors().background), 5);
        QVERIFY(isSystemColor(kSystemWindowBackground));
        // Beach's brown is (128, 64, 0): red sits in the lowest byte.
        QCOMPARE(red(0x00004080), 128);
        QCOMPARE(green(0x00004080), 64);
        QCOMPARE(blue(0x00C00000), 192);
    }
};

QTEST_GUILESS_MAIN(TestBrowser)
#include "test_browser.moc"
