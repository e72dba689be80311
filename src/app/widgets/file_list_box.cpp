// The file list box: reading its folder, showing the names, and the keys and clicks on it.
#include "file_list_box.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "browser/folder_listing.h"
#include "bytes.h"
#include "launch/launcher.h"

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
    std::string full = kl::absoluteAgainst(toBytes(folder), kl::currentFolder());
    while (full.size() > 1 && full.back() == '/')
        full.pop_back();
    m_folder = std::move(full);
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
    kl::FolderListing listing = kl::listFolder(m_folder, toBytes(m_pattern));
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

QString FileListBox::fileName() const { return fromBytes(selectedName()); }

std::string FileListBox::selectedName() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty())
        return {};
    return std::string(m_model.names()[static_cast<std::size_t>(rows.first().row())]);
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
    // Desktops on Linux take Shift+F10 for the context menu as Windows does; Qt itself makes a
    // context menu event of the menu key only.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        emit menuKeyPressed();
        return;
    }
    QListView::keyPressEvent(event);
}

void FileListBox::contextMenuEvent(QContextMenuEvent* event)
{
    if (event->reason() == QContextMenuEvent::Keyboard)
        emit menuKeyPressed();
}

QPoint FileListBox::selectedEntryPosition() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    QRect row = selected.isEmpty() ? QRect() : visualRect(selected.first());
    if (!row.isValid() || !viewport()->rect().intersects(row))
        return viewport()->mapToGlobal(QPoint(0, 0));
    return viewport()->mapToGlobal(QPoint(row.left() + row.height() / 2, row.bottom()));
}
