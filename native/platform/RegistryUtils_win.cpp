#include "platform/RegistryUtils.h"

#include "platform/Win32Core.h"

std::optional<QString> RegistryUtils::readFromView(RegistryRules::Root root, const QString &subKey,
        const QString &valueName, RegistryRules::View view)
{
    const HKEY rootKey
            = root == RegistryRules::Root::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    REGSAM viewFlag = 0;
    if (view == RegistryRules::View::Wow64Key64)
        viewFlag = KEY_WOW64_64KEY;
    else if (view == RegistryRules::View::Wow64Key32)
        viewFlag = KEY_WOW64_32KEY;
    const std::optional<std::wstring> text = Win32Core::readRegistryString(
            rootKey, subKey.toStdWString(), valueName.toStdWString(), viewFlag);
    if (!text)
        return std::nullopt;
    return QString::fromStdWString(*text);
}
