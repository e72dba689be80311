// The pane beside the tabs that shows the selected game's picture, scaled to fit with its
// aspect kept, or the game's name on a plain panel where it has none.
#pragma once

#include <QFrame>
#include <QImage>

class PicturePane : public QFrame {
    Q_OBJECT
public:
    explicit PicturePane(QWidget* parent = nullptr);
    // A null picture shows the name instead.
    void showPicture(const QImage& picture, const QString& name);
    const QImage& picture() const { return m_picture; }
    const QString& name() const { return m_name; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    QString m_name;
};
