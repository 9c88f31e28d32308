#include "app/AutoStartHelper.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

// The XDG autostart entry stands in for the Run key: registered means the
// file $XDG_CONFIG_HOME/autostart/<application>.desktop exists.

namespace {

QString entryDirectory()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        return QString();
    return config + QStringLiteral("/autostart");
}

QString entryPath()
{
    const QString directory = entryDirectory();
    if (directory.isEmpty())
        return QString();
    return directory + QLatin1Char('/') + QCoreApplication::applicationName()
            + QStringLiteral(".desktop");
}

} // namespace

bool AutoStartHelper::startsWithWindows() const
{
    return false;
}

bool AutoStartHelper::writeEntry(const QString &programPath, const QString &args)
{
    const QString path = entryPath();
    if (path.isEmpty() || !QDir().mkpath(entryDirectory()))
        return false;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(desktopEntry(QCoreApplication::applicationName(), programPath, args).toUtf8());
    return file.commit();
}

bool AutoStartHelper::entryMatches(const QString &programPath, const QString &args)
{
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QString text = QString::fromUtf8(file.readAll());
    return sameExecLine(execValueOf(text), programPath, args);
}

bool AutoStartHelper::hasEntry()
{
    const QString path = entryPath();
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool AutoStartHelper::removeEntry()
{
    return QFile::remove(entryPath());
}
