// Behaviour of the custom controls: greyed check boxes, links, tracking frames, the file list.
#include "widgets.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionTab>
#include <QStylePainter>

#include "browser/folder_listing.h"
#include "bytes.h"
#include "launch/launcher.h"

void CheckBox::nextCheckState()
{
    const bool wasChecked = checkState() == Qt::Checked;
    setTristate(false);
    setCheckState(wasChecked ? Qt::Unchecked : Qt::Checked);
}

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
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

void FileListModel::setNames(kl::NameList names)
{
    beginResetModel();
    m_names = std::move(names);
    endResetModel();
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_names.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    // The display shows bytes that are not UTF-8 as the replacement mark; the name itself is
    // read from the list's bytes (FileListBox::fileName).
    const std::string_view name = m_names[static_cast<std::size_t>(index.row())];
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

FileListBox::FileListBox(QWidget* parent) : QListView(parent), m_pattern(QStringLiteral("*.vb"))
{
    // Uniform rows let the view lay out a folder of 100,000 names without measuring them.
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setModel(&m_model);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!fileName().isEmpty())
            emit entrySelected();
        else
            emit selectionCleared();
    });
}

bool FileListBox::setPath(const QString& folder)
{
    kl::FolderListing listing;
    if (m_deferred)
        listing.error = kl::folderError(toBytes(folder));
    else
        listing = kl::listFolder(toBytes(folder), toBytes(m_pattern));
    if (listing.error != kl::ListingError::None)
        return false;
    // A full path without a trailing separator, except the root itself.
    QString full = fromBytes(kl::absoluteAgainst(toBytes(folder), kl::currentFolder()));
    while (full.size() > 1 && full.endsWith(QLatin1Char('/')))
        full.chop(1);
    m_path = full;
    if (m_deferred)
        m_readPending = true;
    else
        setNames(std::move(listing.names));
    return true;
}

void FileListBox::deferReads(bool defer)
{
    m_deferred = defer;
    if (!defer && m_readPending) {
        m_readPending = false;
        reread();
    }
}

void FileListBox::setPattern(const QString& pattern)
{
    m_pattern = pattern;
    reread();
}

void FileListBox::refresh() { reread(); }

void FileListBox::showNames(kl::NameList names)
{
    m_readPending = false;
    setNames(std::move(names));
}

void FileListBox::reread()
{
    if (m_deferred) {
        m_readPending = true;
        return;
    }
    // A folder that vanished since it was set shows no entries; nothing fails.
    kl::FolderListing listing = kl::listFolder(toBytes(m_path), toBytes(m_pattern));
    setNames(std::move(listing.names));
}

void FileListBox::setNames(kl::NameList names)
{
    // A reset model drops the selection without a selection signal.
    const bool hadSelection = selectionModel()->hasSelection();
    m_model.setNames(std::move(names));
    if (hadSelection)
        emit selectionCleared();
}

QString FileListBox::fileName() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty())
        return QString();
    return fromBytes(m_model.names()[static_cast<std::size_t>(rows.first().row())]);
}

QStringList FileListBox::entries() const
{
    QStringList out;
    out.reserve(static_cast<int>(m_model.names().size()));
    for (const std::string_view name : m_model.names())
        out << fromBytes(name);
    return out;
}

void FileListBox::mousePressEvent(QMouseEvent* event)
{
    // The context menu acts on the entry selected before the press, so a right press
    // leaves the selection alone.
    if (event->button() != Qt::RightButton)
        QListView::mousePressEvent(event);
    emit mouseDown(event->button());
}

void FileListBox::focusInEvent(QFocusEvent* event)
{
    QListView::focusInEvent(event);
    // The view makes the first entry current, unselected, when it gains the focus; the first
    // arrow key would then step past it, or do nothing in a list of one. Without a current
    // entry the first key selects the first entry.
    if (!selectionModel()->hasSelection())
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void FileListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        emit launchRequested();
}

void FileListBox::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        emit launchRequested();
        return;
    }
    QListView::keyPressEvent(event);
}

void FileListBox::contextMenuEvent(QContextMenuEvent* event)
{
    // The menu key and Shift+F10 reach the same menu as the right button.
    if (event->reason() == QContextMenuEvent::Keyboard)
        emit mouseDown(Qt::RightButton);
}
