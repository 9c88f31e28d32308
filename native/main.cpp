#include "AppController.h"
#include "AppInfo.h"
#include "AppInstanceGuard.h"
#include "MaveloModulesGuard.h"
#include "SingletonPublisher.h"
#include "StartUp.h"
#include "TrayIcon.h"

#include <QApplication>
#include <QDebug>
#include <QIcon>
#include <QLoggingCategory>
#include <QQmlApplicationEngine>
#include <QSessionManager>
#include <QSettings>
#include <QtQml/qqmlextensionplugin.h>

#include <memory>

#if !defined(Q_OS_WIN)
#include "UnixSignalWatcher.h"

#include <csignal>
#endif

Q_IMPORT_QML_PLUGIN(Zem_InklyPlugin)

namespace {

void preferXcbUnderWayland()
{
    // The overlays need global input, stacking and screen geometry that only
    // X11 gives; under Wayland ask for XWayland unless the user chose.
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    if (qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland")
            || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
}

// True when no display server can be reached. The command-line tasks (help,
// version, install, uninstall) still work then, on Qt's offscreen platform.
bool noDisplay()
{
    return !qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
            && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// The session is ending: save now and let the companion libraries go while
// there is still time. Quitting is left to the caller.
void systemShutdownHandler(MaveloModulesGuard *modules)
{
    qInfo() << "[App] System shutdown detected - closing application";
    emit AppController::instance()->shutdownRequested();
    modules->cleanup();
}

} // namespace

int main(int argc, char *argv[])
{
#if !defined(Q_OS_WIN)
    if (qEnvironmentVariableIsSet(StartUp::kRendererProbeVariable))
        return StartUp::printOpenGLRenderer(argc, argv);
#endif
#if !defined(Q_OS_WIN)
    const bool headless = noDisplay();
    if (headless)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    else
        preferXcbUnderWayland();
#endif

    QLoggingCategory::setFilterRules(QStringLiteral("qt.qml.binding.removal.info=true"));
    QCoreApplication::setOrganizationName(QStringLiteral("Zemworks"));
    QCoreApplication::setApplicationName(QStringLiteral("Inkly"));
    QCoreApplication::setApplicationVersion(AppInfo::productVersion());

    auto settings = std::make_unique<QSettings>();
    StartUp::configureLogging(*settings);

    auto app = std::make_unique<QApplication>(argc, argv);
    // Every pointer movement is a point of the stroke: Qt would otherwise
    // merge the moves queued while a frame paints, and fast strokes would
    // lose their corners. The application object turns merging on for X11,
    // so this comes after it; the flags are read at each event.
    QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    QCoreApplication::setAttribute(Qt::AA_CompressTabletEvents, false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/resources/app/app.ico")));
#if !defined(Q_OS_WIN)
    // Ties the windows to the installed launcher and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(INKLY_DESKTOP_ID));
#endif

    if (!StartUp::parseCommandLine(QCoreApplication::arguments())) {
        app.reset();
        settings.reset();
        return 0;
    }

#if !defined(Q_OS_WIN)
    if (headless) {
        qCritical() << "[App] No display found: set DISPLAY to start Inkly";
        app.reset();
        settings.reset();
        return 1;
    }
#endif

    const QString serverName = AppInstanceGuard::defaultServerName(
            QCoreApplication::organizationName(), QCoreApplication::applicationName());
    auto guard = std::make_unique<AppInstanceGuard>(serverName, QStringLiteral("InklyMutex"));
    if (!guard->start()) {
        // Another instance runs: it opens its toolbar, this one ends unseen.
        guard->sendMessage(QStringLiteral("show"));
        guard.reset();
        app.reset();
        settings.reset();
        return 0;
    }

#if !defined(Q_OS_WIN)
    // Without a session manager the end of the session comes as a signal; it
    // is caught from here on so that it never kills the program unsaved.
    auto signalWatcher
            = std::make_unique<UnixSignalWatcher>(QList<int> { SIGTERM, SIGHUP, SIGINT });
#endif

    auto modules = std::make_unique<MaveloModulesGuard>();

    TrayIcon::instance()->initialize(QApplication::tr("잉클리"));

    SingletonPublisher::publishSingletons(guard.get());

#if !defined(Q_OS_WIN)
    StartUp::chooseSceneGraphBackend(*settings);
#endif

    auto engine = std::make_unique<QQmlApplicationEngine>();
    QObject::connect(
            engine.get(), &QQmlApplicationEngine::objectCreationFailed, app.get(),
            [] { QCoreApplication::exit(-1); }, Qt::QueuedConnection);
#ifndef QT_NO_SESSIONMANAGER
    QObject::connect(
            app.get(), &QGuiApplication::commitDataRequest, app.get(),
            [modules = modules.get()](QSessionManager &) { systemShutdownHandler(modules); },
            Qt::DirectConnection);
#endif
#if !defined(Q_OS_WIN)
    // Quitting the loop runs the ordinary quit path, which saves once more.
    QObject::connect(
            signalWatcher.get(), &UnixSignalWatcher::signalReceived, app.get(),
            [modules = modules.get()] {
                systemShutdownHandler(modules);
                QCoreApplication::exit(0);
            },
            Qt::DirectConnection);
#endif

#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    engine->loadFromModule("Zem.Inkly", "App");
#else
    // Before 6.5 the engine does not look under the resource prefix of the
    // module by itself, and the documents import the module by name.
    engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
    engine->load(QUrl(QStringLiteral("qrc:/qt/qml/Zem/Inkly/src/App.qml")));
#endif

    const int result = QApplication::exec();

#if !defined(Q_OS_WIN)
    signalWatcher.reset();
#endif
    engine.reset();
    modules.reset();
    guard.reset();
    app.reset();
    settings.reset();
    return result;
}
