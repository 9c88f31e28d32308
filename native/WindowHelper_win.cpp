#include "WindowHelper.h"

#include "Win32Core.h"

bool WindowHelper::restackBelow(quintptr aboveHandle, quintptr belowHandle)
{
    return Win32Core::restackBelow(
            reinterpret_cast<HWND>(aboveHandle), reinterpret_cast<HWND>(belowHandle));
}
