// The signals that end a desktop session's programs (SIGTERM at logout and shutdown, SIGHUP
// when the terminal closes, SIGINT for Ctrl+C), delivered as events of the event loop so that
// the window can end the way it always ends: its options saved.
#pragma once

#include <QObject>

class QSocketNotifier;

class StopSignals : public QObject {
    Q_OBJECT
public:
    // Catches the three signals, except those the launcher was started ignoring (nohup).
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The first signal received, or 0.
    int received() const { return m_received; }
    // Ends the process by the signal, as its default action would have: the caller (a shell
    // showing 128 + its number, a session manager) learns what ended it.
    [[noreturn]] static void endBy(int signal);

signals:
    void stopRequested(int signal);

private:
    void readPipe();
    QSocketNotifier* m_notifier = nullptr;
    int m_received = 0;
};
