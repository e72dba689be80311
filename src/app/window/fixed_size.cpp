#include "fixed_size.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {

constexpr Qt::WindowStates kNotNormal = Qt::WindowMaximized | Qt::WindowFullScreen;

}  // namespace

FixedSizeKeeper::FixedSizeKeeper(QWidget* window) : QObject(window), m_window(window), m_size(window->size())
{
    window->installEventFilter(this);
    m_fallback.setSingleShot(true);
    m_fallback.setInterval(2000);
    // A compositor that never answers with another size, or that leaves the window normal but
    // larger: the fixed size is taken back once the state is normal.
    connect(&m_fallback, &QTimer::timeout, this, [this] {
        if (m_window->windowState() & kNotNormal) {
            takeBack();
            m_fallback.start();
        } else {
            settle();
        }
    });
}

void FixedSizeKeeper::keep(QSize size)
{
    m_size = size;
    if (!m_following)
        m_window->setFixedSize(size);
}

bool FixedSizeKeeper::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_window)
        return false;
    if (event->type() == QEvent::Show && m_window->windowHandle()) {
        // The request reaches the window as a state of its platform window, before the
        // compositor answers it; a widget's own state change comes only with the answer.
        connect(m_window->windowHandle(), &QWindow::windowStateChanged, this, &FixedSizeKeeper::stateChanged,
                Qt::UniqueConnection);
    } else if (event->type() == QEvent::WindowStateChange && m_following && (m_window->windowState() & kNotNormal)) {
        // Qt 6.8 gives the widget the maximized state only after the platform window's change
        // was already taken back: that answer is taken back too.
        QTimer::singleShot(0, this, &FixedSizeKeeper::takeBack);
    } else if (event->type() == QEvent::Resize && m_following) {
        if (m_window->size() != m_size)
            m_sawOtherSize = true;
        else if (m_sawOtherSize && !(m_window->windowState() & kNotNormal))
            settle();
    }
    return false;
}

void FixedSizeKeeper::stateChanged(Qt::WindowState state)
{
    if (!(state & kNotNormal))
        return;
    if (!m_following) {
        m_following = true;
        m_sawOtherSize = false;
        // Both bounds: Qt's Wayland window clamps a maximized size to the minimum, and a work
        // area smaller than the window is as much a protocol error as one larger.
        m_window->setMinimumSize(0, 0);
        m_window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    m_fallback.start();
    // Not from within the state change: the request is answered first, then taken back.
    QTimer::singleShot(0, this, &FixedSizeKeeper::takeBack);
}

void FixedSizeKeeper::takeBack()
{
    if (const Qt::WindowStates states = m_window->windowState(); states & kNotNormal)
        m_window->setWindowState(states & ~kNotNormal);
}

void FixedSizeKeeper::settle()
{
    m_following = false;
    m_fallback.stop();
    m_window->setFixedSize(m_size);
}
