#pragma once

#include "app/QmlSingleton.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QJSEngine;
class QQmlEngine;

// Hands usage events to the maker's statistics library when it lies next to
// the executable. Every call into the library goes through one lock, so the
// library is never entered twice at once. Without the library, or when it
// refuses to start, every action is a quiet no-op that returns false.
class TallyWrapper : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(TallyWrapper)

public:
    static TallyWrapper *instance();

    // "Tally_x64.dll" on Windows, "Tally_x64.so" elsewhere.
    static QString moduleFileName();
    // Where the library is looked for inside `directory`.
    static QString modulePathIn(const QString &directory);
    // The library next to the executable: what the program loads.
    static QString defaultModulePath();

    Q_INVOKABLE bool initialize(const QString &modulePath, const QString &productName);
    Q_INVOKABLE bool initializeEx(
            const QString &modulePath, const QString &productName, const QString &companyName);
    Q_INVOKABLE void finalize();
    Q_INVOKABLE bool initialized() const;
    Q_INVOKABLE bool executeAction(const QString &actionID);

private:
    struct TallyLibrary;

    TallyWrapper() = default;
    Q_DISABLE_COPY_MOVE(TallyWrapper)

    static TallyLibrary &library();
    // Both expect the library's lock to be held.
    static bool load(TallyLibrary &library, const QString &modulePath);
    static void release(TallyLibrary &library);

    // Operating-system side, in TallyWrapper_win.cpp and TallyWrapper_unix.cpp.
    static void *loadModule(const QString &path);
    static QFunctionPointer resolveEntry(void *module, const char *name);
    static void unloadModule(void *module);
};
