// Drawing the picture pane.
#include "picture_pane.h"

#include <QPainter>

PicturePane::PicturePane(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void PicturePane::showPicture(const QImage& picture, const QString& name)
{
    m_picture = picture;
    m_name = name;
    setAccessibleName(name);
    update();
}

void PicturePane::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(4, 4, -4, -4);
    if (m_picture.isNull()) {
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, m_name);
        return;
    }
    // Pictures are scaled where they are decoded; a last step here only fits the pane's own size.
    const QSize size = m_picture.size().scaled(area.size(), Qt::KeepAspectRatio);
    const QRect target(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2,
                       size.width(), size.height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_picture);
}
