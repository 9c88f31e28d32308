#include "app/StartUp.h"

#include "app/AutoStartHelper.h"
#include "app/CliConstants.h"
#include "app/LogCategories.h"
#include "storage/SettingsStore.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QProcess>
#include <QQuickWindow>
#include <QSemaphore>
#include <QSettings>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace StartUp {

namespace {

int s_logLevel = 2;
QtMessageHandler s_previousHandler = nullptr;
std::function<void()> s_displayLostHandler;
std::function<void()> s_displayLostFallback;
// Read by threads other than the GUI thread, which alone writes the handler.
std::atomic<bool> s_displayLostHandlerSet { false };
std::atomic<bool> s_displayLostHandled { false };
std::atomic<bool> s_guiThreadExiting { false };
bool s_displayLostArmed = false;

bool onGuiThread()
{
    const QCoreApplication *const app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

// The handler touches the declarative engine, so it runs on the GUI thread
// only, and once.
void runDisplayLostHandlerOnce()
{
    if (onGuiThread() && s_displayLostHandler && !s_displayLostHandled.exchange(true))
        s_displayLostHandler();
}

// The GUI thread is stuck; what it would touch is left alone meanwhile.
void runDisplayLostFallbackOnce()
{
    if (s_displayLostFallback && !s_displayLostHandled.exchange(true))
        s_displayLostFallback();
}

void runDisplayLostHandlerAtExit()
{
    if (!onGuiThread())
        return;
    s_guiThreadExiting = true;
    runDisplayLostHandlerOnce();
}

// The GUI thread learns of the broken connection in Qt's event processing and
// calls exit() next. A function registered with atexit runs before the statics
// constructed earlier are destroyed, and by now Qt's are all built.
void armDisplayLostHandlerOnGuiThread()
{
    if (s_displayLostArmed)
        return;
    s_displayLostArmed = true;
    std::atexit(runDisplayLostHandlerAtExit);
}

// A render thread learns of it from Xlib, which ends the process from that
// thread as soon as this returns. The GUI thread is asked to save and end the
// process itself. If it does not answer (it may be waiting for this very
// thread), the native fallback saves from here. Either way the process ends
// here in the end: no wait is without limit, and an exit() racing with the
// GUI thread's is worse than none.
void handDisplayLostToGuiThread()
{
    static std::atomic<bool> posted { false };
    static QSemaphore neverReleased;
    if (!posted.exchange(true)) {
        QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [] {
                    runDisplayLostHandlerOnce();
                    std::fflush(nullptr);
                    // Nothing is left to tear down without the display.
                    std::_Exit(1);
                },
                Qt::QueuedConnection);
    }
    neverReleased.tryAcquire(1, 2000);
    if (s_guiThreadExiting || s_displayLostHandled)
        neverReleased.tryAcquire(1, 5000);
    else
        runDisplayLostFallbackOnce();
    std::fflush(nullptr);
    std::_Exit(1);
}

void onDisplayLost()
{
    if (!s_displayLostHandlerSet || !QCoreApplication::instance())
        return;
    if (onGuiThread())
        armDisplayLostHandlerOnGuiThread();
    else
        handDisplayLostToGuiThread();
}

struct LevelName
{
    const char *name;
    int level;
};

constexpr std::array<LevelName, 7> kLevelNames { {
        { "none", 0 },
        { "off", 0 },
        { "error", 1 },
        { "warning", 2 },
        { "info", 3 },
        { "debug", 4 },
        { "trace", 4 },
} };

} // namespace

int logLevel()
{
    return s_logLevel;
}

void setLogLevel(int level)
{
    s_logLevel = qBound(0, level, 4);
    QLoggingCategory::setFilterRules(filterRules(s_logLevel));
}

QString filterRules(int level)
{
    struct Threshold
    {
        const char *type;
        int level; // the lowest level at which messages of the type pass
    };
    static constexpr std::array<Threshold, 4> kThresholds { {
            { "debug", 4 },
            { "info", 3 },
            { "warning", 2 },
            { "critical", 1 },
    } };
    QStringList rules { QString::fromLatin1(kBindingRemovalRule) };
    for (const Threshold &threshold : kThresholds) {
        if (level < threshold.level)
            rules << QStringLiteral("inkly.*.%1=false").arg(QLatin1String(threshold.type));
    }
    return rules.join(QLatin1Char('\n'));
}

int levelFromSetting(const QVariant &stored, int current)
{
    const QString name = stored.toString().toLower();
    for (const LevelName &entry : kLevelNames) {
        if (name == QLatin1String(entry.name))
            return entry.level;
    }
    bool ok = false;
    const int number = stored.toInt(&ok);
    if (!ok)
        return current;
    return qBound(0, number, 4);
}

bool messagePasses(QtMsgType type, int level)
{
    switch (type) {
    case QtDebugMsg:
        return level >= 4;
    case QtInfoMsg:
        return level >= 3;
    case QtWarningMsg:
        return level >= 2;
    case QtCriticalMsg:
    case QtFatalMsg:
        return level >= 1;
    }
    return false;
}

bool isDisplayLostMessage(QtMsgType type, const QString &message)
{
    return type == QtWarningMsg && message.startsWith(QLatin1String("The X11 connection broke"));
}

void setDisplayLostHandler(std::function<void()> handler, std::function<void()> fallback)
{
    s_displayLostHandler = std::move(handler);
    s_displayLostFallback = std::move(fallback);
    s_displayLostHandlerSet = bool(s_displayLostHandler);
}

void configureLogging(QSettings &settings)
{
    // An absent value reads as "warning"; a stored value that is neither a
    // name nor a number keeps the initial level.
    setLogLevel(levelFromSetting(
            settings.value(QStringLiteral("log/level"), QStringLiteral("warning")), s_logLevel));

    // Installing twice must not make the filter its own successor.
    const QtMessageHandler previous = qInstallMessageHandler(filteredMessageHandler);
    if (previous != filteredMessageHandler)
        s_previousHandler = previous;
}

bool isSpuriousQmlCycleWarning(QtMsgType type, const QString &message)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
    static const QString singletons = QStringLiteral("qrc:/qt/qml/Zem/Inkly/");
    return type == QtWarningMsg
            && message.startsWith(QLatin1String("Cyclic dependency detected between \""))
            && message.count(singletons) == 2;
#else
    Q_UNUSED(type);
    Q_UNUSED(message);
    return false;
#endif
}

void filteredMessageHandler(
        QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (messagePasses(type, s_logLevel) && !isSpuriousQmlCycleWarning(type, message)
            && s_previousHandler) {
        // Qt's message pattern writes any other category before the text; the
        // program's lines name their component in brackets and read as ever.
        if (context.category && qstrncmp(context.category, "inkly.", 6) == 0) {
            const QMessageLogContext plain(context.file, context.line, context.function, "default");
            s_previousHandler(type, plain, message);
        } else {
            s_previousHandler(type, context, message);
        }
    }
    if (isDisplayLostMessage(type, message))
        onDisplayLost();
}

namespace {

// The options every parse of the command line knows, in the order of the help.
struct Options
{
    QCommandLineOption autostart { CliConstants::autostartName(),
        QStringLiteral("Indicates that the application was started automatically (for "
                       "example, during system startup). When specified, the app runs in "
                       "the background without displaying the main window.") };
    QCommandLineOption install { CliConstants::installName(),
        QStringLiteral("Performs installation-related setup tasks. Typically invoked by the "
                       "installer during initial setup.") };
    QCommandLineOption uninstall { CliConstants::uninstallName(),
        QStringLiteral("Performs cleanup tasks for uninstallation. Typically invoked by the "
                       "uninstaller during removal.") };
    // Commands to the running Inkly, named as the channel names them.
    QList<QCommandLineOption> commands {
        { QStringLiteral("toggle"),
                QStringLiteral("Switches the running Inkly on or off; starts it, switched on, when "
                               "none runs.") },
        { QStringLiteral("on"),
                QStringLiteral("Switches the running Inkly on; starts it when none runs.") },
        { QStringLiteral("off"), QStringLiteral("Switches the running Inkly off.") },
        { QStringLiteral("tool"),
                QStringLiteral("Chooses the drawing tool of the running Inkly: %1.")
                        .arg(CliConstants::toolNames().join(QStringLiteral(", "))),
                QStringLiteral("name") },
        { QStringLiteral("undo"),
                QStringLiteral("Undoes the last drawing step of the running Inkly.") },
        { QStringLiteral("redo"),
                QStringLiteral("Redoes the last undone drawing step of the running Inkly.") },
        { QStringLiteral("clear"),
                QStringLiteral("Clears everything drawn in the running Inkly.") },
        { QStringLiteral("save-picture"),
                QStringLiteral("Saves what each screen shows, ink included, as PNG files in the "
                               "Inkly folder of the pictures folder.") },
        { QStringLiteral("copy-picture"),
                QStringLiteral("Copies what the screen under the pointer shows, ink included, to "
                               "the clipboard.") },
    };

    void addTo(QCommandLineParser &parser) const
    {
        parser.addOption(autostart);
        parser.addOption(install);
        parser.addOption(uninstall);
        parser.addOptions(commands);
    }
};

bool commandFromParser(const QCommandLineParser &parser, const Options &options,
        AppInstanceGuard::Command *command, QString *error)
{
    *command = {};
    for (const QCommandLineOption &option : options.commands) {
        const QString name = option.names().constFirst();
        if (!parser.isSet(option))
            continue;
        if (!command->name.isEmpty() || parser.values(option).size() > 1) {
            *error = QStringLiteral("Only one command at a time: --%1 and --%2")
                             .arg(command->name.isEmpty() ? name : command->name, name);
            return false;
        }
        command->name = name;
        if (option.valueName().isEmpty())
            continue;
        const QString value = parser.value(option);
        command->argument = AppInstanceGuard::canonicalToolName(value);
        if (command->argument.isEmpty()) {
            *error = QStringLiteral("Unknown tool '%1'. Tools: %2")
                             .arg(value, CliConstants::toolNames().join(QStringLiteral(", ")));
            return false;
        }
    }
    return true;
}

} // namespace

bool parseCommandLine(const QStringList &arguments, AppInstanceGuard::Command *command)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::applicationName());
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const Options options;
    options.addTo(parser);

    if (!parser.parse(arguments)) {
        qCWarning(lcStartUp) << "CLI parse error:" << parser.errorText();
        parser.showHelp(1);
    }

    if (parser.isSet(helpOption))
        parser.showHelp(0);
    else if (parser.isSet(versionOption))
        parser.showVersion();

    if (parser.isSet(options.install)) {
        runInstallTasks();
        return false;
    }
    if (parser.isSet(options.uninstall)) {
        runUninstallTasks();
        return false;
    }

    AppInstanceGuard::Command asked;
    QString error;
    if (!commandFromParser(parser, options, &asked, &error)) {
        // Told whatever the log level: the caller is a script or a shortcut.
        std::fprintf(stderr, "%s\n", qPrintable(error));
        std::exit(CommandLineError);
    }
    if (command)
        *command = asked;
    return true;
}

bool commandFromArguments(
        const QStringList &arguments, AppInstanceGuard::Command *command, QString *error)
{
    QCommandLineParser parser;
    const Options options;
    options.addTo(parser);
    if (!parser.parse(arguments)) {
        *command = {};
        *error = parser.errorText();
        return false;
    }
    return commandFromParser(parser, options, command, error);
}

bool commandStartsInstance(const AppInstanceGuard::Command &command)
{
    return command.name == QLatin1String("on") || command.name == QLatin1String("toggle");
}

int sendCommand(AppInstanceGuard &guard, const AppInstanceGuard::Command &command)
{
    QString reply;
    switch (guard.sendCommand(command, &reply)) {
    case AppInstanceGuard::SendResult::Accepted:
        return CommandTaken;
    case AppInstanceGuard::SendResult::Refused:
        std::fprintf(
                stderr, "Inkly refused --%s: %s\n", qPrintable(command.name), qPrintable(reply));
        return CommandRefused;
    case AppInstanceGuard::SendResult::NoAnswer:
        std::fprintf(stderr, "Inkly did not answer --%s in time\n", qPrintable(command.name));
        return CommandRefused;
    case AppInstanceGuard::SendResult::NotRunning:
        break;
    }
    if (!guard.errorString().isEmpty())
        std::fprintf(stderr, "Inkly cannot be reached: %s\n", qPrintable(guard.errorString()));
    else
        std::fprintf(stderr, "Inkly is not running; --%s needs a running Inkly\n",
                qPrintable(command.name));
    return NotRunning;
}

void runInstallTasks()
{
    const bool autoStartEnabled
            = SettingsStore::instance()
                      ->getValue(QStringLiteral("app.general.autoStartEnabled"), true)
                      .toBool();
    qCInfo(lcStartUp) << "[Installer] autoStartEnabled setting is" << autoStartEnabled;
    if (!autoStartEnabled) {
        qCInfo(lcStartUp) << "[Installer] skipping autostart registration as per user setting";
        return;
    }
    AutoStartHelper *const autoStart = AutoStartHelper::instance();
    if (autoStart->enable(CliConstants::autostartToken()))
        qCInfo(lcStartUp) << "[Installer] autostart registration succeeded";
    else
        qCWarning(lcStartUp) << "[Installer] autostart registration failed:"
                             << autoStart->errorString();
}

void runUninstallTasks()
{
    AutoStartHelper *const autoStart = AutoStartHelper::instance();
    if (autoStart->disable())
        qCInfo(lcStartUp) << "[Uninstaller] autostart removal succeeded";
    else
        qCWarning(lcStartUp) << "[Uninstaller] autostart removal failed:"
                             << autoStart->errorString();
}

bool isSoftwareRasteriser(const QString &renderer)
{
    static const QStringList software { QStringLiteral("llvmpipe"), QStringLiteral("softpipe"),
        QStringLiteral("swrast"), QStringLiteral("software rasterizer") };
    return std::any_of(software.cbegin(), software.cend(), [&renderer](const QString &name) {
        return renderer.contains(name, Qt::CaseInsensitive);
    });
}

int printOpenGLRenderer(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QOpenGLContext context;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.create() || !context.makeCurrent(&surface))
        return 1;
    const auto *name = context.functions()->glGetString(GL_RENDERER);
    std::fputs(name ? reinterpret_cast<const char *>(name) : "", stdout);
    context.doneCurrent();
    return 0;
}

namespace {

const QString kRendererKey = QStringLiteral("graphics/openGLRenderer");
// The later check waits until start-up is over.
constexpr int kRendererRecheckDelayMs = 15000;

// Asked in a child process: once loaded, a software OpenGL driver stays in
// memory for the life of the process, whichever renderer draws.
QProcess *startRendererProbe(QObject *parent)
{
    auto *probe = new QProcess(parent);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kRendererProbeVariable), QStringLiteral("1"));
    probe->setProcessEnvironment(environment);
    probe->setProcessChannelMode(QProcess::SeparateChannels);
    probe->start(QCoreApplication::applicationFilePath(), {});
    return probe;
}

// The renderer's name, or an empty string when the probe failed.
QString rendererOf(QProcess *probe)
{
    if (probe->exitStatus() != QProcess::NormalExit || probe->exitCode() != 0)
        return {};
    return QString::fromUtf8(probe->readAllStandardOutput()).trimmed();
}

} // namespace

void chooseSceneGraphBackend(QSettings &settings)
{
    for (const char *variable : { "QT_QUICK_BACKEND", "QSG_RHI_BACKEND" }) {
        if (!qEnvironmentVariableIsEmpty(variable)) {
            qCInfo(lcStartUp).noquote()
                    << QStringLiteral(
                               "[App] Scene graph backend: %1 (chosen by %2 in the environment)")
                               .arg(qEnvironmentVariable(variable), QString::fromLatin1(variable));
            return;
        }
    }
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        // The mirror of the overlays in pointer mode renders them offscreen
        // into memory, which only the software backend does; the canvases
        // paint in software anyway.
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        qCInfo(lcStartUp).noquote()
                << "[App] Scene graph backend: software (Wayland session: the overlays are "
                   "mirrored in pointer mode)";
        return;
    }
    if (platform != QLatin1String("xcb") && !platform.startsWith(QLatin1String("wayland"))) {
        qCInfo(lcStartUp).noquote() << QStringLiteral(
                "[App] Scene graph backend: Qt's default (platform %1 is not probed)")
                                               .arg(platform);
        return;
    }

    // The probe costs about as much as starting OpenGL itself, so the name
    // found last time decides, and is checked again once the program runs.
    QString renderer = settings.value(kRendererKey).toString();
    const bool remembered = !renderer.isEmpty();
    if (remembered) {
        QTimer::singleShot(kRendererRecheckDelayMs, qApp, [&settings] {
            QProcess *probe = startRendererProbe(qApp);
            QObject::connect(probe, &QProcess::finished, probe, [probe, &settings] {
                const QString found = rendererOf(probe);
                if (!found.isEmpty() && found != settings.value(kRendererKey).toString()) {
                    qCInfo(lcStartUp).noquote()
                            << QStringLiteral("[App] OpenGL renderer is now %1; the scene graph "
                                              "backend follows at the next start")
                                       .arg(found);
                    settings.setValue(kRendererKey, found);
                }
                probe->deleteLater();
            });
        });
    } else {
        std::unique_ptr<QProcess> probe(startRendererProbe(nullptr));
        if (probe->waitForFinished(5000))
            renderer = rendererOf(probe.get());
        else
            probe->kill();
        if (!renderer.isEmpty())
            settings.setValue(kRendererKey, renderer);
    }

    if (renderer.isEmpty()) {
        qCInfo(lcStartUp).noquote()
                << "[App] Scene graph backend: Qt's default (the OpenGL renderer could "
                   "not be identified)";
        return;
    }
    const QString how = remembered ? QStringLiteral("as found at an earlier start")
                                   : QStringLiteral("probed");
    if (isSoftwareRasteriser(renderer)) {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        qCInfo(lcStartUp).noquote() << QStringLiteral(
                "[App] Scene graph backend: software (OpenGL renders in software: %1, %2)")
                                               .arg(renderer, how);
        return;
    }
    qCInfo(lcStartUp).noquote() << QStringLiteral(
            "[App] Scene graph backend: Qt's default (OpenGL renderer: %1, %2)")
                                           .arg(renderer, how);
}

} // namespace StartUp
