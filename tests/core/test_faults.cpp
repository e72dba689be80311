// Faults from outside: saves killed part-way, a rename racing another process, folders the
// user may not read or write, hostile file contents.
#include <QtTest>

#include <dirent.h>
#include <dlfcn.h>
#include <locale.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <random>
#include <thread>

#include "browser/file_ops.h"
#include "browser/folder_listing.h"
#include "config/gui_settings.h"
#include "launch/wine_names.h"
#include "config/play_times.h"
#include "config/recent_games.h"
#include "config/settings_file.h"

using namespace kl;

// readdir as the program sees it: this definition comes first, so the core's calls reach it.
// When told to, it fails part-way through a folder, as a disk or a network folder may.
namespace {
int g_readdirFailAfter = -1;  // entries given before the failure; -1: never fails
}
extern "C" struct dirent* readdir(DIR* dir)
{
    using Real = struct dirent* (*)(DIR*);
    static const Real real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "readdir"));
    if (g_readdirFailAfter == 0) {
        errno = EIO;
        return nullptr;
    }
    if (g_readdirFailAfter > 0)
        --g_readdirFailAfter;
    return real(dir);
}

// read as the program sees it: when told to, a read of a regular file fails with EIO, as a
// failing disk or a network file system's may.
namespace {
bool g_regularReadsFail = false;
}
extern "C" ssize_t read(int fd, void* buffer, size_t size)
{
    using Real = ssize_t (*)(int, void*, size_t);
    static const Real real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "read"));
    struct stat status {};
    if (g_regularReadsFail && ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        errno = EIO;
        return -1;
    }
    return real(fd, buffer, size);
}

// newlocale as the program sees it: when told to, C.UTF-8 is missing, as on a system built
// without it.
namespace {
bool g_noUnicodeLocale = false;
}
extern "C" locale_t newlocale(int mask, const char* name, locale_t base)
{
    using Real = locale_t (*)(int, const char*, locale_t);
    static const Real real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "newlocale"));
    if (g_noUnicodeLocale && name && std::strcmp(name, "C.UTF-8") == 0) {
        errno = ENOENT;
        return nullptr;
    }
    return real(mask, name, base);
}

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Runs the check in a child process as a user without privileges: as root every permission
// test would pass, so root gives up its rights in the child first. The child's exit code 0
// means the check held.
bool holdsUnprivileged(const std::function<bool()>& check)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

EmulatorSettings recordWithPaths(const std::string& emu, const std::string& rom)
{
    EmulatorSettings s;
    resetEmulatorDefaults(s);
    s.setText(Field::txtEmuPath, emu);
    s.setText(Field::txtRomPath, rom);
    return s;
}

}  // namespace

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    // A save killed at a random point leaves each file either old or new, whole.
    void saveKilledAtRandomPoints()
    {
        QTemporaryDir dir;
        const QString settings = dir.filePath("Settings.ini");
        const QString gui = dir.filePath("GUI.ini");
        const EmulatorSettings oldRecord = recordWithPaths("/old/emu", "/old/roms");
        GuiSettings oldGui;
        GuiSettings newGui;
        newGui.theme(4) = true;
        newGui.themeDefault() = false;
        QVERIFY(saveSettingsFile(settings.toStdString(), oldRecord));
        QVERIFY(saveGuiFile(gui.toStdString(), oldGui));
        const QByteArray oldSettings = readAll(settings), oldGuiBytes = readAll(gui);
        // Long paths make the new file much longer, so a shortened file cannot pass for it.
        const EmulatorSettings newRecord =
            recordWithPaths("/new/" + std::string(3000, 'e'), "/new/" + std::string(3000, 'r'));
        const QByteArray newSettings = QByteArray::fromStdString(formatSettingsFile(newRecord));
        const QByteArray newGuiBytes = QByteArray::fromStdString(formatGuiFile(newGui));

        std::mt19937 random(12345);
        int sawOld = 0, sawNew = 0;
        for (int attempt = 0; attempt < 200; ++attempt) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                // Saves as the program does at exit, over and over, until killed.
                for (;;) {
                    saveSettingsFile(settings.toStdString(), newRecord);
                    saveGuiFile(gui.toStdString(), newGui);
                    saveSettingsFile(settings.toStdString(), oldRecord);
                    saveGuiFile(gui.toStdString(), oldGui);
                }
            }
            ::usleep(std::uniform_int_distribution<unsigned>(0, 3000)(random));
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            const QByteArray s = readAll(settings), g = readAll(gui);
            QVERIFY2(s == oldSettings || s == newSettings, qPrintable(QString("attempt %1: Settings.ini of %2 bytes")
                                                                          .arg(attempt)
                                                                          .arg(s.size())));
            QVERIFY2(g == oldGuiBytes || g == newGuiBytes, qPrintable(QString("attempt %1: GUI.ini").arg(attempt)));
            (s == oldSettings ? sawOld : sawNew)++;
            // A killed save may leave its temporary file; the next load never reads it.
            EmulatorSettings loaded;
            QVERIFY(loadSettingsFile(settings.toStdString(), loaded));
        }
        qInfo("old %d times, new %d times", sawOld, sawNew);
        // The next save of each file clears what killed saves left beside it.
        QVERIFY(saveSettingsFile(settings.toStdString(), oldRecord));
        QVERIFY(saveGuiFile(gui.toStdString(), oldGui));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList({"GUI.ini", "Settings.ini"}));
    }

    // Saves never touch the process's umask: a file another thread creates meanwhile gets the
    // mode the umask gives it, and so does a new configuration file.
    void savesLeaveTheUmaskAlone()
    {
        QTemporaryDir dir;
        const mode_t mask = ::umask(022);
        std::atomic<bool> saving{true};
        std::atomic<int> wrongModes{0};
        std::thread other([&] {
            for (int i = 0; saving; ++i) {
                const QByteArray path = QFile::encodeName(dir.filePath("other")) + QByteArray::number(i % 50);
                const int fd = ::open(path.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
                struct stat st {};
                if (fd >= 0 && ::fstat(fd, &st) == 0 && (st.st_mode & 0777) != 0644)
                    ++wrongModes;
                if (fd >= 0)
                    ::close(fd);
                ::unlink(path.constData());
            }
        });
        const EmulatorSettings record = recordWithPaths("/emu", "/roms");
        for (int i = 0; i < 3000; ++i) {
            const std::string path = dir.filePath("new" + QString::number(i % 20) + ".ini").toStdString();
            ::unlink(path.c_str());
            QVERIFY(saveSettingsFile(path, record));
            struct stat st {};
            QVERIFY(::stat(path.c_str(), &st) == 0 && (st.st_mode & 0777) == 0644);
        }
        saving = false;
        other.join();
        ::umask(mask);
        QCOMPARE(wrongModes.load(), 0);
    }

    // Another process creates the new name at the same moment: the rename either wins and
    // the other's create fails, or the rename fails and the other's file stays.
    void renameNeverReplacesARacingCreate()
    {
        QTemporaryDir dir;
        const QString from = dir.filePath("mine.vb"), to = dir.filePath("theirs.vb");
        int replaced = 0, renamed = 0, refused = 0;
        std::mt19937 random(777);
        for (int attempt = 0; attempt < 200; ++attempt) {
            QFile::remove(to);
            writeAll(from, "mine");
            int go[2];
            QVERIFY(::pipe(go) == 0);
            const pid_t pid = ::fork();
            if (pid == 0) {
                char c;
                ::close(go[1]);
                if (::read(go[0], &c, 1) != 1)
                    ::_exit(2);
                const int fd = ::open(to.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
                if (fd < 0)
                    ::_exit(1);
                const bool written = ::write(fd, "theirs", 6) == 6;
                ::close(fd);
                ::_exit(written ? 0 : 2);
            }
            ::close(go[0]);
            QCOMPARE(::write(go[1], "x", 1), ssize_t(1));
            ::close(go[1]);
            // Both orders happen, and some tries land the two calls at the same moment.
            ::usleep(std::uniform_int_distribution<unsigned>(0, 400)(random));
            const bool ok = renameFile(from.toStdString(), to.toStdString());
            int status = 0;
            ::waitpid(pid, &status, 0);
            QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) != 2);
            const bool theyCreated = WEXITSTATUS(status) == 0;
            if (ok && theyCreated) {
                ++replaced;  // their file would be gone
            } else if (ok) {
                ++renamed;
                QCOMPARE(readAll(to), QByteArray("mine"));
                QVERIFY(!QFile::exists(from));
            } else {
                ++refused;
                QVERIFY(theyCreated);
                QCOMPARE(readAll(to), QByteArray("theirs"));
                QCOMPARE(readAll(from), QByteArray("mine"));
            }
        }
        QCOMPARE(replaced, 0);
        qInfo("renamed %d times, refused %d times", renamed, refused);
    }

    void readOnlyDataFolderKeepsTheOldFile()
    {
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), QFile::Permissions(0x7555));
        const QString data = dir.filePath("Data");
        QVERIFY(QDir().mkdir(data));
        const QString settings = data + "/Settings.ini";
        QVERIFY(saveSettingsFile(settings.toStdString(), recordWithPaths("/a", "/b")));
        const QByteArray before = readAll(settings);
        QFile::setPermissions(data, QFile::Permissions(0x5555));  // r-x for everyone
        QFile::setPermissions(settings, QFile::Permissions(0x6666));  // the file itself is writable
        const bool refused = holdsUnprivileged([&] {
            return !saveSettingsFile(settings.toStdString(), recordWithPaths("/c", "/d"))
                   && !saveGuiFile((data + "/GUI.ini").toStdString(), GuiSettings{});
        });
        QFile::setPermissions(data, QFile::Permissions(0x7755));
        QVERIFY(refused);
        QCOMPARE(readAll(settings), before);
        QCOMPARE(QDir(data).entryList(QDir::Files | QDir::Hidden), QStringList{"Settings.ini"});
    }

    // A folder the user may write and enter but not list still takes a save.
    void writeOnlyFolderIsSavedInto()
    {
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), QFile::Permissions(0x7555));
        const QString data = dir.filePath("Data");
        QVERIFY(QDir().mkdir(data));
        QVERIFY(::chmod(QFile::encodeName(data).constData(), 0333) == 0);
        if (::geteuid() == 0)
            QVERIFY(::chown(QFile::encodeName(data).constData(), 65534, 65534) == 0);
        const std::string settings = (data + "/Settings.ini").toStdString();
        const bool saved = holdsUnprivileged([&] { return saveSettingsFile(settings, recordWithPaths("/c", "/d")); });
        QVERIFY(::chmod(QFile::encodeName(data).constData(), 0755) == 0);
        QVERIFY(saved);
        QCOMPARE(readAll(data + "/Settings.ini"), QByteArray::fromStdString(formatSettingsFile(recordWithPaths("/c", "/d"))));
    }

    void writeProtectedFileInAWritableFolderIsNotReplaced()
    {
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), QFile::Permissions(0x7777));
        const QString settings = dir.filePath("Settings.ini");
        QVERIFY(saveSettingsFile(settings.toStdString(), recordWithPaths("/a", "/b")));
        const QByteArray before = readAll(settings);
        QFile::setPermissions(settings, QFile::Permissions(0x4444));
        // The folder would let a rename replace the file; the user protected the file itself.
        QVERIFY(holdsUnprivileged([&] { return !saveSettingsFile(settings.toStdString(), recordWithPaths("/c", "/d")); }));
        QCOMPARE(readAll(settings), before);
    }

    void unreadableRomFolderListsNothing()
    {
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), QFile::Permissions(0x7555));
        const QString roms = dir.filePath("roms");
        QVERIFY(QDir().mkdir(roms));
        writeAll(roms + "/game.vb", "x");
        // Nobody may read it, the owner included, so the check holds for any user who runs it.
        QFile::setPermissions(roms, QFile::ExeOwner | QFile::WriteOwner | QFile::ExeUser | QFile::WriteUser
                                        | QFile::ExeGroup | QFile::ExeOther);
        QVERIFY(holdsUnprivileged([&] {
            const FolderListing listing = listFolder(roms.toStdString(), "*.vb");
            return listing.error == ListingError::Unreadable && listing.names.empty();
        }));
    }

    // A folder that cannot be read to its end is not shown as if it were complete.
    void folderFailingPartWayListsNothing()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 50; ++i)
            writeAll(dir.filePath(QString("game%1.vb").arg(i)), "x");
        g_readdirFailAfter = 20;
        const FolderListing listing = listFolder(dir.path().toStdString(), "*.vb");
        g_readdirFailAfter = -1;
        QCOMPARE(listing.error, ListingError::Unreadable);
        QVERIFY(listing.names.empty());
        QCOMPARE(listFolder(dir.path().toStdString(), "*.vb").names.size(), std::size_t(50));
    }

    // A state file that cannot be read is not replaced by one holding only the new change.
    void unreadableStateFilesAreKept_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("play times") << "play-times";
        QTest::newRow("recent games") << "recent-games";
    }
    void unreadableStateFilesAreKept()
    {
        QFETCH(QString, file);
        QTemporaryDir dir;
        const ConfigLocation where{false, dir.path().toStdString(), {}};
        const auto record = [&](const char* rom, std::int64_t end) {
            Sha1 game;
            game.fill(static_cast<std::uint8_t>(end));
            return file == "play-times" ? recordSession(where, {game, rom, std::chrono::seconds(30), end})
                                        : recordRecentGame(where, rom);
        };
        QVERIFY(record("/r/old.vb", 100));
        const QByteArray before = readAll(dir.filePath(file));
        g_regularReadsFail = true;
        const bool recorded = record("/r/new.vb", 200);
        g_regularReadsFail = false;
        QVERIFY(!recorded);
        QCOMPARE(readAll(dir.filePath(file)), before);
        QVERIFY(!QFile::exists(dir.filePath(file + ".damaged")));
        QVERIFY(record("/r/new.vb", 200));  // and once the disk reads again, both are there
        QVERIFY(readAll(dir.filePath(file)).contains("/r/old.vb"));
    }

    // Without C.UTF-8 a name that is not ASCII cannot be folded as Wine folds it for a short
    // name's hash: it gets none, and its start is refused, rather than a short name that may
    // open another file. ASCII names need no locale. (The locale is loaded once, here first.)
    void shortNamesWithoutUnicodeCaseFolding()
    {
        QTemporaryDir dir;
        const QByteArray accented = "Caf\xc3\xa9 Cr\xc3\xa8me.vb";
        writeAll(dir.filePath(QString::fromUtf8(accented)), "x");
        writeAll(dir.filePath("q\"uote.vb"), "x");
        const std::string folder = QFileInfo(dir.path()).canonicalFilePath().toStdString();
        g_noUnicodeLocale = true;
        const auto shortName = wineShortName(wineWideName(accented.toStdString()));
        const WindowsPath path = windowsPathFor(folder + '/' + accented.toStdString(), AnsiCharacters::Ascii);
        g_noUnicodeLocale = false;
        QVERIFY(!shortName);
        QCOMPARE(path.refusal, WindowsPath::Refusal::NoShortName);
        QCOMPARE(wineShortName(wineWideName("q\"uote.vb")), std::optional<std::string>("Q_UO~CVB.VB"));
        // An ASCII name that goes by its short name, beside the accented one: that one might
        // share it.
        QCOMPARE(windowsPathFor(folder + "/q\"uote.vb", AnsiCharacters::Ascii).refusal,
                 WindowsPath::Refusal::NoShortName);
    }

    void hostileFileContents_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Settings.ini, 50 MB on one line") << "Settings.ini" << QByteArray(50 << 20, 'x');
        QTest::newRow("Settings.ini, NUL bytes") << "Settings.ini" << QByteArray("/emu\0dir\r\n/roms\r\n", 17);
        QTest::newRow("GUI.ini, NUL bytes") << "GUI.ini" << QByteArray("True\r\nFal\0se\r\nTrue\r\n", 20);
        QTest::newRow("GUI.ini, 50 MB on one line") << "GUI.ini" << QByteArray(50 << 20, 'T');
        QTest::newRow("GUI.ini, a million empty lines") << "GUI.ini" << QByteArray(1 << 20, '\r');
    }
    void hostileFileContents()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(file);
        writeAll(path, bytes);
        if (file == "Settings.ini") {
            EmulatorSettings s = recordWithPaths("/kept", "/kept");
            QVERIFY(!loadSettingsFile(path.toStdString(), s));
            // The damage is not read; every option takes its default and the paths stay.
            QCOMPARE(formatSettingsFile(s), formatSettingsFile(recordWithPaths("/kept", "/kept")));
        } else {
            GuiSettings g;
            QVERIFY(!loadGuiFile(path.toStdString(), g));
            if (bytes.startsWith("True\r\n"))
                QVERIFY(g.fileType(1));
        }
        QCOMPARE(readAll(path).size(), bytes.size());  // loading never writes
    }
};

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
