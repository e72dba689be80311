// Handing a ROM file to the running window over a local socket: one absolute path per
// connection, its bytes ended by a NUL (no path holds one), from the same user only.
#pragma once

#include <QObject>

#include <string>

class QByteArray;
class QLocalServer;

// PATH_MAX: longer is no path the kernel would open, and the window reads no more.
inline constexpr std::size_t kMaxHandedPath = 4096;

// The window's end. Anything but one absolute path of at most kMaxHandedPath bytes from a
// process of this user is dropped without a word; so is a connection that stays silent.
class HandoverServer : public QObject {
    Q_OBJECT
public:
    explicit HandoverServer(QObject* parent = nullptr);
    ~HandoverServer() override;
    // Listens at the path. A socket file left by a window that died is replaced; one that
    // answers belongs to a live window and is left alone (false).
    bool listen(const std::string& socketPath);

signals:
    void fileHanded(const std::string& absolutePath);

private:
    void accept();
    void finish(const QByteArray& message);

    QLocalServer* m_server;
    std::string m_path;
};

// The other end, in the second process: true when a window took the path (it then launches
// it); false when nobody listens there.
bool handOver(const std::string& socketPath, const std::string& absolutePath);
