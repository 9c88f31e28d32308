#include "platform/InkMirror.h"

#include "app/LogCategories.h"
#include "platform/InkPieceWindow.h"
#include "platform/WindowHelper.h"

#include <QDebug>
#include <QGuiApplication>
#include <QPainter>
#include <QQmlEngine>
#include <QQuickRenderControl>
#include <QQuickRenderTarget>
#include <QTimer>

#include <algorithm>
#include <memory>

#if INKLY_HAVE_LAYER_SHELL
#include "platform/LayerShellClient.h"
#endif

struct InkMirror::Mirror
{
    QPointer<QQuickWindow> overlay;
    QRect geometry;
    std::unique_ptr<QQuickRenderControl> control;
    std::unique_ptr<QQuickWindow> scene;
    QImage image;
    bool shown = false;
    bool renderScheduled = false;
    int surfaceId = 0;
    QList<InkPieceWindow *> pieces;
};

InkMirror *InkMirror::instance()
{
    static InkMirror *mirror = new InkMirror;
    return mirror;
}

InkMirror::InkMirror() = default;

InkMirror::~InkMirror()
{
    while (!m_mirrors.isEmpty())
        detach(m_mirrors.first()->overlay);
}

InkMirror::Kind InkMirror::kind()
{
    if (m_decided)
        return m_kind;
    m_decided = true;
    // Forced for the tests and for desktops that get it wrong.
    const QByteArray forced = qgetenv("INKLY_INK_MIRROR");
    if (forced == "off" || (forced.isEmpty() && !WindowHelper::isWaylandSession()))
        return m_kind;
    if (QQuickWindow::sceneGraphBackend() != QLatin1String("software")) {
        qCWarning(lcMirror).noquote()
                << "[InkMirror] needs Qt Quick's software backend; in pointer mode the "
                   "overlays keep the clicks from Wayland programs";
        return m_kind;
    }
#if INKLY_HAVE_LAYER_SHELL
    if (forced != "windows") {
        m_layerShell = LayerShellClient::connectToCompositor().release();
        if (m_layerShell)
            m_layerShell->setParent(this);
    }
#endif
    m_kind = m_layerShell ? Kind::LayerShell : Kind::Windows;
    // The overlay layer lies above every X window, our toolbar included:
    // the mirror is kept clear of our own windows as they come and go.
    if (m_kind == Kind::LayerShell)
        qApp->installEventFilter(this);
    qCInfo(lcMirror).noquote() << "[InkMirror] pointer mode shows the ink"
                               << (m_kind == Kind::LayerShell ? "on the compositor's overlay layer"
                                                              : "in windows over the ink alone");
    return m_kind;
}

bool InkMirror::available()
{
    return kind() != Kind::None;
}

QVariantList InkMirror::windows() const
{
    QVariantList windows;
    for (const Mirror *mirror : m_mirrors) {
        for (InkPieceWindow *piece : mirror->pieces) {
            if (piece->isVisible())
                windows.append(QVariant::fromValue<QObject *>(piece));
        }
    }
    return windows;
}

InkMirror::Mirror *InkMirror::mirrorFor(const QQuickWindow *overlay) const
{
    for (Mirror *mirror : m_mirrors) {
        if (mirror->overlay == overlay)
            return mirror;
    }
    return nullptr;
}

void InkMirror::attach(QQuickWindow *overlay, QQuickItem *picture)
{
    if (!overlay || !picture || !available() || mirrorFor(overlay)) {
        delete picture;
        return;
    }
    auto *mirror = new Mirror;
    mirror->overlay = overlay;
    mirror->geometry = overlay->geometry();
    mirror->control = std::make_unique<QQuickRenderControl>();
    mirror->scene = std::make_unique<QQuickWindow>(mirror->control.get());
    mirror->scene->setColor(Qt::transparent);
    mirror->scene->setGeometry(mirror->geometry);
    mirror->scene->contentItem()->setSize(mirror->geometry.size());

    const qreal ratio = overlay->devicePixelRatio();
    mirror->image = QImage(mirror->geometry.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    mirror->image.setDevicePixelRatio(ratio);
    mirror->image.fill(Qt::transparent);
    QQuickRenderTarget target = QQuickRenderTarget::fromPaintDevice(&mirror->image);
    target.setDevicePixelRatio(ratio);
    mirror->scene->setRenderTarget(target);

    QQmlEngine::setObjectOwnership(picture, QQmlEngine::CppOwnership);
    picture->setParent(mirror->scene.get());
    picture->setParentItem(mirror->scene->contentItem());

    connect(mirror->control.get(), &QQuickRenderControl::renderRequested, this,
            [this, mirror] { scheduleRender(mirror); });
    connect(mirror->control.get(), &QQuickRenderControl::sceneChanged, this,
            [this, mirror] { scheduleRender(mirror); });
    m_mirrors.append(mirror);
    scheduleRender(mirror);
}

void InkMirror::detach(QQuickWindow *overlay)
{
    Mirror *mirror = mirrorFor(overlay);
    if (!mirror)
        return;
    m_mirrors.removeAll(mirror);
#if INKLY_HAVE_LAYER_SHELL
    if (m_layerShell && mirror->surfaceId)
        m_layerShell->destroySurface(mirror->surfaceId);
#endif
    const bool hadPieces = !mirror->pieces.isEmpty();
    qDeleteAll(mirror->pieces);
    // The scene goes before its render control.
    mirror->scene.reset();
    mirror->control.reset();
    delete mirror;
    if (hadPieces)
        emit windowsChanged();
}

void InkMirror::setShown(QQuickWindow *overlay, bool shown)
{
    Mirror *mirror = mirrorFor(overlay);
    if (!mirror || mirror->shown == shown)
        return;
    mirror->shown = shown;
    present(mirror);
}

QImage InkMirror::picture(QQuickWindow *overlay) const
{
    const Mirror *mirror = mirrorFor(overlay);
    return mirror ? mirror->image : QImage();
}

void InkMirror::scheduleRender(Mirror *mirror)
{
    if (mirror->renderScheduled)
        return;
    mirror->renderScheduled = true;
    QTimer::singleShot(0, this, [this, mirror] {
        if (!m_mirrors.contains(mirror))
            return;
        mirror->renderScheduled = false;
        render(mirror);
    });
}

// Keeps rendering while the overlay itself is shown too, so that the mirror
// already holds the whole picture when the overlay steps aside.
void InkMirror::render(Mirror *mirror)
{
    QQuickRenderControl *control = mirror->control.get();
    control->polishItems();
    control->beginFrame();
    control->sync();
    control->render();
    control->endFrame();
    if (mirror->shown)
        present(mirror);
}

void InkMirror::present(Mirror *mirror)
{
#if INKLY_HAVE_LAYER_SHELL
    if (m_kind == Kind::LayerShell) {
        if (!mirror->shown && !mirror->surfaceId)
            return;
        if (!mirror->surfaceId)
            mirror->surfaceId = m_layerShell->createSurface(mirror->geometry);
        if (mirror->surfaceId) {
            m_layerShell->present(mirror->surfaceId,
                    mirror->shown ? cutOut(mirror->image, mirror->geometry.topLeft(), ownWindows())
                                  : QImage());
            return;
        }
    }
#endif
    if (mirror->shown)
        presentPieces(mirror);
    else
        hidePieces(mirror);
}

void InkMirror::presentPieces(Mirror *mirror)
{
    const qreal ratio = mirror->image.devicePixelRatio();
    const QList<QRect> cells = inkCells(mirror->image, qRound(kCellSize * ratio), kMaxPieces);
    const bool countChanged = cells.size() != mirror->pieces.size();
    while (mirror->pieces.size() < cells.size())
        mirror->pieces.append(
                new InkPieceWindow(Qt::WindowFlags(WindowHelper::instance()->unmanagedFlag())));
    while (mirror->pieces.size() > cells.size())
        delete mirror->pieces.takeLast();
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const QRect &source = cells[i];
        const QRect geometry(
                mirror->geometry.topLeft() + (QPointF(source.topLeft()) / ratio).toPoint(),
                (QSizeF(source.size()) / ratio).toSize());
        mirror->pieces[i]->showPiece(mirror->image, source, geometry);
    }
    if (countChanged)
        emit windowsChanged();
}

void InkMirror::hidePieces(Mirror *mirror)
{
    if (mirror->pieces.isEmpty())
        return;
    qDeleteAll(mirror->pieces);
    mirror->pieces.clear();
    emit windowsChanged();
}

bool InkMirror::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        if (watched->isWindowType() && static_cast<QWindow *>(watched)->isTopLevel())
            schedulePresentAll();
        break;
    default:
        break;
    }
    return false;
}

QList<QRect> InkMirror::ownWindows() const
{
    QList<QRect> rects;
    const QWindowList windows = QGuiApplication::topLevelWindows();
    for (const QWindow *window : windows) {
        if (!window->isVisible() || window->opacity() <= 0
                || std::any_of(m_mirrors.cbegin(), m_mirrors.cend(),
                        [window](const Mirror *m) { return m->overlay == window; }))
            continue;
        rects.append(window->frameGeometry());
    }
    return rects;
}

void InkMirror::schedulePresentAll()
{
    if (m_presentScheduled || m_mirrors.isEmpty())
        return;
    m_presentScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_presentScheduled = false;
        for (Mirror *mirror : std::as_const(m_mirrors)) {
            if (mirror->shown)
                present(mirror);
        }
    });
}

QImage InkMirror::cutOut(const QImage &image, const QPoint &origin, const QList<QRect> &windows)
{
    const qreal ratio = image.devicePixelRatio();
    const QRect bounds(origin, (QSizeF(image.size()) / ratio).toSize());
    QImage result = image;
    QPainter painter;
    for (const QRect &window : windows) {
        const QRect part = window.intersected(bounds).translated(-origin);
        if (part.isEmpty())
            continue;
        if (!painter.isActive()) {
            result.detach();
            painter.begin(&result);
            painter.setCompositionMode(QPainter::CompositionMode_Clear);
        }
        // The painter works in device-independent pixels of the image.
        painter.fillRect(part, Qt::transparent);
    }
    return result;
}

QList<QRect> InkMirror::inkCells(const QImage &source, int cellSize, int maxRects)
{
    if (source.isNull() || cellSize < 1)
        return {};
    const QImage image = source.format() == QImage::Format_ARGB32_Premultiplied
            ? source
            : source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int cell = cellSize;; cell *= 2) {
        const QSize grid((image.width() + cell - 1) / cell, (image.height() + cell - 1) / cell);
        QImage mask(grid, QImage::Format_ARGB32_Premultiplied);
        mask.fill(Qt::transparent);
        for (int y = 0; y < image.height(); ++y) {
            const auto *pixels = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            auto *marks = reinterpret_cast<QRgb *>(mask.scanLine(y / cell));
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(pixels[x]) > 0)
                    marks[x / cell] = 0xffffffff;
            }
        }
        QList<QRect> rects = WindowHelper::opaqueRects(mask, 1);
        if (rects.size() > maxRects && cell < qMax(image.width(), image.height()))
            continue;
        const QRect bounds = image.rect();
        for (QRect &rect : rects)
            rect = QRect(rect.topLeft() * cell, rect.size() * cell).intersected(bounds);
        return rects;
    }
}
