#include "AppController.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QtQml/qqmlextensionplugin.h>
#include <QtTest>

#include <memory>

Q_IMPORT_QML_PLUGIN(Zem_InklyPlugin)

class TstAppController : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void rootChangesOnlyOnANewValue();
    void shutdownFromQmlEmitsOnce();
    void qmlSeesTheNativeInstance();
};

void TstAppController::cleanup()
{
    AppController::instance()->setRoot(nullptr);
}

void TstAppController::rootChangesOnlyOnANewValue()
{
    AppController *const controller = AppController::instance();
    QCOMPARE(controller->root(), nullptr);
    QSignalSpy changed(controller, &AppController::rootChanged);

    QObject first;
    controller->setRoot(&first);
    QCOMPARE(controller->root(), &first);
    QCOMPARE(changed.count(), 1);

    controller->setRoot(&first);
    QCOMPARE(changed.count(), 1);

    QObject second;
    controller->setRoot(&second);
    QCOMPARE(controller->root(), &second);
    QCOMPARE(changed.count(), 2);

    controller->setRoot(nullptr);
    QCOMPARE(controller->root(), nullptr);
    QCOMPARE(changed.count(), 3);
    controller->setRoot(nullptr);
    QCOMPARE(changed.count(), 3);

    // The engine owns the root; once it is gone the controller must not hand
    // out a dangling pointer.
    auto doomed = std::make_unique<QObject>();
    controller->setRoot(doomed.get());
    doomed.reset();
    QCOMPARE(controller->root(), nullptr);
}

void TstAppController::shutdownFromQmlEmitsOnce()
{
    AppController *const controller = AppController::instance();
    QSignalSpy shutdown(controller, &AppController::shutdownRequested);
    QSignalSpy changed(controller, &AppController::rootChanged);
    controller->shutdownFromQml();
    QCOMPARE(shutdown.count(), 1);
    QCOMPARE(changed.count(), 0);
}

void TstAppController::qmlSeesTheNativeInstance()
{
    AppController *const controller = AppController::instance();
    QSignalSpy shutdown(controller, &AppController::shutdownRequested);

    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData(R"(
        import QtQml
        import Zem.Inkly
        QtObject {
            id: root
            property bool sawRoot: false
            // The updater's wrapper is published the same way; without a
            // library it answers as not started.
            property bool updaterIdle: !RenovaWrapper.initialized() && !RenovaWrapper.updateProduct()
            Component.onCompleted: {
                AppController.root = root;
                root.sawRoot = AppController.root === root;
                AppController.shutdownFromQml();
            }
        }
    )",
            QUrl());
    std::unique_ptr<QObject> object(component.create());
    QVERIFY2(object, qPrintable(component.errorString()));
    QCOMPARE(controller->root(), object.get());
    QVERIFY(object->property("sawRoot").toBool());
    QVERIFY(object->property("updaterIdle").toBool());
    QCOMPARE(shutdown.count(), 1);

    object.reset();
    QCOMPARE(controller->root(), nullptr);
}

QTEST_MAIN(TstAppController)
#include "tst_appcontroller.moc"
