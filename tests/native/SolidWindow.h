#pragma once

#include <QColor>
#include <QPoint>
#include <QRasterWindow>

// Another program's window for tests on a real X server: one solid colour,
// counting the mouse presses it gets.
class SolidWindow : public QRasterWindow
{
public:
    explicit SolidWindow(const QColor &color);

    int presses() const { return m_presses; }
    QPoint lastPress() const { return m_lastPress; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QColor m_color;
    int m_presses = 0;
    QPoint m_lastPress;
};
