#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

#include <memory>

class QSocketNotifier;
struct wl_buffer;
struct wl_compositor;
struct wl_display;
struct wl_output;
struct wl_registry;
struct wl_shm;
struct wl_surface;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

// A connection of our own to the Wayland compositor, beside the X11 one Qt
// uses, for surfaces in the compositor's overlay layer: they cover a whole
// output above every program, fullscreen ones included, and take neither
// the pointer nor the keyboard. Qt's own Wayland plugin cannot make such
// surfaces without its private headers.
class LayerShellClient : public QObject
{
    Q_OBJECT

public:
    // Null when there is no compositor or it offers no layer shell.
    static std::unique_ptr<LayerShellClient> connectToCompositor();
    ~LayerShellClient() override;

    // A surface over the output whose logical geometry is `geometry`
    // (X11 coordinates under XWayland are the compositor's logical ones).
    // Returns 0 when no output lies there.
    int createSurface(const QRect &geometry);
    void destroySurface(int id);
    // Shows `image` on the surface, stretched to the output when its size
    // differs; a null image shows nothing and keeps the surface mapped.
    void present(int id, const QImage &image);

    struct Output
    {
        wl_output *output = nullptr;
        zxdg_output_v1 *xdgOutput = nullptr;
        quint32 name = 0;
        // The wl_output position and mode; xdg-output's logical geometry
        // wins where the compositor scales.
        QPoint position;
        QSize modeSize;
        QRect logical;
        QRect geometry() const { return logical.isValid() ? logical : QRect(position, modeSize); }
    };
    struct Buffer
    {
        wl_buffer *buffer = nullptr;
        uchar *data = nullptr;
        qsizetype length = 0;
        QSize size;
        bool busy = false;
    };
    struct Surface
    {
        int id = 0;
        wl_surface *surface = nullptr;
        zwlr_layer_surface_v1 *layerSurface = nullptr;
        QSize size;
        bool configured = false;
        QImage pending;
        bool hasPending = false;
        std::unique_ptr<Buffer> buffers[2];
    };

    // The output for an overlay: the same top-left corner, else the one that
    // holds the centre. Pure, for the tests.
    static int outputIndexFor(const QList<QRect> &outputs, const QRect &geometry);

private:
    LayerShellClient() = default;
    Q_DISABLE_COPY_MOVE(LayerShellClient)

    bool initialize();
    static void onGlobal(void *data, wl_registry *registry, quint32 name, const char *interface,
            quint32 version);
    static void onGlobalRemove(void *data, wl_registry *registry, quint32 name);
    static void onConfigure(void *data, zwlr_layer_surface_v1 *layerSurface, quint32 serial,
            quint32 width, quint32 height);
    static void onClosed(void *data, zwlr_layer_surface_v1 *layerSurface);
    void dispatch();
    void flush();
    void attach(Surface &surface);
    Buffer *freeBuffer(Surface &surface, const QSize &size);
    void addXdgOutput(Output *output);
    void destroy(Surface *surface);

    wl_display *m_display = nullptr;
    wl_registry *m_registry = nullptr;
    wl_compositor *m_compositor = nullptr;
    wl_shm *m_shm = nullptr;
    zwlr_layer_shell_v1 *m_layerShell = nullptr;
    zxdg_output_manager_v1 *m_xdgOutputManager = nullptr;
    QList<Output *> m_outputs;
    QList<Surface *> m_surfaces;
    int m_nextId = 1;
    QSocketNotifier *m_notifier = nullptr;
    bool m_failed = false;
};
