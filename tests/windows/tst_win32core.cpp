// Runs the Win32 work of the Windows backends for real (under Wine here):
// registry, Run key, raw input, monitors, mutex and pipe names, session
// notifications, window stacking, library loading, hot keys and the version
// resource.
// Ends with "N passed, N failed"; `--child` is the second instance.
#include "platform/ClickCounter.h"
#include "platform/Win32Core.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

using namespace Win32Core;

namespace {

int passed = 0;
int failed = 0;

void check(bool ok, const char *what, const std::wstring &detail = std::wstring())
{
    (ok ? passed : failed)++;
    std::printf("%s %s%s%ls\n", ok ? "PASS" : "FAIL", what, detail.empty() ? "" : ": ", detail.c_str());
}

std::wstring show(const std::optional<std::wstring> &text)
{
    return text ? L"\"" + *text + L"\"" : L"(none)";
}

const wchar_t kServerName[] = L"Zemworks.Inkly.SingleInstance";
const wchar_t kMutexName[] = L"InklyMutex";

std::wstring pipePath()
{
    return L"\\\\.\\pipe\\" + sessionScopedName(kServerName);
}

// The second instance: exit code 1 when it sees the first one's mutex, 2 when
// it reaches its pipe, 4 when it lets `parent`, the pipe's server, come to
// the front.
int runChild(DWORD parent)
{
    HANDLE mutex = nullptr;
    int seen = claimMutex(sessionMutexName(kMutexName), &mutex) == MutexClaim::AlreadyExists;
    releaseMutex(mutex);
    const HANDLE pipe = CreateFileW(pipePath().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) {
        seen |= 2;
        if (allowPipeServerForeground(pipe) == parent)
            seen |= 4;
        CloseHandle(pipe);
    }
    return seen;
}

DWORD runSelf(const std::wstring &argument)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" " + argument;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return DWORD(-1);
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = DWORD(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

void testRegistry()
{
    const wchar_t *subKey = L"Software\\InklyWineTest";
    struct Value
    {
        REGSAM view;
        const wchar_t *name;
        DWORD type;
        std::string bytes;
    };
    const auto wide = [](const wchar_t *text, bool withNul) {
        return std::string(reinterpret_cast<const char *>(text), (wcslen(text) + (withNul ? 1 : 0)) * sizeof(wchar_t));
    };
    const Value values[] = { { KEY_WOW64_64KEY, L"Both", REG_SZ, wide(L"sixty-four", true) }, { KEY_WOW64_32KEY, L"Both", REG_SZ, wide(L"thirty-two", true) },
        { KEY_WOW64_32KEY, L"Only32", REG_SZ, wide(L"C:\\Old\\Grabbit.exe", true) },
        { KEY_WOW64_64KEY, L"Expand", REG_EXPAND_SZ, wide(L"%INKLY_WINE_DIR%\\Grabbit.exe", true) },
        { KEY_WOW64_64KEY, L"Odd", REG_SZ, std::string("A\0B", 3) }, { KEY_WOW64_64KEY, L"OneByte", REG_SZ, std::string("A", 1) },
        { KEY_WOW64_64KEY, L"NoNul", REG_SZ, wide(L"abc", false) }, { KEY_WOW64_64KEY, L"Empty", REG_SZ, std::string() } };
    for (const Value &value : values) {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, nullptr, 0, KEY_WRITE | value.view, nullptr, &key, nullptr);
        RegSetValueExW(key, value.name, 0, value.type, reinterpret_cast<const BYTE *>(value.bytes.data()), DWORD(value.bytes.size()));
        RegCloseKey(key);
    }
    SetEnvironmentVariableW(L"INKLY_WINE_DIR", L"C:\\Suite");

    struct Read
    {
        const char *what;
        const wchar_t *subKey;
        const wchar_t *name;
        REGSAM view;
        std::optional<std::wstring> expected;
    };
    const Read reads[] = { { "registry: 64-bit view", subKey, L"Both", KEY_WOW64_64KEY, L"sixty-four" },
        { "registry: 32-bit view", subKey, L"Both", KEY_WOW64_32KEY, L"thirty-two" },
        { "registry: default view of a 64-bit program", subKey, L"Both", 0, L"sixty-four" },
        { "registry: only in the 32-bit view, 32", subKey, L"Only32", KEY_WOW64_32KEY, L"C:\\Old\\Grabbit.exe" },
        { "registry: only in the 32-bit view, 64", subKey, L"Only32", KEY_WOW64_64KEY, std::nullopt },
        { "registry: REG_EXPAND_SZ expanded", subKey, L"Expand", KEY_WOW64_64KEY, L"C:\\Suite\\Grabbit.exe" },
        { "registry: 3-byte value", subKey, L"Odd", KEY_WOW64_64KEY, L"A" }, { "registry: 1-byte value", subKey, L"OneByte", KEY_WOW64_64KEY, L"" },
        { "registry: value without NUL", subKey, L"NoNul", KEY_WOW64_64KEY, L"abc" }, { "registry: empty value", subKey, L"Empty", KEY_WOW64_64KEY, L"" },
        { "registry: missing value", subKey, L"Missing", KEY_WOW64_64KEY, std::nullopt },
        { "registry: missing key", L"Software\\InklyNoSuchKey", L"Both", 0, std::nullopt } };
    for (const Read &read : reads) {
        const auto text = readRegistryString(HKEY_LOCAL_MACHINE, read.subKey, read.name, read.view);
        check(text == read.expected, read.what, show(text));
    }
}

void testRunKey()
{
    const std::wstring program = L"C:\\Program Files\\Inkly\\Inkly.exe";
    const std::wstring withArgs = runKeyData(program, L"--autostart");
    check(writeRunValue(L"Inkly", withArgs) && readRunValue(L"Inkly") == withArgs, "run key: written and read back", show(readRunValue(L"Inkly")));
    int count = 0;
    LPWSTR *argv = CommandLineToArgvW(withArgs.c_str(), &count);
    check(count == 2 && program == argv[0] && std::wstring(argv[1]) == L"--autostart", "run key: Windows splits it into the path and one argument");
    LocalFree(argv);
    check(writeRunValue(L"Inkly", runKeyData(program, L"")) && readRunValue(L"Inkly") == L"\"" + program + L"\"",
            "run key: no arguments, the quoted path alone", show(readRunValue(L"Inkly")));

    // The first byte of the mark Task Manager leaves: 02 on, anything else off.
    const wchar_t approvedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
    const auto mark = [&](BYTE first) {
        const BYTE data[12] = { first };
        return RegSetKeyValueW(HKEY_CURRENT_USER, approvedKey, L"Inkly", REG_BINARY, data, sizeof(data)) == ERROR_SUCCESS;
    };
    check(mark(0x03) && !runValueStarts(L"Inkly") && mark(0x02) && runValueStarts(L"Inkly"), "run key: switched off in Task Manager it does not start");
    const bool marked = mark(0x03);
    DWORD size = 0;
    check(marked && writeRunValue(L"Inkly", withArgs)
                    && RegGetValueW(HKEY_CURRENT_USER, approvedKey, L"Inkly", RRF_RT_ANY, nullptr, nullptr, &size) == ERROR_FILE_NOT_FOUND
                    && runValueStarts(L"Inkly"),
            "run key: switched on again, the mark of Task Manager is gone");
    check(removeRunValue(L"Inkly") && !readRunValue(L"Inkly") && removeRunValue(L"Inkly"), "run key: removed, and removing again succeeds");
}

HWND makeWindow()
{
    return CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"inkly", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::wstring keyWord(const RawEvent &event)
{
    wchar_t word[32];
    swprintf(word, 32, L"%02x/%02x%ls%ls ", event.virtualKey, event.makeCode, event.extended ? L"+E0" : L"", event.keyDown ? L"v" : L"^");
    return word;
}

// The raw records that reach `window` until `words` have come or `timeout` ms
// have passed, one word each: "<button>v" or "<button>^" with C for a click
// and D for a double click, "<vk>/<make>[+E0]v|^" for a key.
std::wstring pumpRawInput(HWND window, int words, DWORD timeout)
{
    std::wstring seen;
    int count = 0;
    ClickCounter::State buttons[RawButtonCount];
    const DWORD start = GetTickCount();
    MSG message;
    while (count < words && GetTickCount() - start < timeout) {
        while (PeekMessageW(&message, window, 0, 0, PM_REMOVE)) {
            const auto event = message.message == WM_INPUT ? readRawInput(reinterpret_cast<HRAWINPUT>(message.lParam)) : std::nullopt;
            POINT cursor = {};
            GetCursorPos(&cursor);
            for (int b = 0; event && b < RawButtonCount; ++b) {
                if (!event->down[b] && !event->up[b])
                    continue;
                // Counted the way the program counts them.
                const ClickCounter::Step step = ClickCounter::advance(
                        buttons[b], event->down[b], event->up[b], cursor.x, cursor.y, message.time, int(GetDoubleClickTime()), GetSystemMetrics(SM_CXDRAG));
                seen += std::to_wstring(b) + (step.pressed ? L"v" : L"^") + (step.clicked ? L"C" : L"") + (step.doubleClicked ? L"D " : L" ");
                ++count;
            }
            if (event && event->kind == RawEvent::Kind::Keyboard) {
                seen += keyWord(*event);
                ++count;
            }
            DispatchMessageW(&message);
        }
        const DWORD elapsed = GetTickCount() - start;
        if (count < words && elapsed < timeout)
            MsgWaitForMultipleObjects(0, nullptr, FALSE, timeout - elapsed, QS_RAWINPUT);
    }
    return seen;
}

void testRawInput()
{
    const HWND window = makeWindow();
    check(registerRawInput(window, true, true), "raw input: registered with RIDEV_INPUTSINK");

    const DWORD mouse[] = { MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP,
        MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP };
    // Shift+A, then the E0 twin of Ctrl and the arrow left of the keypad.
    const WORD keys[][3] = { { VK_SHIFT, 0x2A, 0 }, { 'A', 0x1E, 0 }, { 'A', 0x1E, KEYEVENTF_KEYUP }, { VK_SHIFT, 0x2A, KEYEVENTF_KEYUP },
        { VK_CONTROL, 0x1D, KEYEVENTF_EXTENDEDKEY }, { VK_CONTROL, 0x1D, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP }, { VK_LEFT, 0x4B, KEYEVENTF_EXTENDEDKEY },
        { VK_LEFT, 0x4B, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP } };
    std::vector<INPUT> inputs;
    for (const DWORD flags : mouse) {
        inputs.push_back({ INPUT_MOUSE, {} });
        inputs.back().mi.dwFlags = flags;
    }
    for (const auto &key : keys) {
        inputs.push_back({ INPUT_KEYBOARD, {} });
        inputs.back().ki = { key[0], key[1], key[2], 0, 0 };
    }
    SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
    // Generous: a loaded machine can hold the injected input back for a while.
    const std::wstring seen = pumpRawInput(window, int(inputs.size()), 10000);
    check(seen == L"0v 0^C 0v 0^CD 1v 1^C 2v 2^C 10/2av 41/1ev 41/1e^ 10/2a^ 11/1d+E0v 11/1d+E0^ 25/4b+E0v 25/4b+E0^ ",
            "raw input: left double click, middle and right click, Shift+A, E0 keys", seen);

    // Records as the keyboard driver writes them, read without a device.
    struct Record
    {
        const char *what;
        USHORT makeCode, flags, virtualKey;
        const wchar_t *expected;
    };
    const Record records[] = { { "raw input: fake Shift of an E0 sequence skipped", 0x2A, RI_KEY_E0, 0xFF, L"" },
        { "raw input: its release skipped too", 0x2A, RI_KEY_E0 | RI_KEY_BREAK, 0xFF, L"" },
        { "raw input: keyboard overrun skipped", KEYBOARD_OVERRUN_MAKE_CODE, 0, 0, L"" },
        { "raw input: Pause (E1 1D) is no Left Ctrl", 0x1D, RI_KEY_E1, VK_PAUSE, L"13/45v " },
        { "raw input: Pause released", 0x1D, RI_KEY_E1 | RI_KEY_BREAK, VK_PAUSE, L"13/45^ " } };
    for (const Record &record : records) {
        RAWINPUT input = {};
        input.header.dwType = RIM_TYPEKEYBOARD;
        input.data.keyboard = { record.makeCode, record.flags, 0, record.virtualKey, 0, 0 };
        const RawEvent event = parseRawInput(input, false);
        const std::wstring word = event.kind == RawEvent::Kind::Keyboard ? keyWord(event) : L"";
        check(word == record.expected, record.what, word);
    }

    SendInput(1, &inputs[8], sizeof(INPUT));
    pumpRawInput(window, 1, 10000);
    const bool heldDown = keyHeld(VK_SHIFT);
    SendInput(1, &inputs[11], sizeof(INPUT));
    pumpRawInput(window, 1, 10000);
    check(heldDown && !keyHeld(VK_SHIFT), "raw input: the held keys can be asked again");

    // A left-handed user's primary button is the physical right one.
    SwapMouseButton(TRUE);
    SendInput(2, inputs.data(), sizeof(INPUT));
    const std::wstring swapped = pumpRawInput(window, 2, 10000);
    SwapMouseButton(FALSE);
    check(swapped == L"2v 2^C ", "raw input: with swapped buttons the physical left is the right button", swapped);

    // A loop that only dispatches, as the system's move loop does, still
    // hands every record to the message window.
    std::wstring dispatched;
    const HWND messageWindow = createMessageWindow(
            [](void *context, const MSG &message) {
                const auto event = message.message == WM_INPUT ? readRawInput(reinterpret_cast<HRAWINPUT>(message.lParam)) : std::nullopt;
                for (int b = 0; event && b < RawButtonCount; ++b)
                    *static_cast<std::wstring *>(context) += event->down[b] ? std::to_wstring(b) + L"v " : event->up[b] ? std::to_wstring(b) + L"^ " : L"";
            },
            &dispatched);
    registerRawInput(messageWindow, true, false);
    SendInput(2, inputs.data(), sizeof(INPUT));
    for (const DWORD start = GetTickCount(); dispatched.size() < 6 && GetTickCount() - start < 10000;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    }
    check(messageWindow && dispatched == L"0v 0^ ", "raw input: a message-only window gets it through any loop that dispatches", dispatched);
    destroyMessageWindow(messageWindow);

    unregisterRawInput(true, true);
    SendInput(2, inputs.data(), sizeof(INPUT));
    check(pumpRawInput(window, 1, 1000).empty(), "raw input: nothing after unregistering");
    DestroyWindow(window);
}

void testWindowsAndSession()
{
    const std::vector<MonitorInfo> monitors = enumerateMonitors().value_or(std::vector<MonitorInfo>());
    std::wstring list;
    int primaries = 0;
    for (const MonitorInfo &monitor : monitors) {
        list += monitor.deviceName + L" right " + std::to_wstring(monitor.rect.right) + L" dpi " + std::to_wstring(monitor.dpiX)
                + (monitor.dpiKnown ? L"" : L" (GetDpiForMonitor failed)") + (monitor.primary ? L" primary; " : L"; ");
        primaries += monitor.primary;
    }
    check(!monitors.empty() && primaries == 1 && monitors.front().rect.right > 0 && !monitors.front().deviceName.empty() && monitors.front().dpiX >= 96,
            "monitors: enumerated with device name and effective DPI", list);
    const RECT nowhere = { -300000, -300000, -299000, -299000 };
    check(!enumerateMonitors(&nowhere), "monitors: an enumeration that finds none is no answer");

    const HWND above = makeWindow();
    const HWND below = makeWindow();
    check(restackBelow(above, below) && GetWindow(above, GW_HWNDNEXT) == below, "stacking: the lower window lies directly below the upper one");
    DestroyWindow(below);

    // Our windows by letter, top to bottom, upper case for topmost ones: the
    // toolbar A and the settings window S (stay-on-top anchors), an overlay O
    // and another program's window w.
    struct Stacking
    {
        const char *what;
        const wchar_t *before;
        const wchar_t *after;
    };
    const Stacking stackings[] = { { "stacking: overlay under every anchor, not made topmost", L"ASwo", L"ASow" },
        { "stacking: an overlay in its place stays there", L"ASow", L"ASow" },
        { "stacking: a topmost overlay goes right under the lowest anchor", L"AOSw", L"ASOw" } };
    const wchar_t letters[] = L"ASOW";
    for (const Stacking &row : stackings) {
        HWND windows[4];
        for (HWND &window : windows)
            window = makeWindow();
        const auto windowOf = [&](wchar_t letter) { return windows[wcschr(letters, towupper(letter)) - letters]; };
        for (size_t i = wcslen(row.before); i-- > 0;)
            SetWindowPos(
                    windowOf(row.before[i]), iswupper(row.before[i]) ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
        const bool ok = Win32Core::keepBelow({ windowOf('A'), windowOf('S') }, { windowOf('O') });
        std::wstring stack;
        for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
            for (int i = 0; i < 4; ++i) {
                if (window == windows[i])
                    stack += (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? letters[i] : towlower(letters[i]);
            }
        }
        check(ok && stack == row.after, row.what, stack);
        for (HWND window : windows)
            DestroyWindow(window);
    }

    // Wine cannot lock a session and stubs the unregistration, so the
    // registration is only reported and the message is posted by hand.
    std::printf("NOTE session notifications under Wine: registration %s, unregistration %s\n",
            registerSessionNotification(above) == Registration::Done ? "accepted" : "refused",
            unregisterSessionNotification(above) ? "accepted" : "refused (a stub)");
    MSG message = { nullptr, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0, 0, {} };
    bool told = sessionChangeOf(message) == SessionChange::Locked;
    message.wParam = WTS_SESSION_UNLOCK;
    told = told && sessionChangeOf(message) == SessionChange::Unlocked;
    message.wParam = WTS_SESSION_LOGON;
    check(told && sessionChangeOf(message) == SessionChange::None, "session: lock and unlock told apart, other changes ignored");
    DestroyWindow(above);

    const std::wstring server = sessionScopedName(kServerName);
    check(server.rfind(std::wstring(kServerName) + L".", 0) == 0 && server.size() > wcslen(kServerName) + 1, "single instance: pipe name carries the session",
            server);
    HANDLE mutex = nullptr;
    check(claimMutex(sessionMutexName(kMutexName), &mutex) == MutexClaim::Created, "single instance: first claim creates the mutex",
            sessionMutexName(kMutexName));
    const HANDLE pipe = CreateNamedPipeW(pipePath().c_str(), PIPE_ACCESS_INBOUND, 0, 1, 0, 0, 0, nullptr);
    const DWORD child = runSelf(L"--child " + std::to_wstring(GetCurrentProcessId()));
    check(child == 7, "single instance: a second process of the session sees mutex and pipe, lets the first come forward", std::to_wstring(child));
    CloseHandle(pipe);
    releaseMutex(mutex);
    check(runSelf(L"--child") == 0, "single instance: free again after the first has gone");
}

void testLibraries()
{
    // The stand-in lies next to us; a copy goes under a Korean directory name.
    wchar_t self[MAX_PATH], temp[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    GetTempPathW(MAX_PATH, temp);
    const std::wstring directory = std::wstring(self).substr(0, std::wstring(self).find_last_of(L'\\'));
    const std::wstring korean = std::wstring(temp) + L"\uC789\uD074\uB9AC";
    CreateDirectoryW(korean.c_str(), nullptr);
    CopyFileW((directory + L"\\Tally_x64.dll").c_str(), (korean + L"\\Tally_x64.dll").c_str(), FALSE);

    const HMODULE module = loadLibrary(korean + L"\\Tally_x64.dll");
    check(module != nullptr, "library: loaded from a Korean path");
    check(resolveExport(module, "Tally_Initialize") && !resolveExport(module, "Tally_Finalize"), "library: present export found, missing export null");
    freeLibrary(module);
    check(!loadLibrary(directory + L"\\Missing_x64.dll") && !resolveExport(nullptr, "Tally_Initialize"), "library: a missing file loads nothing, quietly");
}

void testHotKeys()
{
    const unsigned keys = MOD_CONTROL | MOD_ALT | MOD_SHIFT;
    check(registerHotKey(1, keys, 'P') == HotKeyRegistration::Registered && registerHotKey(2, keys, 'P') == HotKeyRegistration::Taken,
            "hot keys: a key held already is reported as taken");
    MSG message = {};
    message.message = WM_HOTKEY;
    message.wParam = 1;
    const int pressed = hotKeyOf(message);
    message.message = WM_KEYDOWN;
    check(pressed == 1 && hotKeyOf(message) == 0, "hot keys: WM_HOTKEY tells its id, other messages none");
    unregisterHotKey(1);
    check(registerHotKey(3, keys, 'P') == HotKeyRegistration::Registered, "hot keys: free again once let go");
    unregisterHotKey(3);
}

// The four numbers of a dotted version, as the fixed part of the resource
// holds them: major and minor in the high word, patch and build in the low.
std::pair<DWORD, DWORD> fixedVersion(const wchar_t *text)
{
    unsigned parts[4] = {};
    std::swscanf(text, L"%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3]);
    return { DWORD(MAKELONG(parts[1], parts[0])), DWORD(MAKELONG(parts[3], parts[2])) };
}

// The build passes the versions it wrote the resource from.
void testVersionResource()
{
    const wchar_t *fileVersion = L"" INKLY_FILE_VERSION;
    const wchar_t *productVersion = L"" INKLY_PRODUCT_VERSION;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    DWORD ignored = 0;
    std::vector<BYTE> data(GetFileVersionInfoSizeW(self, &ignored));
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    const bool read = !data.empty() && GetFileVersionInfoW(self, 0, DWORD(data.size()), data.data())
            && VerQueryValueW(data.data(), L"\\", reinterpret_cast<void **>(&fixed), &length);
    const auto file = fixedVersion(fileVersion);
    const auto product = fixedVersion(productVersion);
    check(read && file.first != 0 && fixed->dwFileVersionMS == file.first && fixed->dwFileVersionLS == file.second && fixed->dwProductVersionMS == product.first
                    && fixed->dwProductVersionLS == product.second,
            "version resource: binary file and product versions", fileVersion);
    const wchar_t *fields[][2] = { { L"CompanyName", L"Zemworks" }, { L"FileDescription", L"Inkly" }, { L"FileVersion", fileVersion },
        { L"InternalName", L"Inkly" }, { L"OriginalFilename", L"Inkly.exe" }, { L"ProductName", L"Inkly" }, { L"ProductVersion", productVersion } };
    std::wstring readBack;
    bool allMatch = read;
    for (const auto &field : fields) {
        wchar_t *value = nullptr;
        const std::wstring path = L"\\StringFileInfo\\040904B0\\" + std::wstring(field[0]);
        const bool found = read && VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void **>(&value), &length);
        readBack += std::wstring(field[0]) + L"=" + (found ? value : L"(none)") + L"; ";
        allMatch = allMatch && found && std::wstring(value) == field[1];
    }
    check(allMatch, "version resource: string fields", readBack);
    check(LoadIconW(GetModuleHandleW(nullptr), L"IDI_APP_ICON") != nullptr, "version resource: application icon");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::string(argv[1]) == "--child")
        return runChild(argc > 2 ? DWORD(std::strtoul(argv[2], nullptr, 10)) : 0);
    testRegistry();
    testRunKey();
    testRawInput();
    testWindowsAndSession();
    testLibraries();
    testHotKeys();
    testVersionResource();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
