#pragma once

#include "app/QmlSingleton.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// Version strings of the build and the directory the program runs from.
class AppInfo : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(AppInfo)
    Q_PROPERTY(QString fileVersion READ fileVersion CONSTANT FINAL)
    Q_PROPERTY(QString productVersion READ productVersion CONSTANT FINAL)
    Q_PROPERTY(QString appDir READ appDir CONSTANT FINAL)

public:
    static AppInfo *instance();

    static QString fileVersion();
    static QString productVersion();
    // Read afresh each time: the directory is only known once the
    // application object exists.
    static QString appDir();

private:
    AppInfo() = default;
    Q_DISABLE_COPY_MOVE(AppInfo)
};
