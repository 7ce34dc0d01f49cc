#include "tshape.h"

#include <QPainter>

TShape::TShape(QWidget *parent)
    : QWidget(parent)
{}

void TShape::setFillColor(const QColor &color)
{
    if (m_fill == color)
        return;
    m_fill = color;
    update();
}

void TShape::setPen(const QColor &color, int width)
{
    m_pen = color;
    m_penWidth = width;
    update();
}

void TShape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_fill.isValid())
        painter.fillRect(rect(), m_fill);
    if (m_pen.isValid() && m_penWidth > 0) {
        // The outline lies inside the rectangle, as a frame of pen width.
        QPen pen(m_pen, m_penWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const qreal inset = m_penWidth / 2.0;
        painter.drawRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
    }
}
