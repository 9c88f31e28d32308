#include "platform/MouseHelper.h"

#include <QCursor>

MouseHelper *MouseHelper::instance()
{
    static MouseHelper *helper = new MouseHelper;
    return helper;
}

QPoint MouseHelper::globalMousePosition() const
{
    return QCursor::pos();
}
