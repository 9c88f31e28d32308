#pragma once

#include "app/QmlSingleton.h"

#include <QEvent>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QQuickWindow>
#include <QRect>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

// What Qt Quick lacks for top-level windows: putting windows directly below
// others in the desktop's stacking order, cutting a window to what it paints
// where nothing composites translucent windows, and an icon from a path.
class WindowHelper : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(WindowHelper)

    // Whether translucent windows are blended with what lies below them.
    Q_PROPERTY(bool compositingActive READ compositingActive NOTIFY compositingActiveChanged FINAL)
    // Our windows go through XWayland: the compositor, not our requests,
    // decides which window has the keyboard.
    Q_PROPERTY(bool waylandSession READ isWaylandSession CONSTANT FINAL)
    // Where nothing composites on X11, transparent pixels would show black:
    // our translucent windows are then cut down to what they paint.
    Q_PROPERTY(bool windowsCutToInk READ windowsCutToInk NOTIFY compositingActiveChanged FINAL)
    // The system moves a window dragged by its grip (Windows, native
    // Wayland); elsewhere the grip moves it itself.
    Q_PROPERTY(bool systemMovesWindows READ systemMovesWindows CONSTANT FINAL)
    // Stay-on-top windows are kept on top by raising them after a restack
    // (Windows); on X11 a raise could take the keyboard and the window
    // manager's layer keeps them on top.
    Q_PROPERTY(bool raisesToStayOnTop READ raisesToStayOnTop CONSTANT FINAL)

public:
    static WindowHelper *instance();

    Q_INVOKABLE bool setWindowBelow(QQuickWindow *aboveWindow, QQuickWindow *belowWindow);
    Q_INVOKABLE void setWindowIcon(QQuickWindow *window, const QString &iconPath);

    // Keeps every one of `belowWindows` under `aboveWindow` and under every
    // other visible stay-on-top window of ours, with nothing in between.
    // Restacks only when that order is broken, and never activates a window.
    // True when the order holds afterwards.
    Q_INVOKABLE bool keepWindowsBelow(QQuickWindow *aboveWindow, const QVariantList &belowWindows);

    // Cuts the window down to the pixels it paints (a window that paints
    // nothing becomes empty), or gives it back its whole area. While nothing
    // composites, every translucent window of ours is kept cut this way.
    Q_INVOKABLE bool shapeToContent(QQuickWindow *window);
    Q_INVOKABLE void clearShape(QQuickWindow *window);
    // A window cut to its ink no longer receives presses where it paints
    // nothing. While routing is on, every left-button press goes to the
    // routing window under the pointer unless another window of ours is
    // there, and the whole drag with it; the routing window takes no input of
    // its own.
    Q_INVOKABLE void setClicksRouted(QQuickWindow *window, bool routed);
    // The flag that keeps our floating windows (toolbar, panels, menus,
    // tooltips, overlays) out of the window manager's hands on X11: no frame
    // that keeps taking clicks, no work area or layer that moves or lifts
    // them; they stay above everything, a focused fullscreen program
    // included, kept in order by keepWindowsBelow. 0 elsewhere.
    Q_INVOKABLE int unmanagedFlag();

    bool compositingActive() const { return m_compositingActive; }
    bool windowsCutToInk() const;
    static bool systemMovesWindows();
    static bool raisesToStayOnTop();
    static bool isWaylandSession();
    // sway draws X windows without a manager in the order they were last
    // mapped and ignores their restacking: a window goes on top only by
    // being mapped again.
    static bool stacksByMapOrder();

    // The rows of pixels whose alpha reaches `alphaThreshold`, as rectangles
    // in y-x bands; equal runs on consecutive rows are merged.
    static QList<QRect> opaqueRects(const QImage &image, int alphaThreshold);

    // Faint pixels would show as dark fringes once cut out: without
    // compositing the premultiplied colour is shown as it is.
    static constexpr int kShapeAlphaThreshold = 64;
    // Frames of a shaped window within this time are cut once: each cut
    // reads the whole window back.
    static constexpr int kShapeInterval = 50;
    // How long after its first frame a newly mapped window may take to be
    // put on top by a compositor that stacks by map order.
    static constexpr int kMapSettleMs = 150;

    // Called by the backend for every left-button press, drag and release
    // while routing is on; `nativePosition` is in device pixels on the
    // virtual desktop. A press goes to our window under it, else to the
    // routing window under it; the drag goes where its press went. True when
    // a window took it.
    bool deliverRoutedMouse(QEvent::Type type, const QPoint &nativePosition,
            Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, ulong timestamp);

signals:
    void compositingActiveChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    WindowHelper();
    quint64 m_mapCount = 0;
    // The last restack asked for, made again once a window has come on top.
    QPointer<QQuickWindow> m_restackAbove;
    QList<QPointer<QObject>> m_restackBelow;
    bool m_keepOnTopPending = false;
    void scheduleKeepOnTop();
    void restackAgain();
    Q_DISABLE_COPY_MOVE(WindowHelper)

    void setCompositingActive(bool active);
    void followShape(QQuickWindow *window);
    void updateLeftButtonGrab();
    void scheduleShape(QQuickWindow *window);
    void remapAbove(const QList<QWindow *> &anchors, const QList<QWindow *> &below);
    void noteMapped(QWindow *window);

    // Backend (WindowHelper_win.cpp, WindowHelper_x11.cpp); handles are
    // non-zero.
    static bool restackBelow(quintptr aboveHandle, quintptr belowHandle);
    // `anchors` are our visible stay-on-top windows, the caller's first.
    // With nothing to keep below, the anchors are still kept on top: under
    // XWayland the X stacking decides which window a press goes to.
    static bool keepBelow(const QList<quintptr> &anchors, const QList<quintptr> &below);
    static bool setShape(quintptr handle, const QList<QRect> &rects);
    static void removeShape(quintptr handle);
    // Unmaps and maps the window again, behind Qt's back: Qt's idea of it
    // (visible, where, what it shows) stays as it is.
    static bool remapWindow(quintptr handle);
    // Starts following the compositor; reports through setCompositingActive.
    void watchCompositing();
    // Takes the left button everywhere; presses on our own windows still go
    // to them.
    static bool grabLeftButton(bool grab);
    static bool backendKeepsWindowsUnmanaged();
    static void setInputPassThrough(quintptr handle, bool passThrough);

    bool m_compositingActive = true;
    QList<QPointer<QQuickWindow>> m_shapedWindows;
    QList<QQuickWindow *> m_shapesPending;
    QList<QPointer<QQuickWindow>> m_routedWindows;
    QPointer<QQuickWindow> m_routedPressWindow;
    bool m_leftButtonGrabbed = false;
};
