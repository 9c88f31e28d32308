#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <optional>

// The rules of a registry read, kept apart from the operating system so they
// can be exercised directly.
namespace RegistryRules {

enum class Root { LocalMachine, CurrentUser };

// Wow64Key64 and Wow64Key32 are the KEY_WOW64_64KEY / KEY_WOW64_32KEY views;
// Default opens the key without a view flag.
enum class View { Wow64Key64, Wow64Key32, Default };

struct KeyPath
{
    Root root = Root::LocalMachine;
    QString subKey;
};

// Splits "HKLM\SOFTWARE\..." into root and subkey; a path without a known
// prefix is a subkey of HKEY_LOCAL_MACHINE.
KeyPath splitFullPath(const QString &fullPath);

// The views tried for a RegistryUtils::ViewMode value, in order.
QList<View> viewsFor(int mode);

// Replaces %NAME% with the variable from the environment; unknown names stay
// as written, like ExpandEnvironmentStrings does.
QString expandEnvironmentReferences(const QString &text);

} // namespace RegistryRules

// Reads string values from the registry, trying the registry views in a fixed
// order. Stateless.
class RegistryUtils : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    enum ViewMode { All = 0, Force64 = 1, Force32 = 2, DefaultView = 3 };
    Q_ENUM(ViewMode)

    static RegistryUtils *instance();

    Q_INVOKABLE QString readRegistryString(
            const QString &fullPath, const QString &valueName, RegistryUtils::ViewMode mode) const;
    Q_INVOKABLE QString readRegistryString(const QString &fullPath, const QString &valueName) const;

private:
    RegistryUtils() = default;
    Q_DISABLE_COPY_MOVE(RegistryUtils)

    // Implemented by the platform backend: the value's text in one view, or
    // nothing when the key or the value cannot be read there.
    static std::optional<QString> readFromView(RegistryRules::Root root, const QString &subKey,
            const QString &valueName, RegistryRules::View view);
};
