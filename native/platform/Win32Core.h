#pragma once

// The Win32 work of the Windows backends, free of Qt so that it can be built
// with a bare mingw-w64 toolchain and run under Wine. The Qt-facing classes
// translate between these plain values and their own types.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace Win32Core {

// --- Registry ---------------------------------------------------------------

// The value's text in the view `viewFlag` (KEY_WOW64_64KEY, KEY_WOW64_32KEY or
// 0): REG_EXPAND_SZ expanded, any other type read as UTF-16 up to its first
// NUL. Nothing when the key or the value cannot be read.
std::optional<std::wstring> readRegistryString(
        HKEY root, const std::wstring &subKey, const std::wstring &valueName, REGSAM viewFlag);

// ExpandEnvironmentStringsW; the text unchanged when it cannot be expanded.
std::wstring expandEnvironment(const std::wstring &text);

// --- Autostart (the current user's Run key) -----------------------------------

// The path in double quotes, then one blank and `args` unchanged when there
// are any.
std::wstring runKeyData(const std::wstring &programPath, const std::wstring &args);
// Also takes back a switch-off made in Task Manager or Settings.
bool writeRunValue(const std::wstring &name, const std::wstring &data);
std::optional<std::wstring> readRunValue(const std::wstring &name);
// Whether Windows starts the Run value at log-on: Task Manager and Settings
// keep a value the user switches off there and mark it disabled instead.
bool runValueStarts(const std::wstring &name);
// True also when there was nothing to remove.
bool removeRunValue(const std::wstring &name);

// --- Raw input --------------------------------------------------------------

enum RawButton { RawLeft, RawMiddle, RawRight, RawButtonCount };

struct RawEvent
{
    enum class Kind { Other, Mouse, Keyboard };
    Kind kind = Kind::Other;
    // Mouse: the down and up bits of each button, a record may carry both.
    bool down[RawButtonCount] = {};
    bool up[RawButtonCount] = {};
    // Keyboard.
    unsigned virtualKey = 0;
    unsigned makeCode = 0;
    bool extended = false;
    bool keyDown = false;
};

// Fake keys (VKey 0xFF) and overruns are Kind::Other; Pause, the one E1 key,
// reports the make code 0x45. Raw input reports the physical buttons: with
// `buttonsSwapped` the physical right one is RawLeft, the primary button.
RawEvent parseRawInput(const RAWINPUT &input, bool buttonsSwapped);
// GetRawInputData for the handle of a WM_INPUT, buttons as SM_SWAPBUTTON has
// them now; nothing when the size query fails, the size is 0 or the data
// cannot be read at that size.
std::optional<RawEvent> readRawInput(HRAWINPUT handle);
// Registers the enabled classes with RIDEV_INPUTSINK for `target`, in one
// call; true when there was nothing to register.
bool registerRawInput(HWND target, bool mouse, bool keyboard);
void unregisterRawInput(bool mouse, bool keyboard);
// A message-only window whose messages go to `handler` with `context`, from
// whatever loop dispatches them: the system's move and menu loops too.
using MessageHandler = void (*)(void *context, const MSG &message);
HWND createMessageWindow(MessageHandler handler, void *context);
void destroyMessageWindow(HWND window);
// Whether the key is down now (GetAsyncKeyState); the releases made on the
// secure desktop or behind the lock screen never arrive as raw input.
bool keyHeld(unsigned virtualKey);

// --- Hot keys ---------------------------------------------------------------

enum class HotKeyRegistration { Registered, Taken, Failed };
// RegisterHotKey for the calling thread, without repeats while held; Taken
// when another program (or another id of ours) holds the key.
HotKeyRegistration registerHotKey(int id, unsigned modifiers, unsigned virtualKey);
void unregisterHotKey(int id);
// The id of a thread's WM_HOTKEY; 0 for any other message.
int hotKeyOf(const MSG &message);

// --- Monitors ---------------------------------------------------------------

struct MonitorInfo
{
    std::wstring deviceName;
    RECT rect = {};
    bool primary = false;
    // The effective DPI; 96 with dpiKnown false when it cannot be had.
    unsigned dpiX = 96;
    bool dpiKnown = false;
};

// The monitors that meet `clip` (all of them without one), in the order
// EnumDisplayMonitors reports them; monitors whose information cannot be
// read are left out. Nothing when the enumeration fails or finds none.
std::optional<std::vector<MonitorInfo>> enumerateMonitors(const RECT *clip = nullptr);

// Puts `below` directly under `above` without moving, sizing or activating it.
bool restackBelow(HWND above, HWND below);
// Puts every one of `below` under the lowest of `anchors` in the stack,
// without activating it; a window that is not topmost is never made so.
bool keepBelow(const std::vector<HWND> &anchors, const std::vector<HWND> &below);

// --- Session ----------------------------------------------------------------

DWORD currentSessionId();
// `name` with the session's id appended: the pipe namespace is machine-wide,
// so without it a second user's instance would meet the first user's.
std::wstring sessionScopedName(const std::wstring &name);
// The mutex in the session's own namespace, spelt out so that no default of
// the caller can move it into the global one.
std::wstring sessionMutexName(const std::wstring &name);

enum class MutexClaim { Created, AlreadyExists, Failed };
// Creates and owns the mutex; the handle stays open for AlreadyExists too.
MutexClaim claimMutex(const std::wstring &name, HANDLE *handle);
void releaseMutex(HANDLE handle);

// Lets the process at the server end of `pipe` bring a window of its own to
// the front, which Windows grants only while we hold the foreground. The
// server's process id, 0 when it cannot be had.
DWORD allowPipeServerForeground(HANDLE pipe);

enum class Registration { Done, NotYet, Failed };
// NotYet while the terminal services are still starting (at log-on): asking
// again later succeeds.
Registration registerSessionNotification(HWND window);
bool unregisterSessionNotification(HWND window);
enum class SessionChange { None, Locked, Unlocked };
SessionChange sessionChangeOf(const MSG &message);

// --- Libraries --------------------------------------------------------------

// LoadLibraryW with the error dialogs of the loader switched off.
HMODULE loadLibrary(const std::wstring &path);
// The export's address, or null when the library lacks it.
void *resolveExport(HMODULE module, const char *name);
void freeLibrary(HMODULE module);

} // namespace Win32Core
