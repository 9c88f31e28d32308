#include "RegistryUtils.h"

#include <qt_windows.h>

#include <vector>

namespace {

HKEY rootKey(RegistryRules::Root root)
{
    return root == RegistryRules::Root::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

REGSAM viewFlag(RegistryRules::View view)
{
    switch (view) {
    case RegistryRules::View::Wow64Key64:
        return KEY_WOW64_64KEY;
    case RegistryRules::View::Wow64Key32:
        return KEY_WOW64_32KEY;
    case RegistryRules::View::Default:
        break;
    }
    return 0;
}

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

QString expandEnvironment(const wchar_t *text)
{
    const DWORD needed = ExpandEnvironmentStringsW(text, nullptr, 0);
    if (needed == 0)
        return QString::fromWCharArray(text);
    std::vector<wchar_t> expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text, expanded.data(), needed);
    // The environment could have grown between the two calls.
    if (written == 0 || written > needed)
        return QString::fromWCharArray(text);
    return QString::fromWCharArray(expanded.data());
}

} // namespace

std::optional<QString> RegistryUtils::readFromView(RegistryRules::Root root, const QString &subKey,
        const QString &valueName, RegistryRules::View view)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(rootKey(root), wide(subKey), 0, KEY_READ | viewFlag(view), &key)
            != ERROR_SUCCESS)
        return std::nullopt;

    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, wide(valueName), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return std::nullopt;
    }
    if (size == 0)
        size = 2;

    // One code unit more than the data needs, so the text always ends with a NUL
    // even when the stored string was written without one.
    std::vector<wchar_t> buffer(size / 2 + 1, L'\0');
    DWORD bytes = size;
    const LSTATUS status = RegQueryValueExW(
            key, wide(valueName), nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()), &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;

    if (type == REG_EXPAND_SZ)
        return expandEnvironment(buffer.data());
    return QString::fromWCharArray(buffer.data());
}
