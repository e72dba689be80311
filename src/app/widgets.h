// The few controls whose behaviour Qt's stock widgets do not have.
#pragma once

#include <QAbstractListModel>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QTabBar>
#include <QTabWidget>

#include <string>
#include <vector>

#include "browser/name_list.h"

// A two-state box that can still show the greyed state a configuration file asks for;
// a click on a greyed box checks it, as the classic auto check box does.
class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override;
};

// An underlined web address with a pointing hand that reports clicks and mouse moves.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);
    void setTextColor(const QColor& color);
    QColor textColor() const;

signals:
    void clicked();
    void mouseMoved();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};

// A tab strip that fills its row: each tab gets its caption's width and an even share of
// the rest, so all six tabs stand in one row as long as their captions fit together.
class EvenTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit EvenTabBar(QWidget* parent = nullptr);
    // True when every caption fits its tab with the strip's padding.
    bool captionsFit() const;
    // The same for captions drawn with these metrics instead of the strip's own font.
    bool captionsFit(const QFontMetrics& metrics) const;

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Every tab's size depends on all captions, and the strip asks for each tab's size many
    // times while it is built; the widths are measured again only when font or captions change.
    const std::vector<int>& captionWidths() const;
    mutable std::vector<int> m_widths;
    mutable QStringList m_measuredCaptions;
    mutable QFont m_measuredFont;
};

// The tab control: six tabs in one row of equal tabs.
class TabControl : public QTabWidget {
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent = nullptr);
    EvenTabBar* strip() const { return m_strip; }

private:
    EvenTabBar* m_strip;
};

// A frame that reports mouse moves over its own background.
class TrackingGroupBox : public QGroupBox {
    Q_OBJECT
public:
    explicit TrackingGroupBox(const QString& title, QWidget* parent = nullptr);

signals:
    void mouseMoved();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
};

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
    QString path() const { return m_path; }
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
    // The selected entry's name, empty when none is selected.
    QString fileName() const;
    QStringList entries() const;

signals:
    void entrySelected();
    // No entry is selected any more: deselected, or the list was read again.
    void selectionCleared();
    void mouseDown(Qt::MouseButton button);
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
    QString m_path;
    QString m_pattern;
    bool m_deferred = false;
    bool m_readPending = false;
};
