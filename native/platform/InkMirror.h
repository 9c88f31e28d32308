#pragma once

#include "app/QmlSingleton.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRect>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class InkPieceWindow;
class LayerShellClient;
class QQuickRenderControl;

// In a Wayland session our windows go through XWayland, and the compositor
// hands every press inside an X window's rectangle to XWayland whatever its
// input shape: a full-screen overlay would keep every click from the native
// programs below, even in pointer mode. There an overlay in pointer mode
// steps aside and its ink is shown by a mirror that takes no input: a
// surface of the compositor's overlay layer where it has a layer shell
// (KWin, sway and the other wlroots compositors), else small windows over
// the ink alone (GNOME). The mirror's picture is a second drawing canvas of
// the overlay's screen, rendered offscreen.
class InkMirror : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(InkMirror)

    // Whether overlays in pointer mode give way to a mirror.
    Q_PROPERTY(bool available READ available CONSTANT FINAL)
    // The mirror's windows where there is no layer shell; they belong below
    // the toolbar with the overlays.
    Q_PROPERTY(QVariantList windows READ windows NOTIFY windowsChanged FINAL)

public:
    enum class Kind { None, LayerShell, Windows };

    static InkMirror *instance();
    ~InkMirror() override;

    bool available();
    Kind kind();
    QVariantList windows() const;

    // `picture` is an item that paints the overlay's ink; it is taken into
    // an offscreen scene of the overlay's size and owned by the mirror.
    Q_INVOKABLE void attach(QQuickWindow *overlay, QQuickItem *picture);
    Q_INVOKABLE void detach(QQuickWindow *overlay);
    Q_INVOKABLE void setShown(QQuickWindow *overlay, bool shown);
    // The last picture rendered for `overlay`, for the tests.
    Q_INVOKABLE QImage picture(QQuickWindow *overlay) const;

    // Rectangles that cover every pixel of `image` with ink, in cells of
    // `cellSize` merged into bands; coarser cells while there would be more
    // than `maxRects`.
    static QList<QRect> inkCells(const QImage &image, int cellSize, int maxRects);

    // `image` without the parts under `windows` (global geometries), which
    // are `origin` based; the image itself where none of them meets it.
    static QImage cutOut(const QImage &image, const QPoint &origin, const QList<QRect> &windows);

    static constexpr int kCellSize = 32;
    static constexpr int kMaxPieces = 48;

signals:
    void windowsChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Mirror;

    InkMirror();
    Q_DISABLE_COPY_MOVE(InkMirror)

    Mirror *mirrorFor(const QQuickWindow *overlay) const;
    void scheduleRender(Mirror *mirror);
    void render(Mirror *mirror);
    void present(Mirror *mirror);
    void presentPieces(Mirror *mirror);
    void hidePieces(Mirror *mirror);
    QList<QRect> ownWindows() const;
    void schedulePresentAll();

    bool m_decided = false;
    Kind m_kind = Kind::None;
    // Owned as a child; only built where the Wayland client library is.
    LayerShellClient *m_layerShell = nullptr;
    QList<Mirror *> m_mirrors;
    bool m_presentScheduled = false;
};
