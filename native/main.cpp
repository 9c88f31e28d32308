#include "AppInstanceGuard.h"
#include "SingletonPublisher.h"
#include "StartUp.h"
#include "TrayIcon.h"

#include <QApplication>
#include <QDebug>
#include <QIcon>
#include <QLoggingCategory>
#include <QQmlApplicationEngine>
#include <QSettings>
#include <QtQml/qqmlextensionplugin.h>

#include <memory>

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

} // namespace

int main(int argc, char *argv[])
{
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
    QCoreApplication::setApplicationVersion(QStringLiteral("1.1.0.25"));

    auto settings = std::make_unique<QSettings>();
    StartUp::configureLogging(*settings);

    auto app = std::make_unique<QApplication>(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/resources/app/app.ico")));

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

    // The companion-module guard takes its place here, before the tray icon.

    TrayIcon::instance()->initialize(QApplication::tr("잉클리"));

    SingletonPublisher::publishSingletons(guard.get());

    auto engine = std::make_unique<QQmlApplicationEngine>();
    QObject::connect(
            engine.get(), &QQmlApplicationEngine::objectCreationFailed, app.get(),
            [] { QCoreApplication::exit(-1); }, Qt::QueuedConnection);

#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    engine->loadFromModule("Zem.Inkly", "App");
#else
    engine->load(QUrl(QStringLiteral("qrc:/qt/qml/Zem/Inkly/src/App.qml")));
#endif

    const int result = QApplication::exec();

    engine.reset();
    guard.reset();
    app.reset();
    settings.reset();
    return result;
}
