// The few controls whose behaviour Qt's stock widgets do not have.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>

#include <vector>

class QAbstractButton;

// Qt answers a button's access key with an animated click: the command starts only once the
// button has shown itself pressed for a tenth of a second. This makes the key click at once,
// the pressed look following, and a held key one click rather than one per repeat.
void clickAtOnceByAccessKey(QAbstractButton* button);

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
    // The keyboard reaches it too: in the tab order, Enter or Space opens it, the focus shows.
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
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
