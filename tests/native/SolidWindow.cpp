#include "SolidWindow.h"

#include <QMouseEvent>
#include <QPainter>

SolidWindow::SolidWindow(const QColor &color)
    : m_color(color)
{
}

void SolidWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(QRect(QPoint(), size()), m_color);
}

void SolidWindow::mousePressEvent(QMouseEvent *event)
{
    ++m_presses;
    m_lastPress = event->position().toPoint();
}
