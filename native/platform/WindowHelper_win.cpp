#include "platform/WindowHelper.h"

#include "platform/Win32Core.h"

bool WindowHelper::restackBelow(quintptr aboveHandle, quintptr belowHandle)
{
    return Win32Core::restackBelow(
            reinterpret_cast<HWND>(aboveHandle), reinterpret_cast<HWND>(belowHandle));
}

// Windows keeps to the stacking it is asked for.
bool WindowHelper::remapWindow(quintptr)
{
    return false;
}

// SWP_NOACTIVATE keeps the focus where it is, so restacking every time is
// harmless here.
bool WindowHelper::keepBelow(const QList<quintptr> &anchors, const QList<quintptr> &below)
{
    // Topmost windows stay above ordinary ones by themselves.
    if (below.isEmpty())
        return true;
    std::vector<HWND> anchorHandles;
    for (const quintptr handle : anchors)
        anchorHandles.push_back(reinterpret_cast<HWND>(handle));
    std::vector<HWND> belowHandles;
    for (const quintptr handle : below)
        belowHandles.push_back(reinterpret_cast<HWND>(handle));
    return Win32Core::keepBelow(anchorHandles, belowHandles);
}

// The desktop window manager always composites: nothing to cut.
bool WindowHelper::setShape(quintptr, const QList<QRect> &)
{
    return false;
}

void WindowHelper::removeShape(quintptr) { }

void WindowHelper::watchCompositing()
{
    m_compositingActive = true;
}

bool WindowHelper::grabLeftButton(bool)
{
    return false;
}

void WindowHelper::setInputPassThrough(quintptr, bool) { }

bool WindowHelper::backendKeepsWindowsUnmanaged()
{
    return false;
}
