#include "X11TestSupport.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QWindow>
#include <QtGlobal>

#include <cstdlib>
#include <cstring>

namespace X11TestSupport {

xcb_connection_t *connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t topLevelOf(QWindow *window)
{
    xcb_connection_t *c = connection();
    if (!c || !window)
        return XCB_WINDOW_NONE;
    xcb_window_t current = xcb_window_t(window->winId());
    for (;;) {
        xcb_query_tree_reply_t *tree = xcb_query_tree_reply(c, xcb_query_tree(c, current), nullptr);
        if (!tree)
            return XCB_WINDOW_NONE;
        const xcb_window_t parent = tree->parent;
        const xcb_window_t root = tree->root;
        std::free(tree);
        if (parent == root || parent == XCB_WINDOW_NONE)
            return current;
        current = parent;
    }
}

QList<xcb_window_t> stackTopDown(Windows which)
{
    // Our own requests must have reached the server before another client looks.
    if (xcb_connection_t *c = connection())
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    QProcess xwininfo;
    xwininfo.start(
            QStringLiteral("xwininfo"), { QStringLiteral("-root"), QStringLiteral("-children") });
    if (!xwininfo.waitForFinished(10000) || xwininfo.exitCode() != 0)
        return {};
    // "     0x200008 "title": ("name" "class")  200x100+10+10  +10+10"
    static const QRegularExpression child(
            QStringLiteral(R"(^\s+(0x[0-9a-fA-F]+)\s)"), QRegularExpression::MultilineOption);
    const QString output = QString::fromLocal8Bit(xwininfo.readAllStandardOutput());
    const qsizetype listStart = output.indexOf(QLatin1String("children:"));
    if (listStart < 0)
        return {};
    QList<xcb_window_t> windows;
    auto it = child.globalMatch(output.mid(listStart));
    while (it.hasNext())
        windows.append(xcb_window_t(it.next().captured(1).toUInt(nullptr, 16)));
    if (which == Windows::Viewable) {
        xcb_connection_t *c = connection();
        windows.removeIf([c](xcb_window_t window) {
            xcb_get_window_attributes_reply_t *attributes = c
                    ? xcb_get_window_attributes_reply(
                            c, xcb_get_window_attributes(c, window), nullptr)
                    : nullptr;
            const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
            std::free(attributes);
            return !viewable;
        });
    }
    return windows;
}

int stackIndex(const QList<xcb_window_t> &stack, QWindow *window)
{
    const xcb_window_t topLevel = topLevelOf(window);
    return topLevel == XCB_WINDOW_NONE ? -1 : int(stack.indexOf(topLevel));
}

bool startHelper(QProcess &process, const QString &program, const QStringList &arguments)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return false;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(path, arguments);
    return process.waitForStarted(10000);
}

void stopHelper(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

bool compositorActive()
{
    xcb_connection_t *c = connection();
    if (!c)
        return false;
    static const char name[] = "_NET_WM_CM_S0";
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    if (!atom)
        return false;
    xcb_get_selection_owner_reply_t *owner
            = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
    const bool active = owner && owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    std::free(atom);
    return active;
}

QImage grabScreen(const QString &path)
{
    if (xcb_connection_t *c = connection())
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    // xwd would read the windows' own contents and miss the compositor.
    QProcess import;
    import.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    import.start(QStringLiteral("/usr/bin/import"),
            { QStringLiteral("-window"), QStringLiteral("root"), path });
    if (!import.waitForFinished(30000) || import.exitStatus() != QProcess::NormalExit
            || import.exitCode() != 0)
        return {};
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

QStringList awaitCleanShot(const QString &path, const QString &name,
        const std::function<QStringList(const QImage &)> &problems, int timeoutMs)
{
    QStringList found;
    // Canvases paint over a few frames and the compositor follows them.
    QTest::qWaitFor(
            [&] {
                found = problems(grabScreen(path));
                return found.isEmpty();
            },
            timeoutMs);
    publishShot(path, name);
    return found;
}

void publishShot(const QString &path, const QString &name)
{
    const QString dir = QStringLiteral("/tmp/inkly-shots");
    const QString target = dir + QLatin1Char('/') + name;
    QDir().mkpath(dir);
    QFile::remove(target);
    if (!QFile::copy(path, target))
        qWarning("could not copy the screenshot to %s", qPrintable(target));
}

int colorDistance(QRgb a, QRgb b)
{
    return qMax(
            qAbs(qRed(a) - qRed(b)), qMax(qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))));
}

} // namespace X11TestSupport
