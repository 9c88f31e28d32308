#include "platform/LayerShellClient.h"

#include "app/LogCategories.h"

#include <QDebug>
#include <QPainter>
#include <QSocketNotifier>

#include <wayland-client.h>

// The generated header names an argument after a C++ keyword.
#define namespace namespace_
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
#include "xdg-output-unstable-v1-client-protocol.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

void outputGeometry(void *data, wl_output *, int32_t x, int32_t y, int32_t, int32_t, int32_t,
        const char *, const char *, int32_t)
{
    static_cast<LayerShellClient::Output *>(data)->position = QPoint(x, y);
}

void outputMode(void *data, wl_output *, uint32_t flags, int32_t width, int32_t height, int32_t)
{
    if (flags & WL_OUTPUT_MODE_CURRENT)
        static_cast<LayerShellClient::Output *>(data)->modeSize = QSize(width, height);
}

void outputDone(void *, wl_output *) { }
void outputScale(void *, wl_output *, int32_t) { }

const wl_output_listener outputListener = { outputGeometry, outputMode, outputDone, outputScale };

void xdgOutputPosition(void *data, zxdg_output_v1 *, int32_t x, int32_t y)
{
    static_cast<LayerShellClient::Output *>(data)->logical.moveTopLeft(QPoint(x, y));
}

void xdgOutputSize(void *data, zxdg_output_v1 *, int32_t width, int32_t height)
{
    static_cast<LayerShellClient::Output *>(data)->logical.setSize(QSize(width, height));
}

void xdgOutputDone(void *, zxdg_output_v1 *) { }
void xdgOutputName(void *, zxdg_output_v1 *, const char *) { }
void xdgOutputDescription(void *, zxdg_output_v1 *, const char *) { }

const zxdg_output_v1_listener xdgOutputListener
        = { xdgOutputPosition, xdgOutputSize, xdgOutputDone, xdgOutputName, xdgOutputDescription };

void bufferRelease(void *data, wl_buffer *)
{
    static_cast<LayerShellClient::Buffer *>(data)->busy = false;
}

const wl_buffer_listener bufferListener = { bufferRelease };

void freeBufferMemory(LayerShellClient::Buffer *buffer)
{
    if (buffer->buffer)
        wl_buffer_destroy(buffer->buffer);
    if (buffer->data)
        munmap(buffer->data, size_t(buffer->length));
    buffer->buffer = nullptr;
    buffer->data = nullptr;
}

} // namespace

void LayerShellClient::onGlobal(
        void *data, wl_registry *registry, quint32 name, const char *interface, quint32 version)
{
    auto *client = static_cast<LayerShellClient *>(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
        client->m_compositor = static_cast<wl_compositor *>(
                wl_registry_bind(registry, name, &wl_compositor_interface, qMin(version, 4u)));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        client->m_shm
                = static_cast<wl_shm *>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
        client->m_layerShell = static_cast<zwlr_layer_shell_v1 *>(wl_registry_bind(
                registry, name, &zwlr_layer_shell_v1_interface, qMin(version, 3u)));
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
        client->m_xdgOutputManager = static_cast<zxdg_output_manager_v1 *>(wl_registry_bind(
                registry, name, &zxdg_output_manager_v1_interface, qMin(version, 2u)));
        for (Output *output : std::as_const(client->m_outputs))
            client->addXdgOutput(output);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        auto *output = new Output;
        output->name = name;
        output->output = static_cast<wl_output *>(
                wl_registry_bind(registry, name, &wl_output_interface, qMin(version, 2u)));
        wl_output_add_listener(output->output, &outputListener, output);
        client->m_outputs.append(output);
        client->addXdgOutput(output);
    }
}

void LayerShellClient::onGlobalRemove(void *data, wl_registry *, quint32 name)
{
    auto *client = static_cast<LayerShellClient *>(data);
    for (qsizetype i = 0; i < client->m_outputs.size(); ++i) {
        Output *output = client->m_outputs[i];
        if (output->name != name)
            continue;
        // The compositor closes the surfaces it held; the overlays are
        // rebuilt for the new screens anyway.
        if (output->xdgOutput)
            zxdg_output_v1_destroy(output->xdgOutput);
        wl_output_destroy(output->output);
        delete output;
        client->m_outputs.removeAt(i);
        return;
    }
}

void LayerShellClient::onConfigure(void *data, zwlr_layer_surface_v1 *layerSurface, quint32 serial,
        quint32 width, quint32 height)
{
    auto *client = static_cast<LayerShellClient *>(data);
    zwlr_layer_surface_v1_ack_configure(layerSurface, serial);
    for (Surface *surface : std::as_const(client->m_surfaces)) {
        if (surface->layerSurface != layerSurface)
            continue;
        surface->size = QSize(int(width), int(height));
        surface->configured = true;
        client->attach(*surface);
        return;
    }
}

void LayerShellClient::onClosed(void *data, zwlr_layer_surface_v1 *layerSurface)
{
    auto *client = static_cast<LayerShellClient *>(data);
    for (Surface *surface : std::as_const(client->m_surfaces)) {
        if (surface->layerSurface == layerSurface) {
            qCInfo(lcMirror).noquote()
                    << "[InkMirror] the compositor closed the mirror of output" << surface->id;
            client->destroy(surface);
            return;
        }
    }
}

std::unique_ptr<LayerShellClient> LayerShellClient::connectToCompositor()
{
    std::unique_ptr<LayerShellClient> client(new LayerShellClient);
    if (!client->initialize())
        return nullptr;
    return client;
}

bool LayerShellClient::initialize()
{
    m_display = wl_display_connect(nullptr);
    if (!m_display)
        return false;
    static const wl_registry_listener registryListener = { onGlobal, onGlobalRemove };
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &registryListener, this);
    // Globals first, then what the outputs tell about themselves.
    if (wl_display_roundtrip(m_display) < 0 || wl_display_roundtrip(m_display) < 0)
        return false;
    if (!m_compositor || !m_shm || !m_layerShell)
        return false;

    m_notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &LayerShellClient::dispatch);
    return true;
}

LayerShellClient::~LayerShellClient()
{
    while (!m_surfaces.isEmpty())
        destroy(m_surfaces.first());
    for (Output *output : std::as_const(m_outputs)) {
        if (output->xdgOutput)
            zxdg_output_v1_destroy(output->xdgOutput);
        wl_output_destroy(output->output);
        delete output;
    }
    if (m_xdgOutputManager)
        zxdg_output_manager_v1_destroy(m_xdgOutputManager);
    if (m_layerShell)
        zwlr_layer_shell_v1_destroy(m_layerShell);
    if (m_shm)
        wl_shm_destroy(m_shm);
    if (m_compositor)
        wl_compositor_destroy(m_compositor);
    if (m_registry)
        wl_registry_destroy(m_registry);
    if (m_display) {
        wl_display_flush(m_display);
        wl_display_disconnect(m_display);
    }
}

void LayerShellClient::addXdgOutput(Output *output)
{
    if (!m_xdgOutputManager || output->xdgOutput)
        return;
    output->xdgOutput = zxdg_output_manager_v1_get_xdg_output(m_xdgOutputManager, output->output);
    zxdg_output_v1_add_listener(output->xdgOutput, &xdgOutputListener, output);
}

int LayerShellClient::outputIndexFor(const QList<QRect> &outputs, const QRect &geometry)
{
    for (qsizetype i = 0; i < outputs.size(); ++i) {
        if (outputs[i].topLeft() == geometry.topLeft())
            return int(i);
    }
    for (qsizetype i = 0; i < outputs.size(); ++i) {
        if (outputs[i].contains(geometry.center()))
            return int(i);
    }
    return -1;
}

int LayerShellClient::createSurface(const QRect &geometry)
{
    if (m_failed)
        return 0;
    QList<QRect> geometries;
    for (const Output *output : std::as_const(m_outputs))
        geometries.append(output->geometry());
    const int index = outputIndexFor(geometries, geometry);
    if (index < 0) {
        qCWarning(lcMirror).noquote() << "[InkMirror] no Wayland output at" << geometry;
        return 0;
    }

    auto *surface = new Surface;
    surface->id = m_nextId++;
    surface->surface = wl_compositor_create_surface(m_compositor);
    // Every press goes to whatever lies below.
    wl_region *region = wl_compositor_create_region(m_compositor);
    wl_surface_set_input_region(surface->surface, region);
    wl_region_destroy(region);
    surface->layerSurface = zwlr_layer_shell_v1_get_layer_surface(m_layerShell, surface->surface,
            m_outputs[index]->output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "inkly");
    static const zwlr_layer_surface_v1_listener layerListener = { onConfigure, onClosed };
    zwlr_layer_surface_v1_add_listener(surface->layerSurface, &layerListener, this);
    zwlr_layer_surface_v1_set_anchor(surface->layerSurface,
            ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM
                    | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    // Over panels and bars too, and never moving them.
    zwlr_layer_surface_v1_set_exclusive_zone(surface->layerSurface, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(surface->layerSurface, 0);
    zwlr_layer_surface_v1_set_size(surface->layerSurface, 0, 0);
    wl_surface_commit(surface->surface);
    m_surfaces.append(surface);
    flush();
    return surface->id;
}

void LayerShellClient::destroy(Surface *surface)
{
    for (auto &buffer : surface->buffers) {
        if (buffer)
            freeBufferMemory(buffer.get());
    }
    if (surface->layerSurface)
        zwlr_layer_surface_v1_destroy(surface->layerSurface);
    if (surface->surface)
        wl_surface_destroy(surface->surface);
    m_surfaces.removeAll(surface);
    delete surface;
    flush();
}

void LayerShellClient::destroySurface(int id)
{
    for (Surface *surface : std::as_const(m_surfaces)) {
        if (surface->id == id) {
            destroy(surface);
            return;
        }
    }
}

void LayerShellClient::present(int id, const QImage &image)
{
    for (Surface *surface : std::as_const(m_surfaces)) {
        if (surface->id != id)
            continue;
        surface->pending = image;
        surface->hasPending = true;
        if (surface->configured)
            attach(*surface);
        return;
    }
}

LayerShellClient::Buffer *LayerShellClient::freeBuffer(Surface &surface, const QSize &size)
{
    for (auto &buffer : surface.buffers) {
        if (buffer && buffer->busy)
            continue;
        if (buffer && buffer->size == size)
            return buffer.get();
        if (!buffer)
            buffer = std::make_unique<Buffer>();
        freeBufferMemory(buffer.get());
        const int stride = size.width() * 4;
        const qsizetype length = qsizetype(stride) * size.height();
        const int fd = memfd_create("inkly-ink", MFD_CLOEXEC);
        if (fd < 0 || ftruncate(fd, off_t(length)) < 0) {
            qCWarning(lcMirror).noquote()
                    << "[InkMirror] no memory for the mirror:" << std::strerror(errno);
            if (fd >= 0)
                close(fd);
            return nullptr;
        }
        void *data = mmap(nullptr, size_t(length), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (data == MAP_FAILED) {
            qCWarning(lcMirror).noquote()
                    << "[InkMirror] no memory for the mirror:" << std::strerror(errno);
            close(fd);
            return nullptr;
        }
        wl_shm_pool *pool = wl_shm_create_pool(m_shm, fd, int32_t(length));
        buffer->buffer = wl_shm_pool_create_buffer(
                pool, 0, size.width(), size.height(), stride, WL_SHM_FORMAT_ARGB8888);
        wl_shm_pool_destroy(pool);
        close(fd);
        buffer->data = static_cast<uchar *>(data);
        buffer->length = length;
        buffer->size = size;
        wl_buffer_add_listener(buffer->buffer, &bufferListener, buffer.get());
        return buffer.get();
    }
    return nullptr;
}

void LayerShellClient::attach(Surface &surface)
{
    if (!surface.hasPending || surface.size.isEmpty())
        return;
    // Hidden is one transparent pixel: the surface stays mapped, so showing
    // it again needs no new round of configuration.
    const QSize size = surface.pending.isNull() ? QSize(1, 1) : surface.size;
    Buffer *buffer = freeBuffer(surface, size);
    if (!buffer)
        return; // Both in use: the release brings the next frame.
    surface.hasPending = false;

    // ARGB8888 in memory order is Qt's premultiplied ARGB32 on little-endian
    // machines, the only ones Wayland compositors run on here.
    QImage target(buffer->data, size.width(), size.height(), size.width() * 4,
            QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    if (!surface.pending.isNull()) {
        QPainter painter(&target);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QRect(QPoint(0, 0), size), surface.pending);
    }
    surface.pending = QImage();

    wl_surface_attach(surface.surface, buffer->buffer, 0, 0);
    wl_surface_damage(surface.surface, 0, 0, size.width(), size.height());
    wl_surface_commit(surface.surface);
    buffer->busy = true;
    flush();
}

void LayerShellClient::flush()
{
    if (m_failed)
        return;
    if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
        m_failed = true;
        qCWarning(lcMirror).noquote()
                << "[InkMirror] the Wayland connection failed:" << std::strerror(errno);
    }
}

void LayerShellClient::dispatch()
{
    if (m_failed)
        return;
    while (wl_display_prepare_read(m_display) != 0)
        wl_display_dispatch_pending(m_display);
    if (wl_display_read_events(m_display) < 0 || wl_display_dispatch_pending(m_display) < 0) {
        m_failed = true;
        m_notifier->setEnabled(false);
        qCWarning(lcMirror).noquote() << "[InkMirror] the Wayland connection failed:"
                                      << std::strerror(wl_display_get_error(m_display));
        return;
    }
    // Surfaces whose frame waited for a free buffer.
    for (Surface *surface : std::as_const(m_surfaces))
        attach(*surface);
    flush();
}
