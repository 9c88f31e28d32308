#pragma once

#include "app/QmlSingleton.h"

#include <QObject>
#include <QPoint>
#include <QtQml/qqmlregistration.h>

// The cursor position on the virtual desktop, which Qt Quick does not offer.
class MouseHelper : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(MouseHelper)

public:
    static MouseHelper *instance();

    // Device-independent pixels, as QCursor::pos() gives them.
    Q_INVOKABLE QPoint globalMousePosition() const;

private:
    MouseHelper() = default;
    Q_DISABLE_COPY_MOVE(MouseHelper)
};
