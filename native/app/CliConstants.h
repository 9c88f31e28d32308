#pragma once

#include "app/QmlSingleton.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

// Option names and tokens of the command line, shared by the parser, the
// installer task and the declarative side.
class CliConstants : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(CliConstants)
    Q_PROPERTY(QString autostartName READ autostartName CONSTANT FINAL)
    Q_PROPERTY(QString autostartToken READ autostartToken CONSTANT FINAL)
    Q_PROPERTY(QString installName READ installName CONSTANT FINAL)
    Q_PROPERTY(QString installToken READ installToken CONSTANT FINAL)
    Q_PROPERTY(QString uninstallName READ uninstallName CONSTANT FINAL)
    Q_PROPERTY(QString uninstallToken READ uninstallToken CONSTANT FINAL)
    Q_PROPERTY(QString silentToken READ silentToken CONSTANT FINAL)
    Q_PROPERTY(QStringList toolNames READ toolNames CONSTANT FINAL)

public:
    static CliConstants *instance();

    static const QString &autostartName();
    static const QString &autostartToken();
    static const QString &installName();
    static const QString &installToken();
    static const QString &uninstallName();
    static const QString &uninstallToken();
    static const QString &silentToken();
    // What `--tool` takes: every tool's stored name, then "Pointer" for the
    // pointer ("None" works too).
    static const QStringList &toolNames();

private:
    CliConstants() = default;
    Q_DISABLE_COPY_MOVE(CliConstants)
};
