#pragma once

#include "app/AppInstanceGuard.h"

#include <QStringList>
#include <QVariant>
#include <QtGlobal>

#include <functional>

class QSettings;

// The entry point's steps that tests and the program share: logging, the
// command line and the installer tasks.
namespace StartUp {

// Set before anything logs: Qt then reports, at info level, the bindings that
// an assignment removes.
inline constexpr char kBindingRemovalRule[] = "qt.qml.binding.removal.info=true";

// Level of the process-wide message filter: 0 none, 1 error, 2 warning,
// 3 info, 4 debug. Setting it also applies filterRules() for it.
int logLevel();
void setLogLevel(int level);

// Category rules for a level: the "inkly." categories are switched off below
// it, so their messages are never even formatted; Qt's own categories stay on
// and are left to the message filter.
QString filterRules(int level);

// The level a stored "log/level" value stands for; `current` is kept when the
// value is neither a level name nor a number.
int levelFromSetting(const QVariant &stored, int current);

// Whether a message of this type passes at this level.
bool messagePasses(QtMsgType type, int level);

// Qt before 6.5 warns of a cycle whenever two singleton documents import the
// module they belong to (QTBUG-66976); nothing is wrong then, so the line is
// not shown.
bool isSpuriousQmlCycleWarning(QtMsgType type, const QString &message);

// Qt's X11 plugin (or Xlib, in a render thread) ends the process with exit()
// once the connection to the X server breaks, and says so in a warning just
// before.
bool isDisplayLostMessage(QtMsgType type, const QString &message);

// Runs `handler` on the GUI thread when the process ends because the X server
// went away, before anything static is destroyed, so that the drawing and the
// settings can still be saved. When the end comes from another thread and the
// GUI thread does not answer (it may be waiting for that very thread), the
// native `fallback` runs there instead. Empty handlers turn it off. Set and
// cleared on the GUI thread while no other thread logs the message above.
void setDisplayLostHandler(std::function<void()> handler, std::function<void()> fallback);

void configureLogging(QSettings &settings);
void filteredMessageHandler(
        QtMsgType type, const QMessageLogContext &context, const QString &message);

// Exit codes of a command to the running instance.
enum CommandExit {
    CommandTaken = 0,
    CommandLineError = 1,
    NotRunning = 2,
    CommandRefused = 3,
    InstanceGuardFailed = 4,
};

// True when start-up goes on; false when the process is to end with 0.
// Help, version and parse errors (a bad command among them) end the process
// inside the call. `command` gets the command for the running instance, with
// an empty name when the line asks for none.
bool parseCommandLine(const QStringList &arguments, AppInstanceGuard::Command *command = nullptr);

// The command a command line asks for (empty name: none). False, with the
// reason in `error`, when it asks for one that cannot be sent.
bool commandFromArguments(
        const QStringList &arguments, AppInstanceGuard::Command *command, QString *error);

// Commands that start the program, switched on, when none runs.
bool commandStartsInstance(const AppInstanceGuard::Command &command);

// A later start's side: sends the command, says what became of it when it
// was not taken, and returns the exit code.
int sendCommand(AppInstanceGuard &guard, const AppInstanceGuard::Command &command);

void runInstallTasks();
void runUninstallTasks();

// --- Scene graph backend --------------------------------------------------

// Set in the environment of the child process that only reports the OpenGL
// renderer's name.
const char *const kRendererProbeVariable = "INKLY_PROBE_OPENGL_RENDERER";

// Whether an OpenGL renderer's name is that of a software rasteriser.
bool isSoftwareRasteriser(const QString &renderer);

// The child's whole work: prints the renderer's name; the exit code.
int printOpenGLRenderer(int argc, char *argv[]);

// Before the first Qt Quick window: when OpenGL would rasterise in software
// anyway, Qt Quick's own software renderer does the same work with far less
// memory and time. A backend the user chose is kept. The renderer's name is
// remembered in `settings`, which must outlive the event loop. Logs the
// choice.
void chooseSceneGraphBackend(QSettings &settings);

} // namespace StartUp
