#include "app/AppInfo.h"
#include "app/AppInstanceGuard.h"
#include "app/SingletonPublisher.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest/quicktest.h>

#include <memory>

Q_IMPORT_QML_PLUGIN(Zem_InklyPlugin)

// What an input method sends while it composes and when it commits.
class InputMethodSender : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE void compose(QObject *item, const QString &preedit, const QString &commit)
    {
        QInputMethodEvent event(preedit, {});
        event.setCommitString(commit);
        QCoreApplication::sendEvent(item, &event);
    }
};

// Publishes the native services exactly as the program does, so that test
// files importing Zem.Inkly talk to the real services.
class Setup : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    void applicationAvailable()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("Zemworks"));
        QCoreApplication::setApplicationName(QStringLiteral("Inkly"));
        QCoreApplication::setApplicationVersion(AppInfo::productVersion());
        // A guard of this run only, not started: the root component
        // connects to it as it does in the program.
        const QString name = QStringLiteral("Inkly.QmlTest.%1").arg(QCoreApplication::applicationPid());
        m_guard = std::make_unique<AppInstanceGuard>(name, name);
        SingletonPublisher::publishSingletons(m_guard.get());
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
        engine->rootContext()->setContextProperty(QStringLiteral("inputMethod"), &m_inputMethod);
    }

private:
    std::unique_ptr<AppInstanceGuard> m_guard;
    InputMethodSender m_inputMethod;
};

int main(int argc, char **argv)
{
    // Widgets-based services (the tray icon) need a QApplication, which the
    // runner would otherwise create as a QGuiApplication.
    QApplication app(argc, argv);
    Setup setup;
    return quick_test_main_with_setup(argc, argv, "tst_qml", QUICK_TEST_SOURCE_DIR, &setup);
}

#include "tst_qml.moc"
