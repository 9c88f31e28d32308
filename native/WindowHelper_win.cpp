#include "WindowHelper.h"

#include <windows.h>

bool WindowHelper::restackBelow(quintptr aboveHandle, quintptr belowHandle)
{
    return SetWindowPos(reinterpret_cast<HWND>(belowHandle), reinterpret_cast<HWND>(aboveHandle),
                        0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE)
        != FALSE;
}

// SWP_NOACTIVATE keeps the focus where it is, so restacking every time is
// harmless here.
bool WindowHelper::keepBelow(const QList<quintptr> &anchors, const QList<quintptr> &below)
{
    bool ok = true;
    for (const quintptr handle : below)
        ok = restackBelow(anchors.first(), handle) && ok;
    return ok;
}

// The desktop window manager always composites: nothing to cut.
bool WindowHelper::setShape(quintptr, const QList<QRect> &)
{
    return false;
}

void WindowHelper::removeShape(quintptr) {}

void WindowHelper::watchCompositing()
{
    m_compositingActive = true;
}

bool WindowHelper::grabLeftButton(bool)
{
    return false;
}

void WindowHelper::setInputPassThrough(quintptr, bool) {}
