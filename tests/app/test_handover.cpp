// The hand-over socket with a real window behind it: a ROM file handed over launches with
// what the window shows and changes nothing else; anything else sent is ignored.
#include <QtTest>

#include <QLineEdit>
#include <QElapsedTimer>
#include <QSignalSpy>

#include <future>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/un.h>
#include <unistd.h>

#include "bytes.h"
#include "ipc/handover.h"
#include "window_fixture.h"

namespace {

// Sends raw bytes the way a hostile or broken client would, then closes. The window runs in
// this thread, so the socket must not block while the window has not read yet.
void sendRaw(const QString& socketPath, const QByteArray& bytes)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socketPath);
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()) + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    QVERIFY(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent, static_cast<std::size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EAGAIN) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            continue;
        }
        if (n <= 0)
            break;  // the window hung up on an oversized message
        sent += n;
    }
    ::close(fd);
}

// The second process's end of a hand-over, from a thread of its own: the window answers
// from this thread's event loop, which runs meanwhile.
bool handedOver(const std::string& socket, const std::string& file)
{
    auto answer = std::async(std::launch::async, [=] { return handOver(socket, file); });
    while (answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return answer.get() == Handover::Taken;
}

// A started window listening for hand-overs, as main sets it up.
struct Listening : WindowFixture {
    HandoverServer server;
    QString socket = root.filePath("handover.sock");

    Listening()
    {
        defaults();
        start();
        QVERIFY(server.listen(socket.toStdString()));
        takeHandedFiles(server, *window);
    }
};

}  // namespace

class TestHandover : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void handedFileLaunchesWithTheWindowsOptions()
    {
        Listening fx;
        frmKL& w = *fx.window;
        const QString& socket = fx.socket;
        QSignalSpy handed(&fx.server, &HandoverServer::fileHanded);

        fx.select("b game.vb");
        w.chkFlip->setChecked(true);  // shown, not saved
        const QString status = w.lblStatus->text();
        const QStringList entries = w.lstFiles->entries();

        const QString elsewhere = fx.root.filePath("other $(x) 'q'\nline");
        QDir().mkpath(elsewhere);
        const QByteArray file = QFile::encodeName(elsewhere) + "/Wario \xe9.vb";
        const int fd = ::open(file.constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(fd >= 0 && ::close(fd) == 0);
        QVERIFY(handedOver(socket.toStdString(), file.toStdString()));
        QTRY_COMPARE(handed.size(), 1);

        QCOMPARE(fx.platform.boxes.size(), 0);
        QCOMPARE(fx.platform.starts.size(), 1);
        const kl::LaunchCommand started = fx.platform.starts[0].command;
        QCOMPARE(QByteArray::fromStdString(started.arguments.at(0)), file);
        QCOMPARE(QString::fromStdString(started.program), fx.emu + "/kalmora_boy.exe");
        QCOMPARE(fx.platform.starts[0].arguments.mid(1).join(' '),
                 QString("-display frame -dspmode normal -pallet normal -brite 1.0 -flip -sclscr 1 -frmskp 0"));
        QCOMPARE(w.lblStatus->text(), QString("Status: Emulator launched with file \"Wario \uFFFD.vb\""));
        QCOMPARE(w.lstFiles->entries(), entries);
        QCOMPARE(w.lstFiles->fileName(), QString("b game.vb"));
        QCOMPARE(w.txtRomPath->text(), fx.roms);
        QVERIFY(status != w.lblStatus->text());

        // A file that is gone by the time it arrives is named in an error box.
        QVERIFY(handedOver(socket.toStdString(), (fx.root.filePath("gone.vb")).toStdString()));
        QTRY_COMPARE(fx.platform.boxes.size(), 1);
        QCOMPARE(fx.platform.boxes[0].text, "File \"" + fx.root.filePath("gone.vb") + "\" was not found.");
        QCOMPARE(fx.platform.boxes[0].title, QString("Error"));
        QCOMPARE(fx.platform.starts.size(), 1);
        QVERIFY(::unlink(file.constData()) == 0);  // QTemporaryDir removes by text
    }

    void anythingButOneAbsolutePathIsIgnored_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("nothing") << QByteArray();
        QTest::newRow("a lone NUL") << QByteArray(1, '\0');
        QTest::newRow("garbage") << QByteArray("\xff\xfe GET / HTTP/1.0\r\n\r\n");
        QTest::newRow("a path without its NUL") << QByteArray("@/b game.vb");
        QTest::newRow("a relative path") << QByteArray("roms/b game.vb") + '\0';
        QTest::newRow("two paths") << QByteArray("@/b game.vb") + '\0' + QByteArray("@/c.zip") + '\0';
        QTest::newRow("a path with more after it") << QByteArray("@/b game.vb") + '\0' + "x";
        QTest::newRow("oversized") << QByteArray("@/") + QByteArray(1 << 20, 'a') + '\0';
        QTest::newRow("just too long") << QByteArray("/") + QByteArray(4096, 'a') + '\0';
    }
    void anythingButOneAbsolutePathIsIgnored()
    {
        QFETCH(QByteArray, message);
        Listening fx;
        frmKL& w = *fx.window;
        const QString& socket = fx.socket;
        QSignalSpy handed(&fx.server, &HandoverServer::fileHanded);
        fx.select("A Game.VB");
        const QString status = w.lblStatus->text();

        message.replace("@", QFile::encodeName(fx.roms));
        sendRaw(socket, message);
        // A good message after the bad one is taken: the window still listens, and the bad
        // one was dropped, not delivered late.
        QVERIFY(handedOver(socket.toStdString(), (fx.roms + "/b game.vb").toStdString()));
        QTRY_COMPARE(handed.size(), 1);
        QTest::qWait(50);
        QCOMPARE(handed.size(), 1);
        QCOMPARE(fx.platform.starts.size(), 1);
        QCOMPARE(fx.platform.starts[0].arguments.value(0), fx.roms + "/b game.vb");
        QVERIFY(fx.platform.boxes.isEmpty());
        QCOMPARE(w.lstFiles->fileName(), QString("A Game.VB"));
        QVERIFY(status != w.lblStatus->text());
    }

    // Another user gets nowhere even where the folder and the socket would let him in: the
    // window asks the kernel who is on the other end.
    void anotherUserIsRefused()
    {
        if (::geteuid() != 0)
            QSKIP("needs root, to connect as another user");
        Listening fx;
        QSignalSpy handed(&fx.server, &HandoverServer::fileHanded);
        QVERIFY(QFile::setPermissions(fx.root.path(), QFileDevice::Permissions(0x7777)));
        QVERIFY(::chmod(QFile::encodeName(fx.socket).constData(), 0777) == 0);
        const std::string socket = fx.socket.toStdString();
        const std::string file = (fx.roms + "/b game.vb").toStdString();
        // Everything the child needs is made before the fork: a child of a process with
        // threads may only make async-signal-safe calls.
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, socket.c_str(), socket.size() + 1);
        const std::string message = file + '\0';
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(3);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
                ::_exit(1);
            const bool sent = ::send(fd, message.data(), message.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(message.size());
            ::_exit(sent ? 0 : 2);
        }
        int status = 0;
        bool ended = false;  // the macro asks once more after the loop; a child is reaped once
        QTRY_VERIFY(ended || (ended = ::waitpid(pid, &status, WNOHANG) == pid));
        QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the other user could not even connect");
        QTest::qWait(200);
        QCOMPARE(handed.size(), 0);
        QVERIFY(fx.platform.starts.isEmpty());
        // The owner still can.
        QVERIFY(handedOver(socket, file));
        QTRY_COMPARE(handed.size(), 1);
    }

    // A window that has begun to exit (saving its options, perhaps showing why that failed)
    // starts nothing more, and says so: the file is not counted as taken.
    void anExitingWindowTakesNothing()
    {
        Listening fx;
        fx.window->mnuFileExit_Click();
        QCOMPARE(fx.platform.ends, 1);
        QVERIFY(!handedOver(fx.socket.toStdString(), (fx.roms + "/b game.vb").toStdString()));
        QTest::qWait(100);
        QVERIFY(fx.platform.starts.isEmpty());
    }

    // A window that does not answer (stopped, or busy) within a few seconds has not taken the
    // file; when it reads the file later it must not start it, for the second process has.
    void aWindowThatDoesNotAnswerTakesNothing()
    {
        Listening fx;
        QElapsedTimer clock;
        clock.start();
        // This thread runs the window, so it cannot answer while the hand-over waits.
        QCOMPARE(handOver(fx.socket.toStdString(), (fx.roms + "/b game.vb").toStdString()), Handover::Refused);
        QVERIFY2(clock.elapsed() < 8000, "the hand-over waited too long");
        QTest::qWait(500);
        QVERIFY(fx.platform.starts.isEmpty());
        QVERIFY(fx.platform.boxes.isEmpty());
        // And the window still takes the next one.
        QVERIFY(handedOver(fx.socket.toStdString(), (fx.roms + "/b game.vb").toStdString()));
        QTRY_COMPARE(fx.platform.starts.size(), 1);
    }

    // A window that was killed leaves its socket file: nobody answers there, so a hand-over
    // fails at once (the file is launched without a window) and the next window takes the place.
    void aDeadWindowsSocketBlocksNothing()
    {
        QTemporaryDir dir;
        const QString socket = dir.filePath("handover.sock");
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, QFile::encodeName(socket).constData(), static_cast<std::size_t>(socket.size()) + 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        QVERIFY(::listen(fd, 1) == 0);
        ::close(fd);  // as a SIGKILL would: the file stays, nobody listens
        QVERIFY(QFileInfo::exists(socket));
        QCOMPARE(handOver(socket.toStdString(), "/roms/a.vb"), Handover::NoWindow);

        HandoverServer first;
        QVERIFY(first.listen(socket.toStdString()));
        QSignalSpy handed(&first, &HandoverServer::fileHanded);
        // A live window's socket is not taken over.
        HandoverServer second;
        QVERIFY(!second.listen(socket.toStdString()));
        QVERIFY(handedOver(socket.toStdString(), "/roms/a.vb"));
        QTRY_COMPARE(handed.size(), 1);
        QCOMPARE(handed[0][0].value<std::string>(), std::string("/roms/a.vb"));
    }
};

QTEST_MAIN(TestHandover)
#include "test_handover.moc"
