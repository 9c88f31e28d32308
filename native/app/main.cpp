#include "app/AppController.h"
#include "app/AppInfo.h"
#include "app/AppInstanceGuard.h"
#include "app/LogCategories.h"
#include "app/SingletonPublisher.h"
#include "app/StartUp.h"
#include "app/TrayIcon.h"
#include "app/UiLanguage.h"
#include "storage/DrawingStore.h"
#include "storage/SettingsStore.h"
#include "suite/MaveloModulesGuard.h"

#include <QApplication>
#include <QDateTime>
#include <QDebug>
#include <QIcon>
#include <QLoggingCategory>
#include <QQmlApplicationEngine>
#include <QSessionManager>
#include <QSettings>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>
#include <memory>

#if !defined(Q_OS_WIN)
#include "platform/UnixSignalWatcher.h"

#include <csignal>
#endif

Q_IMPORT_QML_PLUGIN(Zem_InklyPlugin)

namespace {

// Picks the platform plugin before the application object exists and tells
// whether the program has a display to run on. The overlays need global input,
// stacking and screen geometry that only X11 gives, so under Wayland XWayland
// is asked for, but only when an X display is there: without one Qt would end
// the process even for --help. The command-line tasks then run offscreen.
// `chosenByUs` is set when the variable was written here, so that it can be
// taken back before programs we start inherit it.
bool choosePlatform(bool *chosenByUs, bool *waylandRefused)
{
    *chosenByUs = false;
    *waylandRefused = false;
    QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
    // Qt's Wayland plugin cannot place the overlays, keep the toolbar on top
    // or let clicks through, and its tooltips break the protocol: our
    // windows always go through XWayland.
    if (chosen.startsWith("wayland")) {
        *waylandRefused = true;
        chosen.clear();
    }
    if (!chosen.isEmpty() && !chosen.startsWith("xcb"))
        return true;
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        if (chosen.isEmpty()) {
            qputenv("QT_QPA_PLATFORM", "xcb");
            *chosenByUs = true;
        }
        return true;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    *chosenByUs = true;
    return false;
}

// The session is ending: save now and let the companion libraries go while
// there is still time. Quitting is left to the caller.
void systemShutdownHandler(MaveloModulesGuard *modules)
{
    qCInfo(lcStartUp) << "[App] System shutdown detected - closing application";
    emit AppController::instance()->shutdownRequested();
    modules->cleanup();
}

} // namespace

int main(int argc, char *argv[])
{
#if !defined(Q_OS_WIN)
    if (qEnvironmentVariableIsSet(StartUp::kRendererProbeVariable))
        return StartUp::printOpenGLRenderer(argc, argv);
    bool platformChosenByUs = false;
    bool waylandRefused = false;
    const bool hasDisplay = choosePlatform(&platformChosenByUs, &waylandRefused);
#endif

    QLoggingCategory::setFilterRules(QString::fromLatin1(StartUp::kBindingRemovalRule));
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
    // Read once by the application object; the browser or capture program
    // we start picks its own.
    if (platformChosenByUs)
        qunsetenv("QT_QPA_PLATFORM");
#endif

    // Every window, the tray menu included, reads its texts through it.
    UiLanguage::install(app.get(), *settings);

    AppInstanceGuard::Command command;
    if (!StartUp::parseCommandLine(QCoreApplication::arguments(), &command)) {
        app.reset();
        settings.reset();
        return 0;
    }

#if !defined(Q_OS_WIN)
    if (waylandRefused && hasDisplay)
        qCInfo(lcStartUp)
                << "[App] QT_QPA_PLATFORM asks for Wayland; Inkly's windows go through XWayland";
#endif

    const QString serverName = AppInstanceGuard::defaultServerName(
            QCoreApplication::organizationName(), QCoreApplication::applicationName());
    auto guard = std::make_unique<AppInstanceGuard>(serverName, QStringLiteral("InklyMutex"));
    const auto end = [&](int code) {
        guard.reset();
        app.reset();
        settings.reset();
        return code;
    };

    // A command that needs a running instance never takes the lock, so it
    // cannot pass for one while a real start comes up.
    if (!command.name.isEmpty() && !StartUp::commandStartsInstance(command))
        return end(StartUp::sendCommand(*guard, command));

#if !defined(Q_OS_WIN)
    if (!hasDisplay) {
        // A running instance has its display: tell it, else say why we end.
        if (!command.name.isEmpty()
                && guard->sendCommand(command) == AppInstanceGuard::SendResult::Accepted)
            return end(0);
        // Told whatever the log level, like the help text: the user started
        // the program and nothing else would say why it ended.
        std::fputs("Inkly needs an X11 display (XWayland)\n", stderr);
        return end(1);
    }
#endif

    if (!guard->start()) {
        if (!guard->errorString().isEmpty()) {
            std::fprintf(stderr, "Inkly cannot make sure it runs only once: %s\n",
                    qPrintable(guard->errorString()));
            return end(StartUp::InstanceGuardFailed);
        }
        if (!command.name.isEmpty())
            return end(StartUp::sendCommand(*guard, command));
        // Another instance runs: it opens its toolbar, this one ends unseen.
        guard->sendMessage(QStringLiteral("show"));
        return end(0);
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

    // The X server went away: the session is ending all the same. Without the
    // GUI thread only what the native stores hold can be written.
    StartUp::setDisplayLostHandler([modules = modules.get()] { systemShutdownHandler(modules); },
            [] {
                qCInfo(lcStartUp) << "[App] X11 connection lost - saving the drawing";
                DrawingStore::instance()->saveOnExit();
                SettingsStore::instance()->setValue(QStringLiteral("app.runtime.lastExitAt"),
                        QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
            });

#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    engine->loadFromModule("Zem.Inkly", "App");
#else
    // Before 6.5 the engine does not look under the resource prefix of the
    // module by itself, and the documents import the module by name.
    engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
    engine->load(QUrl(QStringLiteral("qrc:/qt/qml/Zem/Inkly/src/App.qml")));
#endif

    // Started by a command: it is carried out as if it had come from a later start.
    if (!command.name.isEmpty()) {
        QMetaObject::invokeMethod(
                guard.get(), [guard = guard.get(), command] { guard->dispatch(command); },
                Qt::QueuedConnection);
    }

    const int result = QApplication::exec();
    // A save that failed during the run gets its last chance here.
    DrawingStore::instance()->saveOnExit();
    SettingsStore::instance()->saveOnExit();
    StartUp::setDisplayLostHandler({}, {});

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
