#pragma once

#include "app/QmlSingleton.h"

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

// Points at the root component and carries the "save now" signal from the
// native side to it. The engine owns the root; this only watches it.
class AppController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(AppController)
    Q_PROPERTY(QObject *root READ root WRITE setRoot NOTIFY rootChanged FINAL)

public:
    static AppController *instance();

    QObject *root() const;
    void setRoot(QObject *root);

    Q_INVOKABLE void shutdownFromQml();

signals:
    void rootChanged();
    void shutdownRequested();

private:
    AppController() = default;
    Q_DISABLE_COPY_MOVE(AppController)

    // Guarded: the root dies with the engine, before this object does.
    QPointer<QObject> m_root;
};
