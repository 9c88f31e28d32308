#include "WindowHelper.h"

#include "Win32Core.h"

bool WindowHelper::restackBelow(quintptr aboveHandle, quintptr belowHandle)
{
    return Win32Core::restackBelow(
            reinterpret_cast<HWND>(aboveHandle), reinterpret_cast<HWND>(belowHandle));
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

bool WindowHelper::backendKeepsWindowsUnmanaged()
{
    return false;
}
