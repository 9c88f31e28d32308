#include "platform/Win32Core.h"

#include <shellscalingapi.h>
#include <wtsapi32.h>

#include <algorithm>
#include <utility>

#ifdef _MSC_VER
#pragma comment(lib, "wtsapi32")
#endif

namespace Win32Core {

namespace {

constexpr USHORT kUsagePageGeneric = 0x01;
constexpr USHORT kUsageMouse = 0x02;
constexpr USHORT kUsageKeyboard = 0x06;
constexpr USHORT kCtrlMakeCode = 0x1D;
constexpr USHORT kPauseMakeCode = 0x45;

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kStartupApprovedKey[]
        = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
// The first byte of a value there; others mean switched off.
constexpr BYTE kStartupApprovedOn = 0x02;

// The value's bytes with room for a terminating NUL, so that a value of odd
// size or one stored without its NUL still ends inside the buffer.
std::optional<std::wstring> queryString(HKEY key, const std::wstring &valueName, DWORD *type)
{
    DWORD size = 0;
    if (RegQueryValueExW(key, valueName.c_str(), nullptr, type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    // The value can grow between the size query and the read.
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::vector<wchar_t> buffer((size + 1) / 2 + 1, L'\0');
        DWORD bytes = size;
        const LSTATUS status = RegQueryValueExW(key, valueName.c_str(), nullptr, type,
                reinterpret_cast<LPBYTE>(buffer.data()), &bytes);
        if (status == ERROR_MORE_DATA) {
            size = bytes;
            continue;
        }
        if (status != ERROR_SUCCESS)
            return std::nullopt;
        // A trailing half code unit is no character; it is cut off.
        buffer[bytes / 2] = L'\0';
        return std::wstring(buffer.data());
    }
    return std::nullopt;
}

void unregisterUsage(USHORT usage)
{
    const RAWINPUTDEVICE device = { kUsagePageGeneric, usage, RIDEV_REMOVE, nullptr };
    RegisterRawInputDevices(&device, 1, sizeof(RAWINPUTDEVICE));
}

using GetDpiForMonitorFn = HRESULT(WINAPI *)(HMONITOR, MONITOR_DPI_TYPE, UINT *, UINT *);

// Shcore is resolved at run time so that the program needs no import library
// for it and still starts where it is missing.
GetDpiForMonitorFn getDpiForMonitor()
{
    static const GetDpiForMonitorFn function = [] {
        const HMODULE shcore = LoadLibraryW(L"Shcore.dll");
        return shcore ? reinterpret_cast<GetDpiForMonitorFn>(
                       reinterpret_cast<void *>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    return function;
}

struct MessageTarget
{
    MessageHandler handler;
    void *context;
};

LRESULT CALLBACK messageWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto *create = reinterpret_cast<const CREATESTRUCTW *>(lParam);
        SetWindowLongPtrW(
                window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto *target = reinterpret_cast<MessageTarget *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (target) {
        const MSG msg = { window, message, wParam, lParam, DWORD(GetMessageTime()), {} };
        target->handler(target->context, msg);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            delete target;
        }
    }
    // WM_INPUT too: the default procedure frees the record.
    return DefWindowProcW(window, message, wParam, lParam);
}

bool isTopmost(HWND window)
{
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

BOOL CALLBACK collectMonitor(HMONITOR handle, HDC, LPRECT rect, LPARAM data)
{
    MONITORINFOEXW info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(MONITORINFOEXW);
    if (!GetMonitorInfoW(handle, &info))
        return TRUE;

    MonitorInfo monitor;
    monitor.deviceName = info.szDevice;
    monitor.rect = *rect;
    monitor.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    UINT dpiX = 0;
    UINT dpiY = 0;
    const GetDpiForMonitorFn function = getDpiForMonitor();
    if (function && SUCCEEDED(function(handle, MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) && dpiX > 0) {
        monitor.dpiX = dpiX;
        monitor.dpiKnown = true;
    }
    reinterpret_cast<std::vector<MonitorInfo> *>(data)->push_back(monitor);
    return TRUE;
}

} // namespace

std::optional<std::wstring> readRegistryString(
        HKEY root, const std::wstring &subKey, const std::wstring &valueName, REGSAM viewFlag)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ | viewFlag, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = REG_NONE;
    std::optional<std::wstring> text = queryString(key, valueName, &type);
    RegCloseKey(key);
    if (text && type == REG_EXPAND_SZ)
        return expandEnvironment(*text);
    return text;
}

std::wstring expandEnvironment(const std::wstring &text)
{
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0)
        return text;
    std::vector<wchar_t> expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
    // The environment could have grown between the two calls.
    if (written == 0 || written > needed)
        return text;
    return std::wstring(expanded.data());
}

std::wstring runKeyData(const std::wstring &programPath, const std::wstring &args)
{
    std::wstring data = L"\"" + programPath + L"\"";
    if (!args.empty())
        data += L" " + args;
    return data;
}

bool writeRunValue(const std::wstring &name, const std::wstring &data)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(
                HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr)
            != ERROR_SUCCESS)
        return false;
    const LSTATUS status = RegSetValueExW(key, name.c_str(), 0, REG_SZ,
            reinterpret_cast<const BYTE *>(data.c_str()),
            DWORD((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return false;
    // Switching on here overrides a switch-off in Task Manager; without its
    // mark Windows starts the value.
    const LSTATUS cleared
            = RegDeleteKeyValueW(HKEY_CURRENT_USER, kStartupApprovedKey, name.c_str());
    return cleared == ERROR_SUCCESS || cleared == ERROR_FILE_NOT_FOUND;
}

std::optional<std::wstring> readRunValue(const std::wstring &name)
{
    return readRegistryString(HKEY_CURRENT_USER, kRunKey, name, 0);
}

bool runValueStarts(const std::wstring &name)
{
    if (!readRunValue(name))
        return false;
    BYTE mark[64] = {};
    DWORD size = sizeof(mark);
    // Without a readable mark Windows starts the value.
    if (RegGetValueW(HKEY_CURRENT_USER, kStartupApprovedKey, name.c_str(), RRF_RT_REG_BINARY,
                nullptr, mark, &size)
                    != ERROR_SUCCESS
            || size == 0)
        return true;
    return mark[0] == kStartupApprovedOn;
}

bool removeRunValue(const std::wstring &name)
{
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key);
    if (status == ERROR_FILE_NOT_FOUND)
        return true;
    if (status != ERROR_SUCCESS)
        return false;
    status = RegDeleteValueW(key, name.c_str());
    RegCloseKey(key);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

RawEvent parseRawInput(const RAWINPUT &input, bool buttonsSwapped)
{
    RawEvent event;
    if (input.header.dwType == RIM_TYPEKEYBOARD) {
        const RAWKEYBOARD &keyboard = input.data.keyboard;
        // 0xFF marks the shifts the keyboard fakes around E0 keys; an overrun
        // is no key at all.
        if (keyboard.VKey == 0xFF || keyboard.MakeCode == KEYBOARD_OVERRUN_MAKE_CODE)
            return event;
        event.kind = RawEvent::Kind::Keyboard;
        event.virtualKey = keyboard.VKey;
        // Pause sends E1 1D 45; without the E1 its 1D is Left Ctrl's code.
        event.makeCode = (keyboard.Flags & RI_KEY_E1) && keyboard.MakeCode == kCtrlMakeCode
                ? kPauseMakeCode
                : keyboard.MakeCode;
        event.keyDown = (keyboard.Flags & RI_KEY_BREAK) == 0;
        event.extended = (keyboard.Flags & RI_KEY_E0) != 0;
    } else if (input.header.dwType == RIM_TYPEMOUSE) {
        const USHORT flags = input.data.mouse.usButtonFlags;
        static const USHORT bits[RawButtonCount][2] = {
            { RI_MOUSE_LEFT_BUTTON_DOWN, RI_MOUSE_LEFT_BUTTON_UP },
            { RI_MOUSE_MIDDLE_BUTTON_DOWN, RI_MOUSE_MIDDLE_BUTTON_UP },
            { RI_MOUSE_RIGHT_BUTTON_DOWN, RI_MOUSE_RIGHT_BUTTON_UP },
        };
        event.kind = RawEvent::Kind::Mouse;
        for (int button = 0; button < RawButtonCount; ++button) {
            event.down[button] = (flags & bits[button][0]) != 0;
            event.up[button] = (flags & bits[button][1]) != 0;
        }
        if (buttonsSwapped) {
            std::swap(event.down[RawLeft], event.down[RawRight]);
            std::swap(event.up[RawLeft], event.up[RawRight]);
        }
    }
    return event;
}

std::optional<RawEvent> readRawInput(HRAWINPUT handle)
{
    UINT size = 0;
    if (GetRawInputData(handle, RID_INPUT, nullptr, &size, sizeof(RAWINPUTHEADER)) != 0
            || size < sizeof(RAWINPUTHEADER))
        return std::nullopt;
    // RAWINPUT is read in place, so the buffer keeps its alignment.
    std::vector<RAWINPUT> buffer(size / sizeof(RAWINPUT) + 1);
    if (GetRawInputData(handle, RID_INPUT, buffer.data(), &size, sizeof(RAWINPUTHEADER)) != size)
        return std::nullopt;
    // Read on every record: the user can swap the buttons at any time, and
    // SwapMouseButton tells no window about it.
    return parseRawInput(buffer.front(), GetSystemMetrics(SM_SWAPBUTTON) != 0);
}

bool registerRawInput(HWND target, bool mouse, bool keyboard)
{
    std::vector<RAWINPUTDEVICE> devices;
    if (mouse)
        devices.push_back({ kUsagePageGeneric, kUsageMouse, RIDEV_INPUTSINK, target });
    if (keyboard)
        devices.push_back({ kUsagePageGeneric, kUsageKeyboard, RIDEV_INPUTSINK, target });
    return devices.empty()
            || RegisterRawInputDevices(
                    devices.data(), UINT(devices.size()), sizeof(RAWINPUTDEVICE));
}

void unregisterRawInput(bool mouse, bool keyboard)
{
    if (mouse)
        unregisterUsage(kUsageMouse);
    if (keyboard)
        unregisterUsage(kUsageKeyboard);
}

HWND createMessageWindow(MessageHandler handler, void *context)
{
    static const wchar_t className[] = L"InklyMessageWindow";
    static const bool registered = [] {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = messageWindowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className;
        return RegisterClassExW(&windowClass) != 0;
    }();
    if (!registered)
        return nullptr;
    MessageTarget *target = new MessageTarget { handler, context };
    const HWND window = CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
            GetModuleHandleW(nullptr), target);
    if (!window)
        delete target;
    return window;
}

void destroyMessageWindow(HWND window)
{
    if (window)
        DestroyWindow(window);
}

bool keyHeld(unsigned virtualKey)
{
    return (GetAsyncKeyState(int(virtualKey)) & 0x8000) != 0;
}

HotKeyRegistration registerHotKey(int id, unsigned modifiers, unsigned virtualKey)
{
    if (RegisterHotKey(nullptr, id, modifiers | MOD_NOREPEAT, virtualKey))
        return HotKeyRegistration::Registered;
    return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED ? HotKeyRegistration::Taken
                                                             : HotKeyRegistration::Failed;
}

void unregisterHotKey(int id)
{
    UnregisterHotKey(nullptr, id);
}

int hotKeyOf(const MSG &message)
{
    return message.message == WM_HOTKEY && message.hwnd == nullptr ? int(message.wParam) : 0;
}

std::optional<std::vector<MonitorInfo>> enumerateMonitors(const RECT *clip)
{
    std::vector<MonitorInfo> monitors;
    if (!EnumDisplayMonitors(nullptr, clip, collectMonitor, reinterpret_cast<LPARAM>(&monitors))
            || monitors.empty())
        return std::nullopt;
    return monitors;
}

bool restackBelow(HWND above, HWND below)
{
    return SetWindowPos(below, above, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE)
            != FALSE;
}

bool keepBelow(const std::vector<HWND> &anchors, const std::vector<HWND> &below)
{
    HWND lowest = nullptr;
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        if (std::find(anchors.begin(), anchors.end(), window) != anchors.end())
            lowest = window;
    }
    if (!lowest)
        return false;
    // A window inserted after a topmost one becomes topmost itself, and would
    // then cover every ordinary window. An ordinary window goes to the top of
    // the ordinary ones instead: that is still below every topmost anchor.
    const bool topmostAnchor = isTopmost(lowest);
    bool ok = true;
    for (const HWND window : below) {
        const HWND insertAfter = topmostAnchor && !isTopmost(window) ? HWND_TOP : lowest;
        ok = SetWindowPos(window, insertAfter, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE)
                        != FALSE
                && ok;
    }
    return ok;
}

DWORD currentSessionId()
{
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session))
        return 0;
    return session;
}

std::wstring sessionScopedName(const std::wstring &name)
{
    return name + L"." + std::to_wstring(currentSessionId());
}

std::wstring sessionMutexName(const std::wstring &name)
{
    return L"Local\\" + name;
}

MutexClaim claimMutex(const std::wstring &name, HANDLE *handle)
{
    *handle = CreateMutexW(nullptr, TRUE, name.c_str());
    const DWORD error = GetLastError();
    if (!*handle)
        return MutexClaim::Failed;
    return error == ERROR_ALREADY_EXISTS ? MutexClaim::AlreadyExists : MutexClaim::Created;
}

void releaseMutex(HANDLE handle)
{
    if (!handle)
        return;
    // Fails harmlessly for a handle that never owned the mutex.
    ReleaseMutex(handle);
    CloseHandle(handle);
}

DWORD allowPipeServerForeground(HANDLE pipe)
{
    ULONG process = 0;
    if (!GetNamedPipeServerProcessId(pipe, &process))
        return 0;
    // Refused when we are not in the foreground ourselves: then the first
    // instance flashes in the taskbar instead, which is all Windows allows.
    AllowSetForegroundWindow(process);
    return process;
}

Registration registerSessionNotification(HWND window)
{
    if (WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION))
        return Registration::Done;
    return GetLastError() == RPC_S_INVALID_BINDING ? Registration::NotYet : Registration::Failed;
}

bool unregisterSessionNotification(HWND window)
{
    return WTSUnRegisterSessionNotification(window) != FALSE;
}

SessionChange sessionChangeOf(const MSG &message)
{
    if (message.message != WM_WTSSESSION_CHANGE)
        return SessionChange::None;
    if (message.wParam == WTS_SESSION_LOCK)
        return SessionChange::Locked;
    if (message.wParam == WTS_SESSION_UNLOCK)
        return SessionChange::Unlocked;
    return SessionChange::None;
}

HMODULE loadLibrary(const std::wstring &path)
{
    // A broken or missing library must never put a dialog in front of the user.
    DWORD previousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    const HMODULE module = LoadLibraryW(path.c_str());
    SetThreadErrorMode(previousMode, nullptr);
    return module;
}

void *resolveExport(HMODULE module, const char *name)
{
    return module ? reinterpret_cast<void *>(GetProcAddress(module, name)) : nullptr;
}

void freeLibrary(HMODULE module)
{
    if (module)
        FreeLibrary(module);
}

} // namespace Win32Core
