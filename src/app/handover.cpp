// The hand-over socket: a QLocalServer in the window, a plain socket in the second process.
#include "handover.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <cerrno>
#include <memory>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A silent client must not hold a connection (and its buffer) for long.
constexpr int kConnectionTimeoutMs = 5000;
constexpr qsizetype kMaxMessage = static_cast<qsizetype>(kMaxHandedPath) + 1;  // the path and its NUL

// What one connection sent so far; once refused, nothing it sends is read as a path.
struct Connection {
    QByteArray bytes;
    bool refused = false;
};

// A connected socket to the path, or -1 when nobody answers there.
int connectTo(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool fromThisUser(qintptr descriptor)
{
    ucred peer{};
    socklen_t length = sizeof peer;
    return ::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0
           && peer.uid == ::getuid();
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
    const int live = connectTo(socketPath);
    if (live >= 0) {
        ::close(live);
        return false;
    }
    QLocalServer::removeServer(QString::fromLocal8Bit(socketPath.c_str()));
    m_path = socketPath;
    return m_server->listen(QString::fromLocal8Bit(socketPath.c_str()));
}

void HandoverServer::accept()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        auto connection = std::make_shared<Connection>();
        const auto refuse = [socket, connection] {
            connection->refused = true;
            socket->abort();
        };
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const auto take = [socket, connection, refuse] {
            if (connection->refused)
                return;
            connection->bytes += socket->read(kMaxMessage + 1 - connection->bytes.size());
            if (connection->bytes.size() > kMaxMessage)
                refuse();  // more than any path: not a message of ours
        };
        connect(socket, &QLocalSocket::readyRead, socket, take);
        // Whatever came with the close is read too; the message is complete only then.
        connect(socket, &QLocalSocket::disconnected, this, [this, connection, take] {
            take();
            if (!connection->refused)
                finish(connection->bytes);
            connection->refused = true;
        });
        QTimer::singleShot(kConnectionTimeoutMs, socket, refuse);
        if (!fromThisUser(socket->socketDescriptor()))
            refuse();
    }
}

void HandoverServer::finish(const QByteArray& message)
{
    // Exactly: an absolute path, one NUL at its end, nothing after it.
    if (message.size() < 2 || message.size() > kMaxMessage || message.front() != '/'
        || message.indexOf('\0') != message.size() - 1)
        return;
    emit fileHanded(std::string(message.constData(), static_cast<std::size_t>(message.size() - 1)));
}

bool handOver(const std::string& socketPath, const std::string& absolutePath)
{
    const int fd = connectTo(socketPath);
    if (fd < 0)
        return false;
    const std::string message = absolutePath + '\0';
    std::size_t sent = 0;
    while (sent < message.size()) {
        const ssize_t n = ::send(fd, message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return sent == message.size();
}
