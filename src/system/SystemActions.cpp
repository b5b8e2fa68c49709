#include "system/SystemActions.h"
#include <string>
#include "system/SystemLogic.h"
#include "system/VtxSysInfo.h"
#include "base/OSError.h"
#include "base/Handle.h"
#include "base/Text.h"

namespace vtx {

namespace {

bool WritePlatformStdOutLine(const std::wstring& line) {
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return false;
    std::wstring text = line + L"\r\n";
    DWORD mode = 0;
    if (::GetConsoleMode(out, &mode)) {
        DWORD written = 0;
        return ::WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
               written == text.size();
    }
    const std::string encoded = NarrowUtf8(text);
    DWORD written = 0;
    return ::WriteFile(out, encoded.data(), static_cast<DWORD>(encoded.size()), &written, nullptr) &&
           written == encoded.size();
}

// Writes a privilege failure; without an output to take it, raises it instead,
// so the caller's error display shows it and the session stays.
void ReportPrivilegeFailure(const std::wstring& line, DWORD code) {
    if (!SessionSeam().WriteStdOutLine(line)) throw EOSError(code, line);
}

void EnableShutdownPrivilege() {
    TSessionSeam& seam = SessionSeam();
    unique_handle token;
    if (!seam.OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) {
        DWORD code = ::GetLastError();
        ReportPrivilegeFailure(L"Cannot open process token. [" + LastErrorText() + L"]", code);
        return;
    }
    TOKEN_PRIVILEGES privileges{};
    if (!seam.LookupPrivilegeValue(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        DWORD code = ::GetLastError();
        ReportPrivilegeFailure(L"Cannot find privilege value. [" + LastErrorText() + L"]", code);
        return;
    }
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    DWORD returnLength = 0;
    ::SetLastError(ERROR_SUCCESS);
    BOOL ok = seam.AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, &returnLength);
    // Success with ERROR_NOT_ALL_ASSIGNED means the privilege was not granted.
    DWORD code = ::GetLastError();
    if (!ok || code != ERROR_SUCCESS) ReportPrivilegeFailure(L"Error adjusting process privileges.", code);
}

} // namespace

TSessionSeam PlatformSessionSeam() {
    TSessionSeam seam;
    seam.ExitWindowsEx = [](UINT flags, DWORD reason) { return ::ExitWindowsEx(flags, reason); };
    seam.OpenProcessToken = [](HANDLE process, DWORD access, HANDLE* token) {
        return ::OpenProcessToken(process, access, token);
    };
    seam.LookupPrivilegeValue = [](const wchar_t* systemName, const wchar_t* privilege, LUID* luid) {
        return ::LookupPrivilegeValueW(systemName, privilege, luid);
    };
    seam.AdjustTokenPrivileges = [](HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state, DWORD previousLength,
                                    TOKEN_PRIVILEGES* previous, DWORD* returnLength) {
        return ::AdjustTokenPrivileges(token, disableAll, state, previousLength, previous, returnLength);
    };
    seam.WriteStdOutLine = WritePlatformStdOutLine;
    return seam;
}

TSessionSeam& SessionSeam() {
    static TSessionSeam seam = PlatformSessionSeam();
    return seam;
}

void StartScreenSaver() {
    // Ignored: the command is a request; there is nothing to report if the desktop does not take it.
    static_cast<void>(::PostMessageW(::GetDesktopWindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 0));
}

void MinimizeAllWindows(HWND startWindow) {
    for (HWND wnd = startWindow; wnd; wnd = ::GetWindow(wnd, GW_HWNDNEXT)) {
        // Ignored: a window that does not take the request stays as it is.
        if (::IsWindowVisible(wnd)) static_cast<void>(::PostMessageW(wnd, WM_SYSCOMMAND, SC_MINIMIZE, 0));
    }
}

std::wstring LastErrorText() { return SystemErrorText(::GetLastError()); }

void ExitWindowsSession(bool logoff, bool reboot, bool powerOff, bool force) {
    UINT flags = ExitWindowsFlags(logoff, reboot, powerOff, force);
    if (SystemFacts().PlatformId == VER_PLATFORM_WIN32_NT && ExitNeedsShutdownPrivilege(flags))
        EnableShutdownPrivilege();
    // Ignored: a refused end of the session leaves it running; nothing is reported.
    static_cast<void>(SessionSeam().ExitWindowsEx(flags, 0));
}

} // namespace vtx
