#pragma once

#include "app/QmlSingleton.h"

#include <QLibrary>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// Loads the maker's updater library and forwards start, update and exit to
// it. Without the library every call is a harmless no-op.
class RenovaWrapper : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(RenovaWrapper)

public:
    static RenovaWrapper *instance();

    // "Renova_x64.dll" on Windows, "Renova_x64.so" elsewhere.
    static QString moduleFileName();
    // Where the library is looked for inside `directory`.
    static QString modulePathIn(const QString &directory);

    Q_INVOKABLE int initRenova(const QString &modFileName, const QString &appName);
    Q_INVOKABLE bool exitRenova();
    Q_INVOKABLE bool updateProduct();
    Q_INVOKABLE bool initialized() const;
    Q_INVOKABLE void finalized();

private:
    RenovaWrapper() = default;
    ~RenovaWrapper() override;
    Q_DISABLE_COPY_MOVE(RenovaWrapper)

    void unload();

    QLibrary m_library;
    bool m_ready = false;
    QString m_appName;
};
