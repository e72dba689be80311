// The window's size is fixed, yet some title bars offer to maximize it anyway: Qt's own, drawn
// on compositors without server-side decorations (Weston, GNOME), and some window managers.
// A Wayland compositor then insists on the maximized size, and a surface that keeps its fixed
// size is a protocol error that ends the program. So the window follows such a request for a
// moment and returns to its normal state, and to its fixed size, at once.
#pragma once

#include <QObject>
#include <QSize>
#include <QTimer>

class QWidget;

class FixedSizeKeeper : public QObject {
    Q_OBJECT
public:
    // Keeps the window at the size it has now.
    explicit FixedSizeKeeper(QWidget* window);
    // The window's fixed size changes (it grew by a pane): kept from now on.
    void keep(QSize size);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void stateChanged(Qt::WindowState state);
    void takeBack();  // the normal state again, where the window is maximized or full screen
    void settle();

    QWidget* m_window;
    QSize m_size;
    bool m_following = false;     // the size is free while a maximize request is answered
    bool m_sawOtherSize = false;  // the compositor's maximized size has come and gone
    QTimer m_fallback;            // where no maximized size ever comes
};
