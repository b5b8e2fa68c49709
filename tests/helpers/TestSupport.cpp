#include "helpers/TestSupport.h"
#include <utility>

namespace vtest {

std::wstring ExeDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

std::wstring HelperPath() { return ExeDirectory() + L"vthelper.exe"; }

std::wstring Fixture(const wchar_t* name) { return ExeDirectory() + name; }

std::wstring SystemFile(const wchar_t* name) {
    wchar_t dir[MAX_PATH] = {};
    GetSystemDirectoryW(dir, MAX_PATH);
    return std::wstring(dir) + L"\\" + name;
}

std::wstring CopyFileTo(const std::wstring& source, const std::wstring& directory, const std::wstring& name) {
    CreateDirectoryW(directory.c_str(), nullptr);
    std::wstring target = directory + L"\\" + name;
    CopyFileW(source.c_str(), target.c_str(), FALSE);
    return target;
}

std::wstring ScratchDirectory(const std::wstring& tag) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + L"vantrel-" + tag + L"-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::wstring FreshScratchDirectory(const std::wstring& tag) {
    RemoveTree(ScratchDirectory(tag));
    return ScratchDirectory(tag);
}

namespace {
std::wstring Extended(const std::wstring& path) { return L"\\\\?\\" + path; }
} // namespace

std::wstring DeepScratchDirectory(const std::wstring& tag) {
    std::wstring dir = ScratchDirectory(tag);
    for (wchar_t letter = L'a'; dir.size() <= MAX_PATH + 20; ++letter) {
        dir += L"\\" + std::wstring(50, letter);
        CreateDirectoryW(Extended(dir).c_str(), nullptr);
    }
    return dir;
}

std::wstring CopyFileToDeep(const std::wstring& source, const std::wstring& directory, const std::wstring& name) {
    std::wstring target = directory + L"\\" + name;
    CopyFileW(source.c_str(), Extended(target).c_str(), FALSE);
    return target;
}

void RemoveTree(const std::wstring& directory) {
    WIN32_FIND_DATAW found{};
    const vtx::unique_find_handle search(FindFirstFileW(Extended(directory + L"\\*").c_str(), &found));
    for (BOOL more = static_cast<bool>(search); more; more = FindNextFileW(search.get(), &found)) {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = directory + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
        else DeleteFileW(Extended(path).c_str());
    }
    RemoveDirectoryW(Extended(directory).c_str());
}

ChildProcess::ChildProcess(const std::wstring& exe, const std::wstring& args, bool waitForIdle) {
    std::wstring cmd = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        vtx::unique_handle thread(pi.hThread);
        process_.reset(pi.hProcess);
        id_ = pi.dwProcessId;
        if (waitForIdle) WaitForInputIdle(process_.get(), 5000);
    }
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : process_(std::move(other.process_)), id_(std::exchange(other.id_, 0)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Terminate();
        process_ = std::move(other.process_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

ChildProcess::~ChildProcess() { Terminate(); }

bool ChildProcess::Running() const noexcept { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

DWORD ChildProcess::Wait(DWORD ms) const noexcept {
    if (!process_) return 0;
    if (WaitForSingleObject(process_.get(), ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

void ChildProcess::Terminate() noexcept {
    if (!process_) return;
    if (Running()) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 5000);
    }
    process_.reset();
    id_ = 0;
}

std::vector<HWND> WindowsOfProcess(DWORD pid) {
    struct Ctx { DWORD pid; std::vector<HWND> found; } ctx{pid, {}};
    EnumWindows(
        [](HWND wnd, LPARAM lp) noexcept -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(wnd, &owner);
            if (owner == c->pid) c->found.push_back(wnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

HWND WaitForWindowOf(DWORD pid, DWORD ms) {
    DWORD start = GetTickCount();
    do {
        for (HWND wnd : WindowsOfProcess(pid))
            if (IsWindowVisible(wnd)) return wnd;
        Sleep(20);
    } while (GetTickCount() - start < ms);
    return nullptr;
}

int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    const vtx::unique_hbitmap color(info.hbmColor), mask(info.hbmMask);
    BITMAP bitmap{};
    GetObjectW(color ? color.get() : mask.get(), sizeof bitmap, &bitmap);
    return bitmap.bmWidth;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD ms, DWORD stepMs) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(stepMs);
    }
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms, const std::function<void()>& pump) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void Pump(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

bool SameText(const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

std::wstring TestKeyPath(const std::wstring& title) { return L"Software\\Quelmar\\" + title; }

void DeleteTestKey(const std::wstring& title) { RegDeleteTreeW(HKEY_CURRENT_USER, TestKeyPath(title).c_str()); }

bool ReadTestValue(const std::wstring& title, const std::wstring& section, const std::wstring& name,
                   std::wstring& value, DWORD* type) {
    wchar_t buffer[512] = {};
    DWORD size = sizeof buffer;
    DWORD kind = 0;
    std::wstring key = TestKeyPath(title) + L"\\" + section;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &kind, buffer,
                     &size) != ERROR_SUCCESS)
        return false;
    if (type) *type = kind;
    value = buffer;
    return true;
}

void WriteTestValue(const std::wstring& title, const std::wstring& section, const std::wstring& name,
                    const std::wstring& value) {
    std::wstring key = TestKeyPath(title) + L"\\" + section;
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

} // namespace vtest
