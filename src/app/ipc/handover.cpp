// The hand-over socket: a QLocalServer in the window, a plain socket in the second process.
#include "handover.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A silent client must not hold a connection (and its buffer) for long.
constexpr int kConnectionTimeoutMs = 5000;
// How long the second process waits for the window's answer; well below the window's own.
constexpr int kAnswerTimeoutMs = 3000;
constexpr qsizetype kMaxMessage = static_cast<qsizetype>(kMaxHandedPath) + 1;  // the path and its NUL
constexpr char kAccept = 'A';
constexpr char kRefuse = 'X';
constexpr char kGo = 'G';

// What one connection sent so far, and how far the exchange got; once refused, nothing it
// sends is read any more.
struct Connection {
    enum class State { Path, Go, Done } state = State::Path;
    QByteArray bytes;
    std::string path;
};

// A connected socket to the path, or -1 when nobody listens there. A listener whose queue is
// full (a stopped window) counts as one that does not answer.
int connectTo(const std::string& path, bool& listening)
{
    listening = false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        listening = errno == EAGAIN;
        ::close(fd);
        return -1;
    }
    listening = true;
    return fd;
}

bool fromThisUser(qintptr descriptor)
{
    ucred peer{};
    socklen_t length = sizeof peer;
    return ::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0
           && peer.uid == ::getuid();
}

// Exactly an absolute path, one NUL at its end, nothing after it.
bool isPathMessage(const QByteArray& message)
{
    return message.size() >= 2 && message.size() <= kMaxMessage && message.front() == '/'
           && message.indexOf('\0') == message.size() - 1;
}

// Waits for one byte until the deadline; 0 when none came.
char answerBy(int fd, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return 0;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return 0;
        char byte = 0;
        const ssize_t n = ::recv(fd, &byte, 1, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        return n == 1 ? byte : 0;
    }
}

bool sendAll(int fd, const std::string& bytes, std::chrono::steady_clock::time_point deadline)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 50);
            continue;
        }
        return false;
    }
    return true;
}

}  // namespace

HandoverServer::HandoverServer(QObject* parent) : QObject(parent), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &HandoverServer::accept);
}

HandoverServer::~HandoverServer()
{
    // The next start finds no socket file of ours; one it does find came from a crash.
    if (m_server->isListening())
        m_server->close();
}

bool HandoverServer::listen(const std::string& socketPath)
{
    bool listening = false;
    const int live = connectTo(socketPath, listening);
    if (live >= 0)
        ::close(live);
    if (listening)
        return false;
    QLocalServer::removeServer(QString::fromLocal8Bit(socketPath.c_str()));
    m_path = socketPath;
    return m_server->listen(QString::fromLocal8Bit(socketPath.c_str()));
}

void HandoverServer::accept()
{
    using State = Connection::State;
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        auto connection = std::make_shared<Connection>();
        const auto refuse = [socket, connection] {
            connection->state = State::Done;
            socket->abort();
        };
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const auto take = [this, socket, connection, refuse] {
            if (connection->state == State::Done)
                return;
            connection->bytes += socket->read(kMaxMessage + 1 - connection->bytes.size());
            if (connection->state == State::Path) {
                if (connection->bytes.size() > kMaxMessage)
                    return refuse();  // more than any path: not a message of ours
                if (!connection->bytes.contains('\0'))
                    return;
                if (!isPathMessage(connection->bytes))
                    return refuse();
                if (!m_taking()) {
                    socket->write(&kRefuse, 1);
                    socket->flush();
                    connection->state = State::Done;
                    return socket->disconnectFromServer();
                }
                connection->path.assign(connection->bytes.constData(), static_cast<std::size_t>(connection->bytes.size() - 1));
                connection->bytes.clear();
                connection->state = State::Go;
                socket->write(&kAccept, 1);
                socket->flush();
                return;
            }
            // Only the confirmation may follow; the second process sends it once it has
            // counted the file as taken, so the file starts here and nowhere else.
            if (connection->bytes != QByteArray(1, kGo))
                return refuse();
            connection->state = State::Done;
            socket->disconnectFromServer();
            emit fileHanded(connection->path);
        };
        connect(socket, &QLocalSocket::readyRead, socket, take);
        QTimer::singleShot(kConnectionTimeoutMs, socket, refuse);
        if (!fromThisUser(socket->socketDescriptor()))
            refuse();
        else if (socket->bytesAvailable() > 0)
            take();
    }
}

Handover handOver(const std::string& socketPath, const std::string& absolutePath)
{
    bool listening = false;
    const int fd = connectTo(socketPath, listening);
    if (fd < 0)
        return listening ? Handover::Refused : Handover::NoWindow;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerTimeoutMs);
    Handover result = Handover::Refused;
    if (sendAll(fd, absolutePath + '\0', deadline) && answerBy(fd, deadline) == kAccept
        && sendAll(fd, std::string(1, kGo), deadline))
        result = Handover::Taken;
    ::close(fd);
    return result;
}
