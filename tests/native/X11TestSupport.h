#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

#include <xcb/xcb.h>

class QProcess;
class QWindow;

// What the checks on a real X server share: reading the stack as another
// client sees it, a compositor, and screenshots of the composited screen.
namespace X11TestSupport {

xcb_connection_t *connection();

// The root's child that holds the window: its frame under a window manager.
xcb_window_t topLevelOf(QWindow *window);

enum class Windows { All, Viewable };

// The root's children top to bottom, as `xwininfo -root -children` lists
// them; with Windows::Viewable only those that are mapped and so can be seen.
QList<xcb_window_t> stackTopDown(Windows which = Windows::All);

// Position of the window's top level in stackTopDown(), or -1.
int stackIndex(const QList<xcb_window_t> &stack, QWindow *window);

// Starts `program` on the test display and waits until it runs.
bool startHelper(QProcess &process, const QString &program, const QStringList &arguments);
void stopHelper(QProcess &process);

// Whether some compositing manager owns the screen's compositing selection.
bool compositorActive();

// The composited root window, saved to `path` as PNG; null on failure.
QImage grabScreen(const QString &path);

// Copies a screenshot where people look at them; failure only warns.
void publishShot(const QString &path, const QString &name);

// Grabs the screen into `path` until `problems` finds none or the time is
// up, publishes the last picture under `name` either way (a failing one is
// the one worth looking at) and returns what was still wrong.
QStringList awaitCleanShot(const QString &path, const QString &name,
        const std::function<QStringList(const QImage &)> &problems, int timeoutMs = 20000);

// Largest difference of the three channels.
int colorDistance(QRgb a, QRgb b);

} // namespace X11TestSupport
