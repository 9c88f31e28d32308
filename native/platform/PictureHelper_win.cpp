#include "platform/PictureHelper.h"

#include <windows.h>

#ifndef WDA_EXCLUDEFROMCAPTURE
#define WDA_EXCLUDEFROMCAPTURE 0x00000011
#endif

namespace {
enum How { Excluded = 1, Hidden = 2 };
}

// Left out of every capture, the window stays on the screen; Windows before
// 10 2004 knows no such exclusion, and the window is hidden for the moment.
bool PictureHelper::hideForGrab(QWindow *window, HiddenWindow *hidden)
{
    if (!window->handle())
        return false;
    const HWND handle = reinterpret_cast<HWND>(window->winId());
    hidden->handle = window->winId();
    if (SetWindowDisplayAffinity(handle, WDA_EXCLUDEFROMCAPTURE)) {
        hidden->how = Excluded;
    } else {
        ShowWindow(handle, SW_HIDE);
        hidden->how = Hidden;
    }
    return true;
}

void PictureHelper::showAfterGrab(const HiddenWindow &hidden)
{
    const HWND handle = reinterpret_cast<HWND>(hidden.handle);
    if (hidden.how == Excluded)
        SetWindowDisplayAffinity(handle, WDA_NONE);
    else
        ShowWindow(handle, SW_SHOWNOACTIVATE);
}
