// Actions on the desktop and the user's session.
#pragma once
#include <windows.h>
#include <functional>
#include <string>

namespace vtx {

// Posts the screen-saver command to the desktop window; returns at once.
void StartScreenSaver();
// Posts a minimise command to StartWindow and every visible window below it
// in the Z order, at its level.
void MinimizeAllWindows(HWND startWindow);
// The system's message for the thread's last-error code, with its line break.
std::wstring LastErrorText();
// Enables the shutdown privilege (NT family) and starts ending the session.
// A privilege step that fails is written as a line to standard output; when
// there is no output to write to, the failure is raised as EOSError with that
// line as its message and the session is not ended.
void ExitWindowsSession(bool logoff, bool reboot, bool powerOff, bool force);

// The calls that end the session or change this process's token, and the
// report line. Tests replace them: the session must never really end there.
struct TSessionSeam {
    std::function<BOOL(UINT flags, DWORD reason)> ExitWindowsEx;
    std::function<BOOL(HANDLE process, DWORD access, HANDLE* token)> OpenProcessToken;
    std::function<BOOL(const wchar_t* systemName, const wchar_t* privilege, LUID* luid)> LookupPrivilegeValue;
    std::function<BOOL(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state, DWORD previousLength,
                       TOKEN_PRIVILEGES* previous, DWORD* returnLength)>
        AdjustTokenPrivileges;
    // True when the line (CR LF appended) was written.
    std::function<bool(const std::wstring& line)> WriteStdOutLine;
};

TSessionSeam& SessionSeam();
// The table that calls the platform, for restoring SessionSeam().
TSessionSeam PlatformSessionSeam();

} // namespace vtx
