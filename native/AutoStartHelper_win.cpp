#include "AutoStartHelper.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>

namespace {

const QString kRunKey
        = QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");

QString valueName()
{
    return QCoreApplication::applicationName();
}

} // namespace

bool AutoStartHelper::writeEntry(const QString &programPath, const QString &args)
{
    QSettings runKey(kRunKey, QSettings::NativeFormat);
    runKey.setValue(valueName(), buildCommandLine(QDir::toNativeSeparators(programPath), args));
    runKey.sync();
    return runKey.status() == QSettings::NoError;
}

bool AutoStartHelper::entryMatches(const QString &programPath, const QString &args)
{
    const QSettings runKey(kRunKey, QSettings::NativeFormat);
    if (!runKey.contains(valueName()))
        return false;
    return sameCommandLine(runKey.value(valueName()).toString(),
            buildCommandLine(QDir::toNativeSeparators(programPath), args));
}

bool AutoStartHelper::hasEntry()
{
    const QSettings runKey(kRunKey, QSettings::NativeFormat);
    return runKey.contains(valueName());
}

bool AutoStartHelper::removeEntry()
{
    QSettings runKey(kRunKey, QSettings::NativeFormat);
    runKey.remove(valueName());
    runKey.sync();
    return runKey.status() == QSettings::NoError;
}
