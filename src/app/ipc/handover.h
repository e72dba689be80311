// Handing a ROM file to the running window over a local socket, from the same user only.
// The second process sends one absolute path ended by a NUL (no path holds one); the window
// answers 'A' when it will take it, or 'X' when it will not (it is exiting); the second
// process confirms with 'G', and only then does the window start the file. A second process
// that gave up waiting closes instead, so a late window starts nothing: every file is
// started once, by one of the two.
#pragma once

#include <QObject>

#include <functional>
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
    // Asked before a file is accepted; a window that is exiting takes none.
    void setTaking(std::function<bool()> taking) { m_taking = std::move(taking); }

signals:
    void fileHanded(const std::string& absolutePath);

private:
    void accept();

    QLocalServer* m_server;
    std::string m_path;
    std::function<bool()> m_taking = [] { return true; };
};

// The other end, in the second process. Taken: the window will start the file (or show why
// it cannot). Refused: a window is there but did not take it (it is exiting, or did not
// answer within a few seconds). NoWindow: nobody listens there.
enum class Handover { Taken, Refused, NoWindow };
Handover handOver(const std::string& socketPath, const std::string& absolutePath);
