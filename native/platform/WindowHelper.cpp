#include "platform/WindowHelper.h"

#include "app/LogCategories.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QQuickWindow>
#include <QTimer>

#include <utility>

namespace {
// The rectangles a window was last cut to.
constexpr char kLastShapeProperty[] = "_inkly_shape";
constexpr char kMapOrderProperty[] = "_inkly_map_order";
} // namespace

WindowHelper *WindowHelper::instance()
{
    static WindowHelper *helper = new WindowHelper;
    return helper;
}

bool WindowHelper::isWaylandSession()
{
    static const bool wayland = QGuiApplication::platformName() == QLatin1String("xcb")
            && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    return wayland;
}

bool WindowHelper::windowsCutToInk() const
{
    return QGuiApplication::platformName() == QLatin1String("xcb") && !m_compositingActive;
}

bool WindowHelper::systemMovesWindows()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("windows") || platform.startsWith(QLatin1String("wayland"));
}

bool WindowHelper::raisesToStayOnTop()
{
    return QGuiApplication::platformName() == QLatin1String("windows");
}

bool WindowHelper::stacksByMapOrder()
{
    static const bool byMap = isWaylandSession() && !qEnvironmentVariableIsEmpty("SWAYSOCK");
    return byMap;
}

WindowHelper::WindowHelper()
{
    watchCompositing();
}

void WindowHelper::setCompositingActive(bool active)
{
    if (m_compositingActive == active)
        return;
    m_compositingActive = active;
    qCInfo(lcWindow).noquote() << "[WindowHelper] compositing" << (active ? "active" : "inactive");
    m_shapedWindows.removeAll(nullptr);
    for (const QPointer<QQuickWindow> &window : std::as_const(m_shapedWindows)) {
        if (active)
            clearShape(window);
        else if (window->isVisible())
            shapeToContent(window);
    }
    emit compositingActiveChanged();
}

bool WindowHelper::eventFilter(QObject *watched, QEvent *event)
{
    // Nobody gives an unmanaged window the keyboard on a click: it takes it
    // itself, as a managed one would get it from the manager. Under XWayland
    // the compositor's window manager takes such an activation back and
    // cancels the press that asked for it.
    if (event->type() == QEvent::MouseButtonPress && !isWaylandSession()) {
        auto *window = qobject_cast<QQuickWindow *>(watched);
        if (window && (window->flags() & Qt::X11BypassWindowManagerHint)
                && !(window->flags() & Qt::WindowDoesNotAcceptFocus) && !window->isActive())
            window->requestActivate();
    }
    if (event->type() == QEvent::Show && watched->isWindowType() && stacksByMapOrder())
        noteMapped(static_cast<QWindow *>(watched));
    if (event->type() == QEvent::Show) {
        auto *window = qobject_cast<QQuickWindow *>(watched);
        if (window && window->color().alpha() < 255)
            followShape(window);
    }
    return QObject::eventFilter(watched, event);
}

// The show event comes before the window is mapped: it is cut to a single
// pixel first, so that no black frame flashes and the window is still
// exposed and paints; its first frame then gives the true shape.
void WindowHelper::followShape(QQuickWindow *window)
{
    if (!m_shapedWindows.contains(window)) {
        m_shapedWindows.append(window);
        // Frames of a threaded render loop arrive queued, maybe after the
        // window is gone.
        connect(window, &QQuickWindow::frameSwapped, this,
                [this, guard = QPointer<QQuickWindow>(window)] {
                    if (guard)
                        scheduleShape(guard);
                });
        connect(window, &QObject::destroyed, this, [this, window] {
            m_shapesPending.removeAll(window);
            m_shapedWindows.removeAll(nullptr);
        });
    }
    if (!m_compositingActive && window->handle()) {
        setShape(quintptr(window->winId()), { QRect(0, 0, 1, 1) });
        window->setProperty(kLastShapeProperty, QVariant());
    }
}

void WindowHelper::scheduleShape(QQuickWindow *window)
{
    if (m_compositingActive || m_shapesPending.contains(window))
        return;
    m_shapesPending.append(window);
    QTimer::singleShot(kShapeInterval, window, [this, window] {
        m_shapesPending.removeAll(window);
        if (!m_compositingActive && window->isVisible())
            shapeToContent(window);
    });
}

bool WindowHelper::setWindowBelow(QQuickWindow *aboveWindow, QQuickWindow *belowWindow)
{
    if (!aboveWindow || !belowWindow)
        return false;
    // winId() creates the native window when there is none yet.
    const quintptr aboveHandle = quintptr(aboveWindow->winId());
    const quintptr belowHandle = quintptr(belowWindow->winId());
    if (!aboveHandle || !belowHandle)
        return false;
    return restackBelow(aboveHandle, belowHandle);
}

// The compositor puts a window on top when XWayland commits its first
// picture, which for a full-screen overlay comes well after the map.
void WindowHelper::noteMapped(QWindow *window)
{
    const auto settled = [this, window] {
        QTimer::singleShot(kMapSettleMs, window, [this, window] {
            if (!window->isVisible())
                return;
            window->setProperty(kMapOrderProperty, ++m_mapCount);
            restackAgain();
        });
    };
    if (auto *quick = qobject_cast<QQuickWindow *>(window))
        connect(quick, &QQuickWindow::frameSwapped, window, settled, Qt::SingleShotConnection);
    else
        settled();
}

void WindowHelper::scheduleKeepOnTop()
{
    // One restack for all the windows a manager moves in one go.
    if (m_keepOnTopPending)
        return;
    m_keepOnTopPending = true;
    QTimer::singleShot(0, this, [this] {
        m_keepOnTopPending = false;
        restackAgain();
    });
}

void WindowHelper::restackAgain()
{
    if (!m_restackAbove)
        return;
    // Overlays destroyed since the last restack are left out.
    QVariantList below;
    for (const QPointer<QObject> &window : std::as_const(m_restackBelow)) {
        if (window)
            below.append(QVariant::fromValue(window.data()));
    }
    keepWindowsBelow(m_restackAbove, below);
}

bool WindowHelper::keepWindowsBelow(QQuickWindow *aboveWindow, const QVariantList &belowWindows)
{
    if (isWaylandSession()) {
        m_restackAbove = aboveWindow;
        m_restackBelow.clear();
        for (const QVariant &value : belowWindows)
            m_restackBelow.append(value.value<QObject *>());
    }
    if (!aboveWindow || !aboveWindow->isVisible())
        return false;
    QList<QWindow *> below;
    QList<quintptr> belowHandles;
    for (const QVariant &value : belowWindows) {
        auto *window = qobject_cast<QWindow *>(value.value<QObject *>());
        if (!window || !window->isVisible() || window == aboveWindow)
            continue;
        below.append(window);
        belowHandles.append(quintptr(window->winId()));
    }

    // Panels, menus, tooltips and message boxes stay on top too; nothing of
    // ours that floats may end up under an overlay.
    QList<QWindow *> anchorWindows { aboveWindow };
    QList<quintptr> anchors { quintptr(aboveWindow->winId()) };
    const QWindowList windows = QGuiApplication::topLevelWindows();
    for (QWindow *window : windows) {
        if (window == aboveWindow || below.contains(window) || !window->isVisible()
                || !window->handle() || !(window->flags() & Qt::WindowStaysOnTopHint))
            continue;
        anchorWindows.append(window);
        anchors.append(quintptr(window->winId()));
    }
    if (stacksByMapOrder() && !below.isEmpty())
        remapAbove(anchorWindows, below);
    return keepBelow(anchors, belowHandles);
}

void WindowHelper::remapAbove(const QList<QWindow *> &anchors, const QList<QWindow *> &below)
{
    quint64 lastBelow = 0;
    for (const QWindow *window : below)
        lastBelow = qMax(lastBelow, window->property(kMapOrderProperty).toULongLong());
    for (QWindow *window : anchors) {
        if (window->property(kMapOrderProperty).toULongLong() > lastBelow)
            continue;
        // Mapped again, above what came since; the flicker is one frame.
        if (remapWindow(quintptr(window->winId())))
            window->setProperty(kMapOrderProperty, ++m_mapCount);
    }
}

bool WindowHelper::shapeToContent(QQuickWindow *window)
{
    if (!window || !window->handle())
        return false;
    const QList<QRect> rects = opaqueRects(window->grabWindow(), kShapeAlphaThreshold);
    const QVariant last = window->property(kLastShapeProperty);
    if (last.isValid() && last.value<QList<QRect>>() == rects)
        return true;
    if (!setShape(quintptr(window->winId()), rects))
        return false;
    window->setProperty(kLastShapeProperty, QVariant::fromValue(rects));
    // The grab may have taken the changes the window had yet to show; one
    // more frame shows them, and the grab after it finds the shape unchanged.
    window->update();
    return true;
}

void WindowHelper::clearShape(QQuickWindow *window)
{
    if (window && window->handle()) {
        removeShape(quintptr(window->winId()));
        window->setProperty(kLastShapeProperty, QVariant());
    }
}

void WindowHelper::setClicksRouted(QQuickWindow *window, bool routed)
{
    if (!window)
        return;
    if (routed && !m_routedWindows.contains(window)) {
        m_routedWindows.append(window);
        // Queued: the pointer to the window is cleared only after the signal.
        connect(window, &QObject::destroyed, this, &WindowHelper::updateLeftButtonGrab,
                Qt::QueuedConnection);
    } else if (!routed) {
        m_routedWindows.removeAll(window);
        if (window->handle() && !(window->flags() & Qt::WindowTransparentForInput))
            setInputPassThrough(quintptr(window->winId()), false);
    }
    updateLeftButtonGrab();
    // After Qt has applied a change of the window's flags, which sets its
    // input shape again.
    QTimer::singleShot(0, window, [this, window] {
        if (m_routedWindows.contains(window) && window->handle())
            setInputPassThrough(quintptr(window->winId()), true);
    });
}

int WindowHelper::unmanagedFlag()
{
    static const bool unmanaged = backendKeepsWindowsUnmanaged();
    return unmanaged ? int(Qt::X11BypassWindowManagerHint) : 0;
}

void WindowHelper::updateLeftButtonGrab()
{
    m_routedWindows.removeAll(nullptr);
    const bool grab = !m_routedWindows.isEmpty();
    if (grab == m_leftButtonGrabbed)
        return;
    m_leftButtonGrabbed = grabLeftButton(grab) && grab;
    if (grab && !m_leftButtonGrabbed)
        qCWarning(lcWindow).noquote()
                << "[WindowHelper] could not take the left button: presses outside "
                   "the ink are lost";
}

bool WindowHelper::deliverRoutedMouse(QEvent::Type type, const QPoint &nativePosition,
        Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, ulong timestamp)
{
    const auto nativeGeometry = [](QWindow *window) {
        const qreal ratio = window->devicePixelRatio();
        const QRect geometry = window->geometry();
        return QRectF(QPointF(geometry.topLeft()) * ratio, QSizeF(geometry.size()) * ratio);
    };

    if (type == QEvent::MouseButtonPress) {
        // Our other windows (toolbar, panels) are above the routing ones and
        // get their own presses.
        m_routedPressWindow = nullptr;
        const QWindowList windows = QGuiApplication::topLevelWindows();
        for (QWindow *window : windows) {
            auto *quick = qobject_cast<QQuickWindow *>(window);
            if (quick && quick->isVisible() && !m_routedWindows.contains(quick)
                    && !(quick->flags() & Qt::WindowTransparentForInput)
                    && nativeGeometry(quick).contains(nativePosition)
                    && (!m_routedPressWindow || (quick->flags() & Qt::WindowStaysOnTopHint)))
                m_routedPressWindow = quick;
        }
        for (const QPointer<QQuickWindow> &window : std::as_const(m_routedWindows)) {
            if (m_routedPressWindow)
                break;
            if (window && window->isVisible() && nativeGeometry(window).contains(nativePosition))
                m_routedPressWindow = window;
        }
    }
    QQuickWindow *target = m_routedPressWindow;
    if (!target)
        return false;

    const qreal ratio = target->devicePixelRatio();
    const QPointF global = QPointF(nativePosition) / ratio;
    const QPointF local = global - QPointF(target->geometry().topLeft());
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, local, global, button, buttons, modifiers);
    event.setTimestamp(timestamp);
    QCoreApplication::sendEvent(target, &event);
    if (type == QEvent::MouseButtonRelease)
        m_routedPressWindow = nullptr;
    return true;
}

QList<QRect> WindowHelper::opaqueRects(const QImage &source, int alphaThreshold)
{
    QList<QRect> rects;
    if (source.isNull())
        return rects;
    const QImage image = source.format() == QImage::Format_ARGB32_Premultiplied
            ? source
            : source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int threshold = qBound(1, alphaThreshold, 255);

    // The runs of the previous row are the last `previousCount` rectangles;
    // a row with exactly the same runs only makes them taller.
    qsizetype previousStart = 0;
    qsizetype previousCount = 0;
    QList<QRect> row;
    for (int y = 0; y < image.height(); ++y) {
        const auto *pixels = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        row.clear();
        int x = 0;
        while (x < image.width()) {
            while (x < image.width() && qAlpha(pixels[x]) < threshold)
                ++x;
            if (x == image.width())
                break;
            const int start = x;
            while (x < image.width() && qAlpha(pixels[x]) >= threshold)
                ++x;
            row.append(QRect(start, y, x - start, 1));
        }

        bool same = previousCount == row.size() && previousCount > 0
                && rects[previousStart].bottom() == y - 1;
        for (qsizetype i = 0; same && i < row.size(); ++i) {
            const QRect &above = rects[previousStart + i];
            same = above.left() == row[i].left() && above.right() == row[i].right();
        }
        if (same) {
            for (qsizetype i = 0; i < row.size(); ++i)
                rects[previousStart + i].setBottom(y);
            continue;
        }
        previousStart = rects.size();
        previousCount = row.size();
        rects.append(row);
    }
    return rects;
}

void WindowHelper::setWindowIcon(QQuickWindow *window, const QString &iconPath)
{
    if (window)
        window->setIcon(QIcon(iconPath));
}
