#pragma once

#include "app/QmlSingleton.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// Finds, starts and installs the suite's capture product. Nothing is cached:
// each call reads the registry keys the installers write and checks the file
// system afresh.
class Grabbit : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(Grabbit)

public:
    static Grabbit *instance();

    Q_INVOKABLE QString readGrabbitPath() const;
    Q_INVOKABLE QString readMaveloManagerPath() const;
    Q_INVOKABLE bool isGrabbitInstalled() const;
    Q_INVOKABLE bool isMaveloManagerInstalled() const;
    Q_INVOKABLE bool launchGrabbit() const;
    Q_INVOKABLE bool installGrabbit() const;

private:
    Grabbit() = default;
    Q_DISABLE_COPY_MOVE(Grabbit)

    // The executable `fileName` in the "RootDir" of `registryKey`, or empty
    // when it is not there as an executable file.
    static QString executablePath(const QString &registryKey, const QString &fileName);
};
