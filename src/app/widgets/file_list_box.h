// The file list box: the names of one folder kept as the folder gave their bytes, decoded
// only for the rows on screen.
#pragma once

#include <QAbstractListModel>
#include <QListView>

#include <string>

#include "browser/name_list.h"
#include "bytes.h"

// The names of one folder; converted to text only for the rows on screen.
class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    void setNames(kl::NameList names);
    const kl::NameList& names() const { return m_names; }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    kl::NameList m_names;
};

// The file list box: a view bound to a folder and a pattern list. Every change of folder or
// pattern, and every refresh, re-reads the folder and leaves no entry selected.
class FileListBox : public QListView {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    // False when the folder cannot be listed; the list then keeps its folder and entries.
    bool setPath(const QString& folder);
    QString path() const { return fromBytes(m_folder); }
    // The folder's bytes, as the file system names it.
    const std::string& folder() const { return m_folder; }
    void setPattern(const QString& pattern);
    QString pattern() const { return m_pattern; }
    void refresh();
    // Shows names read elsewhere for the list's current folder and pattern, in place of the
    // read that deferring left pending.
    void showNames(kl::NameList names);
    // While deferred, changes of folder and pattern only take note; the folder is read once
    // when deferring ends. Start-up sets both several times over, and a folder may hold
    // 100,000 names.
    void deferReads(bool defer);
    // The selected entry's name, empty when none is selected; as text, and as its bytes.
    QString fileName() const;
    std::string selectedName() const;
    QStringList entries() const;
    // Where a menu for the selected entry opens: below its name, on screen; the list's own
    // corner when no entry is selected.
    QPoint selectedEntryPosition() const;

signals:
    void entrySelected();
    // No entry is selected any more: deselected, or the list was read again.
    void selectionCleared();
    void mouseDown(Qt::MouseButton button);
    // The menu key or Shift+F10: the context menu, asked for by keyboard.
    void menuKeyPressed();
    void launchRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void reread();
    void setNames(kl::NameList names);

    FileListModel m_model;
    std::string m_folder;
    QString m_pattern;
    bool m_deferred = false;
    bool m_readPending = false;
};
