#pragma once

#include <QJSEngine>

class QQmlEngine;

// A native service is one process-wide object made by its own accessor. The
// factory that the engine calls for a singleton of the module hands out that
// very object and keeps it owned by C++, so no engine ever makes or deletes
// one, and every engine sees the same instance.
#define INKLY_SINGLETON_FACTORY(Class)                                                             \
public:                                                                                            \
    static Class *create(QQmlEngine *, QJSEngine *)                                                \
    {                                                                                              \
        Class *const object = Class::instance();                                                   \
        QJSEngine::setObjectOwnership(object, QJSEngine::CppOwnership);                            \
        return object;                                                                             \
    }                                                                                              \
                                                                                                   \
private:
