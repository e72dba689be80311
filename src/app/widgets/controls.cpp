// Behaviour of the custom controls: greyed check boxes, links, the tab strip, tracking frames.
#include "controls.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QTimer>

#include <algorithm>

void CheckBox::nextCheckState()
{
    const bool wasChecked = checkState() == Qt::Checked;
    setTristate(false);
    setCheckState(wasChecked ? Qt::Unchecked : Qt::Checked);
}

namespace {

// Screen readers are told a link label is a link, named by its address.
QAccessibleInterface* linkAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("LinkLabel") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Link,
                                     static_cast<QLabel*>(object)->text());
    return nullptr;
}

}  // namespace

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    static const bool factory = [] {
        QAccessible::installFactory(linkAccessible);
        return true;
    }();
    (void)factory;
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(text);
    // Only the underline is set, so the label follows the window's font otherwise.
    QFont f;
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
}

void LinkLabel::setTextColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

QColor LinkLabel::textColor() const { return palette().color(QPalette::WindowText); }

void LinkLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QLabel::mousePressEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
        if (!event->isAutoRepeat())
            emit clicked();
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

void LinkLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    // Around the address's own width, not the whole label.
    focus.rect = QRect(0, 0, std::min(width(), fontMetrics().horizontalAdvance(text()) + 4), height());
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
}

void LinkLabel::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved();
    QLabel::mouseMoveEvent(event);
    // A label ignores the move, which would pass it on to the frame and undo the hover at once.
    event->accept();
}

namespace {
// The tab control's frame and the selected tab's overhang take a few pixels of the row.
constexpr int kStripMargin = 6;
// The strip draws its captions itself with this padding; the styles' own padding is made
// for wider rows than six tabs in the reference width.
constexpr int kTabPadding = 8;
int captionWidth(const QTabBar* bar, const QFontMetrics& metrics, int index)
{
    return metrics.horizontalAdvance(bar->tabText(index).remove(QLatin1Char('&'))) + kTabPadding;
}
}  // namespace

EvenTabBar::EvenTabBar(QWidget* parent) : QTabBar(parent)
{
    // The strip sizes the tabs itself; the style's wider padding must not elide captions.
    setElideMode(Qt::ElideNone);
    setExpanding(false);
}

QSize EvenTabBar::tabSizeHint(int index) const
{
    QSize size = QTabBar::tabSizeHint(index);
    const QWidget* owner = parentWidget();
    if (!owner || count() == 0)
        return size;
    const std::vector<int>& widths = captionWidths();
    int total = 0;
    for (const int w : widths)
        total += w;
    const int spare = std::max(0, owner->width() - kStripMargin - total);
    int width = widths[static_cast<std::size_t>(index)] + spare / count();
    if (index == count() - 1)
        width += spare % count();
    size.setWidth(width);
    return size;
}

QSize EvenTabBar::minimumTabSizeHint(int index) const { return tabSizeHint(index); }

void EvenTabBar::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    const int flags = Qt::AlignCenter | (style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this)
                                             ? Qt::TextShowMnemonic
                                             : Qt::TextHideMnemonic);
    // The selected tab overlaps its neighbours, so it is drawn last.
    auto drawTab = [&](int i) {
        QStyleOptionTab option;
        initStyleOption(&option, i);
        const QString caption = option.text;
        option.text.clear();
        painter.drawControl(QStyle::CE_TabBarTabShape, option);
        painter.drawItemText(option.rect, flags, option.palette, isTabEnabled(i), caption, QPalette::WindowText);
        if (i == currentIndex() && hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = option.rect.adjusted(3, 3, -3, -3);
            painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
    };
    for (int i = 0; i < count(); ++i)
        if (i != currentIndex())
            drawTab(i);
    if (currentIndex() >= 0)
        drawTab(currentIndex());
}

const std::vector<int>& EvenTabBar::captionWidths() const
{
    QStringList captions;
    for (int i = 0; i < count(); ++i)
        captions << tabText(i);
    if (captions != m_measuredCaptions || font() != m_measuredFont || m_widths.size() != std::size_t(count())) {
        const QFontMetrics metrics = fontMetrics();
        m_widths.clear();
        for (int i = 0; i < count(); ++i)
            m_widths.push_back(captionWidth(this, metrics, i));
        m_measuredCaptions = captions;
        m_measuredFont = font();
    }
    return m_widths;
}

bool EvenTabBar::captionsFit() const { return captionsFit(fontMetrics()); }

bool EvenTabBar::captionsFit(const QFontMetrics& metrics) const
{
    int total = 0;
    for (int i = 0; i < count(); ++i)
        total += captionWidth(this, metrics, i);
    return !parentWidget() || total <= parentWidget()->width() - kStripMargin;
}

TabControl::TabControl(QWidget* parent) : QTabWidget(parent), m_strip(new EvenTabBar(this))
{
    setTabBar(m_strip);
    setUsesScrollButtons(false);
}

TrackingGroupBox::TrackingGroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent)
{
    setMouseTracking(true);
}

void TrackingGroupBox::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved();
    QGroupBox::mouseMoveEvent(event);
    event->accept();
}

void clickAtOnceByAccessKey(QAbstractButton* button)
{
    const QKeySequence key = QKeySequence::mnemonic(button->text());
    if (key.isEmpty())
        return;
    button->setShortcut(QKeySequence());
    auto* shortcut = new QShortcut(key, button);
    shortcut->setAutoRepeat(false);
    QObject::connect(shortcut, &QShortcut::activated, button, [button] {
        button->click();
        button->setDown(true);
        QTimer::singleShot(100, button, [button] { button->setDown(false); });
    });
    // Two controls share the key: it moves between them, as Qt's own access keys do.
    QObject::connect(shortcut, &QShortcut::activatedAmbiguously, button,
                     [button] { button->setFocus(Qt::ShortcutFocusReason); });
}
