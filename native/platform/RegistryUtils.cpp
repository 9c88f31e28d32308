#include "platform/RegistryUtils.h"

namespace RegistryRules {

KeyPath splitFullPath(const QString &fullPath)
{
    struct Prefix
    {
        QLatin1String text;
        Root root;
    };
    static const Prefix prefixes[] = {
        { QLatin1String("HKEY_LOCAL_MACHINE\\"), Root::LocalMachine },
        { QLatin1String("HKLM\\"), Root::LocalMachine },
        { QLatin1String("HKEY_CURRENT_USER\\"), Root::CurrentUser },
        { QLatin1String("HKCU\\"), Root::CurrentUser },
    };
    for (const Prefix &prefix : prefixes) {
        if (fullPath.startsWith(prefix.text, Qt::CaseInsensitive))
            return { prefix.root, fullPath.mid(prefix.text.size()) };
    }
    return { Root::LocalMachine, fullPath };
}

QList<View> viewsFor(int mode)
{
    switch (mode) {
    case RegistryUtils::Force64:
        return { View::Wow64Key64 };
    case RegistryUtils::Force32:
        return { View::Wow64Key32 };
    case RegistryUtils::DefaultView:
        return { View::Default };
    default:
        return { View::Wow64Key64, View::Wow64Key32, View::Default };
    }
}

QString expandEnvironmentReferences(const QString &text)
{
    QString result;
    result.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('%'), i);
        if (open < 0) {
            result += QStringView(text).mid(i);
            break;
        }
        result += QStringView(text).mid(i, open - i);
        const qsizetype close = text.indexOf(QLatin1Char('%'), open + 1);
        if (close < 0) {
            result += QStringView(text).mid(open);
            break;
        }
        const QString name = text.mid(open + 1, close - open - 1);
        if (!name.isEmpty() && qEnvironmentVariableIsSet(name.toLocal8Bit().constData())) {
            result += qEnvironmentVariable(name.toLocal8Bit().constData());
            i = close + 1;
        } else {
            // The closing percent sign may open the next reference.
            result += QLatin1Char('%');
            result += name;
            i = close;
        }
    }
    return result;
}

} // namespace RegistryRules

RegistryUtils *RegistryUtils::instance()
{
    static RegistryUtils *const s_instance = new RegistryUtils;
    return s_instance;
}

QString RegistryUtils::readRegistryString(
        const QString &fullPath, const QString &valueName, RegistryUtils::ViewMode mode) const
{
    const RegistryRules::KeyPath path = RegistryRules::splitFullPath(fullPath);
    // The first view that holds the value decides, even when its text is empty.
    for (const RegistryRules::View view : RegistryRules::viewsFor(mode)) {
        if (const std::optional<QString> value
                = readFromView(path.root, path.subKey, valueName, view))
            return *value;
    }
    return QString();
}

QString RegistryUtils::readRegistryString(const QString &fullPath, const QString &valueName) const
{
    return readRegistryString(fullPath, valueName, All);
}
