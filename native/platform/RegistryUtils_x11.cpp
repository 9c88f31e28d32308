#include "platform/RegistryUtils.h"

#include <QDir>
#include <QFile>
#include <QStringList>

// The registry stands in as INI files: HKEY_LOCAL_MACHINE in
// registry/HKLM.ini under each system configuration directory, and
// HKEY_CURRENT_USER in registry/HKCU.ini under the user's one. A key path is
// the group name with '/' for '\'; the 32-bit view lives in the *-32.ini twin.

namespace {

const QLatin1String kExpandPrefix("@expand:");

// Relative entries are ignored, as the base directory rules ask.
QStringList absoluteDirs(const QStringList &dirs)
{
    QStringList result;
    for (const QString &dir : dirs) {
        if (QDir::isAbsolutePath(dir))
            result << dir;
    }
    return result;
}

QStringList configDirs(RegistryRules::Root root)
{
    if (root == RegistryRules::Root::CurrentUser) {
        const QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
        const QStringList dirs = absoluteDirs({ home });
        return dirs.isEmpty() ? QStringList { QDir::homePath() + QLatin1String("/.config") } : dirs;
    }
    const QStringList dirs = absoluteDirs(
            qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts));
    return dirs.isEmpty() ? QStringList { QStringLiteral("/etc/xdg") } : dirs;
}

QString fileName(RegistryRules::Root root, RegistryRules::View view)
{
    const QLatin1String hive(root == RegistryRules::Root::CurrentUser ? "HKCU" : "HKLM");
    const QLatin1String suffix(view == RegistryRules::View::Wow64Key32 ? "-32" : "");
    return QLatin1String("/registry/") + hive + suffix + QLatin1String(".ini");
}

QString normalizedKey(QString key)
{
    return key.replace(QLatin1Char('\\'), QLatin1Char('/')).trimmed();
}

// Registry names are compared without regard to letter case. The default value
// of a key is written "@", as in exported .reg files.
std::optional<QString> readIni(const QString &path, const QString &subKey, const QString &valueName)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;

    const QString group = normalizedKey(subKey);
    const QString name = valueName.isEmpty() ? QStringLiteral("@") : valueName;
    bool inGroup = false;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString &rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))
                || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inGroup = normalizedKey(line.mid(1, line.size() - 2))
                              .compare(group, Qt::CaseInsensitive)
                    == 0;
            continue;
        }
        if (!inGroup)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0 || line.left(equals).trimmed().compare(name, Qt::CaseInsensitive) != 0)
            continue;
        QString value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"'))
                && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        if (value.startsWith(kExpandPrefix))
            return RegistryRules::expandEnvironmentReferences(value.mid(kExpandPrefix.size()));
        return value;
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> RegistryUtils::readFromView(RegistryRules::Root root, const QString &subKey,
        const QString &valueName, RegistryRules::View view)
{
    // Earlier directories take precedence over later ones.
    for (const QString &dir : configDirs(root)) {
        if (std::optional<QString> value = readIni(dir + fileName(root, view), subKey, valueName))
            return value;
    }
    return std::nullopt;
}
