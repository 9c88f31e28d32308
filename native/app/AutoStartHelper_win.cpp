#include "app/AutoStartHelper.h"

#include "platform/Win32Core.h"

#include <QCoreApplication>
#include <QDir>

namespace {

std::wstring valueName()
{
    return QCoreApplication::applicationName().toStdWString();
}

std::wstring runKeyData(const QString &programPath, const QString &args)
{
    return Win32Core::runKeyData(
            QDir::toNativeSeparators(programPath).toStdWString(), args.toStdWString());
}

} // namespace

bool AutoStartHelper::startsWithWindows() const
{
    return true;
}

bool AutoStartHelper::writeEntry(const QString &programPath, const QString &args)
{
    return Win32Core::writeRunValue(valueName(), runKeyData(programPath, args));
}

bool AutoStartHelper::entryMatches(const QString &programPath, const QString &args)
{
    const std::optional<std::wstring> stored = Win32Core::readRunValue(valueName());
    return stored && Win32Core::runValueStarts(valueName())
            && sameCommandLine(QString::fromStdWString(*stored),
                    QString::fromStdWString(runKeyData(programPath, args)));
}

bool AutoStartHelper::hasEntry()
{
    return Win32Core::runValueStarts(valueName());
}

bool AutoStartHelper::removeEntry()
{
    return Win32Core::removeRunValue(valueName());
}
