#pragma once

#include <QImage>
#include <QRasterWindow>
#include <QRect>

// One piece of a mirrored picture: a window over a part of the ink that
// shows that part and lets every click through.
class InkPieceWindow : public QRasterWindow
{
    Q_OBJECT

public:
    explicit InkPieceWindow(Qt::WindowFlags extraFlags);

    // `source` is the part of `picture` (device pixels) this window shows;
    // `geometry` is where, in logical pixels on the desktop.
    void showPiece(const QImage &picture, const QRect &source, const QRect &geometry);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_piece;
};
