// Shared pieces of the Windows tests and benchmarks: files, child processes,
// waiting, message pumps, test settings keys.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "base/Handle.h"

namespace vtest {

// Folder of the running test executable, with a trailing backslash.
std::wstring ExeDirectory();
// Full path of vthelper.exe beside the test executables.
std::wstring HelperPath();
// A file built beside the test executables (fixtures).
std::wstring Fixture(const wchar_t* name);
// A file in the system folder (C:\windows\system32 under Wine).
std::wstring SystemFile(const wchar_t* name);
// Copies a file to another folder (created if needed); returns the new path.
std::wstring CopyFileTo(const std::wstring& source, const std::wstring& directory, const std::wstring& name);
// A unique scratch folder under the temp folder, removed by the caller if wanted.
std::wstring ScratchDirectory(const std::wstring& tag);
// The same folder emptied first: Wine gives process IDs out again from run to
// run, so an earlier run of this executable may have left files there.
std::wstring FreshScratchDirectory(const std::wstring& tag);
// A scratch folder whose path is longer than MAX_PATH, made through the
// extended form ("\\?\"); its plain path. Remove it with RemoveTree.
std::wstring DeepScratchDirectory(const std::wstring& tag);
// CopyFileTo for folders of any depth.
std::wstring CopyFileToDeep(const std::wstring& source, const std::wstring& directory, const std::wstring& name);
// Removes a folder and everything in it, at any depth.
void RemoveTree(const std::wstring& directory);

// A child process started by the test and ended when this object goes.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const std::wstring& exe, const std::wstring& args, bool waitForIdle = true);
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    DWORD Id() const noexcept { return id_; }
    HANDLE Handle() const noexcept { return process_.get(); }
    bool Running() const noexcept;
    // Waits for the end; returns the exit code or STILL_ACTIVE on time-out.
    DWORD Wait(DWORD ms) const noexcept;
    void Terminate() noexcept;

private:
    vtx::unique_handle process_;
    DWORD id_ = 0;
};

// The width of an icon's image in pixels; 0 for no icon (or a freed one).
int IconWidth(HICON icon);

// ---- Waiting ----

// Polls until Condition holds, sleeping StepMs between; false on time-out.
bool WaitUntil(const std::function<bool()>& condition, DWORD ms, DWORD stepMs = 20);
// Handles the messages waiting now; a WM_QUIT is dropped, so the test's own
// loop goes on.
void PumpMessages();
// Runs Pump (by default PumpMessages) until Done holds, waking on new input;
// false on time-out.
bool PumpUntil(const std::function<bool()>& done, DWORD ms, const std::function<void()>& pump = PumpMessages);
// Handles messages for about ms.
void Pump(DWORD ms = 50);

// ---- Texts ----

// Equal when letter case is ignored (as the file system compares paths).
bool SameText(const std::wstring& a, const std::wstring& b);

// ---- Settings under HKCU\Software\Quelmar ----

// The settings key of an application title; tests remove it again.
std::wstring TestKeyPath(const std::wstring& title);
void DeleteTestKey(const std::wstring& title);
// Reads a value under the title's key as text; false when absent.
bool ReadTestValue(const std::wstring& title, const std::wstring& section, const std::wstring& name,
                   std::wstring& value, DWORD* type = nullptr);
void WriteTestValue(const std::wstring& title, const std::wstring& section, const std::wstring& name,
                    const std::wstring& value);

// Top-level windows of a process, in EnumWindows order.
std::vector<HWND> WindowsOfProcess(DWORD pid);
// Waits until the process shows a visible top-level window; 0 on time-out.
HWND WaitForWindowOf(DWORD pid, DWORD ms);

} // namespace vtest
