#include "AppInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QtQml/qqmlextensionplugin.h>
#include <QtTest>

Q_IMPORT_QML_PLUGIN(Zem_InklyPlugin)

class TestAppInfo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reportsVersionsAndDirectory()
    {
        AppInfo *const info = AppInfo::instance();
        QCOMPARE(info, AppInfo::instance());
        QCOMPARE(info->fileVersion(), QStringLiteral("26.3.3.25"));
        QCOMPARE(info->productVersion(), QStringLiteral(INKLY_PROJECT_VERSION));
        QCOMPARE(QDir(info->appDir()).canonicalPath(),
                QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath());
    }


    void readableFromTheModule()
    {
        QQmlEngine engine;
        engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        QQmlComponent component(&engine);
        component.setData("import QtQml\nimport Zem.Inkly\nQtObject {\n"
                          "    property string file: AppInfo.fileVersion\n"
                          "    property string product: AppInfo.productVersion\n"
                          "    property string dir: AppInfo.appDir\n"
                          "}\n",
                QUrl());
        QScopedPointer<QObject> object(component.create());
        QVERIFY2(object, qPrintable(component.errorString()));
        QCOMPARE(object->property("file").toString(), AppInfo::fileVersion());
        QCOMPARE(object->property("product").toString(), AppInfo::productVersion());
        QCOMPARE(object->property("dir").toString(), AppInfo::appDir());
    }
};

QTEST_GUILESS_MAIN(TestAppInfo)
#include "tst_appinfo.moc"
