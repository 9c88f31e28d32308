#include "WindowHelper.h"

#include <windows.h>

bool WindowHelper::restackBelow(quintptr aboveHandle, quintptr belowHandle)
{
    return SetWindowPos(reinterpret_cast<HWND>(belowHandle), reinterpret_cast<HWND>(aboveHandle),
                        0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE)
        != FALSE;
}
