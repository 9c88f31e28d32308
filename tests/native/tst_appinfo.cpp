#include "AppInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
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
        QCOMPARE(info->productVersion(), QStringLiteral("1.1.0.25"));
        QCOMPARE(QDir(info->appDir()).canonicalPath(),
                QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath());
    }

    void matchesTheProgramsOwnVersion()
    {
        QProcess program;
        program.start(QStringLiteral(INKLY_BINARY), { QStringLiteral("--version") });
        QVERIFY(program.waitForFinished(30000));
        const QString printed = QString::fromUtf8(program.readAllStandardOutput()).trimmed();
        QCOMPARE(printed, QStringLiteral("Inkly ") + AppInfo::productVersion());
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
