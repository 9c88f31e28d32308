#include "platform/InkPieceWindow.h"

#include <QPainter>
#include <QSurfaceFormat>

InkPieceWindow::InkPieceWindow(Qt::WindowFlags extraFlags)
{
    setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus
            | Qt::WindowTransparentForInput | extraFlags);
    setTitle(QStringLiteral("Inkly Ink"));
    QSurfaceFormat format = this->format();
    format.setAlphaBufferSize(8);
    setFormat(format);
}

void InkPieceWindow::showPiece(const QImage &picture, const QRect &source, const QRect &geometry)
{
    m_piece = picture.copy(source);
    setGeometry(geometry);
    if (!isVisible())
        show();
    update();
}

void InkPieceWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QRect(QPoint(0, 0), size()), m_piece);
}
