#include "system/DynamicCalls.h"
#include <string>
#include "system/VtxSysInfo.h"
#include "base/Errors.h"
#include "base/Handle.h"

namespace vtx {

namespace {

std::wstring Widen(const char* text) {
    std::wstring out;
    for (; *text; ++text) out += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return out;
}

template <class Fn>
Fn Lookup(HMODULE module, const char* name) noexcept {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

HMODULE LoadQuietly(const wchar_t* module) noexcept {
    UINT old = ::SetErrorMode(SEM_NOOPENFILEERRORBOX);
    HMODULE lib = ::LoadLibraryW(module);
    ::SetErrorMode(old);
    return lib;
}

// ---- The table ----

using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32W*);
using ModuleWalkFn = BOOL(WINAPI*)(HANDLE, MODULEENTRY32W*);
using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using EnumProcessModulesExFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*, DWORD);
using GetModuleNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, wchar_t*, DWORD);
using GetModuleInformationFn = BOOL(WINAPI*)(HANDLE, HMODULE, MODULEINFO*, DWORD);
using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
using NtQueryInformationProcessFn = LONG(WINAPI*)(HANDLE, ULONG, void*, ULONG, ULONG*);

struct TToolHelp {
    bool Tried = false;
    HMODULE Kernel = nullptr;
    CreateSnapshotFn CreateSnapshot = nullptr;
    ProcessWalkFn ProcessFirst = nullptr;
    ProcessWalkFn ProcessNext = nullptr;
    ModuleWalkFn ModuleFirst = nullptr;
    ModuleWalkFn ModuleNext = nullptr;
};

TToolHelp& ToolHelp() noexcept {
    static TToolHelp set;
    return set;
}

struct TProcessStatus {
    bool Tried = false;
    unique_hmodule Library;  // freed at program end
    EnumProcessesFn EnumIds = nullptr;
    EnumProcessModulesFn EnumModules = nullptr;
    EnumProcessModulesExFn EnumModulesEx = nullptr;  // Vista and later
    GetModuleNameFn BaseName = nullptr;
    GetModuleNameFn FileNameEx = nullptr;
    GetModuleInformationFn ModuleInformation = nullptr;
};

TProcessStatus& ProcessStatus() noexcept {
    static TProcessStatus set;
    if (!set.Tried) {
        set.Tried = true;
        set.Library.reset(LoadQuietly(L"PSAPI.dll"));
        HMODULE lib = set.Library.get();
        set.EnumIds = Lookup<EnumProcessesFn>(lib, "EnumProcesses");
        set.EnumModules = Lookup<EnumProcessModulesFn>(lib, "EnumProcessModules");
        set.EnumModulesEx = Lookup<EnumProcessModulesExFn>(lib, "EnumProcessModulesEx");
        set.BaseName = Lookup<GetModuleNameFn>(lib, "GetModuleBaseNameW");
        set.FileNameEx = Lookup<GetModuleNameFn>(lib, "GetModuleFileNameExW");
        set.ModuleInformation = Lookup<GetModuleInformationFn>(lib, "GetModuleInformation");
    }
    return set;
}

} // namespace

// ---- ResolveApiFunction and the named bindings ----

void ResolveApiFunctionRaw(FARPROC& slot, const wchar_t* module, const char* name) {
    if (slot) return;
    HMODULE lib = ::GetModuleHandleW(module);
    if (!lib) lib = LoadQuietly(module);  // kept loaded for the rest of the run
    if (!lib) throw EVtxError(L"Library not found: " + std::wstring(module));
    FARPROC proc = ::GetProcAddress(lib, name);
    if (!proc) throw EVtxError(L"Function not found: " + std::wstring(module) + L"." + Widen(name));
    slot = proc;
}

bool BindToolHelp() {
    TToolHelp& set = ToolHelp();
    if (!set.Tried) {
        set.Tried = true;
        set.Kernel = ::GetModuleHandleW(L"kernel32.dll");
        set.CreateSnapshot = Lookup<CreateSnapshotFn>(set.Kernel, "CreateToolhelp32Snapshot");
        set.ProcessFirst = Lookup<ProcessWalkFn>(set.Kernel, "Process32FirstW");
        set.ProcessNext = Lookup<ProcessWalkFn>(set.Kernel, "Process32NextW");
        set.ModuleFirst = Lookup<ModuleWalkFn>(set.Kernel, "Module32FirstW");
        set.ModuleNext = Lookup<ModuleWalkFn>(set.Kernel, "Module32NextW");
    }
    return set.Kernel && set.CreateSnapshot;
}

bool BindProcessStatus() { return static_cast<bool>(ProcessStatus().Library); }

namespace dyn {

// ---- Tool Help ----

bool ToolHelpBound() { return BindToolHelp(); }

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
    static CreateSnapshotFn createSnapshot = nullptr;
    ResolveApiFunction(createSnapshot, L"kernel32.dll", "CreateToolhelp32Snapshot");
    return createSnapshot(flags, processId);
}

BOOL Process32FirstW(HANDLE snapshot, PROCESSENTRY32W* entry) {
    return BindToolHelp() && ToolHelp().ProcessFirst ? ToolHelp().ProcessFirst(snapshot, entry) : FALSE;
}
BOOL Process32NextW(HANDLE snapshot, PROCESSENTRY32W* entry) {
    return BindToolHelp() && ToolHelp().ProcessNext ? ToolHelp().ProcessNext(snapshot, entry) : FALSE;
}
BOOL Module32FirstW(HANDLE snapshot, MODULEENTRY32W* entry) {
    return BindToolHelp() && ToolHelp().ModuleFirst ? ToolHelp().ModuleFirst(snapshot, entry) : FALSE;
}
BOOL Module32NextW(HANDLE snapshot, MODULEENTRY32W* entry) {
    return BindToolHelp() && ToolHelp().ModuleNext ? ToolHelp().ModuleNext(snapshot, entry) : FALSE;
}

// ---- Process status ----

bool ProcessStatusLoaded() { return BindProcessStatus(); }

BOOL EnumProcesses(DWORD* ids, DWORD bytes, DWORD* returned) {
    auto fn = ProcessStatus().EnumIds;
    return fn ? fn(ids, bytes, returned) : FALSE;
}
bool HasEnumProcessModulesEx() { return ProcessStatus().EnumModulesEx != nullptr; }
BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed) {
    auto fn = ProcessStatus().EnumModules;
    return fn ? fn(process, modules, bytes, needed) : FALSE;
}
BOOL EnumProcessModulesEx(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed, DWORD filter) {
    auto fn = ProcessStatus().EnumModulesEx;
    return fn ? fn(process, modules, bytes, needed, filter) : FALSE;
}
DWORD GetModuleBaseNameW(HANDLE process, HMODULE module, wchar_t* buffer, DWORD size) {
    auto fn = ProcessStatus().BaseName;
    return fn ? fn(process, module, buffer, size) : 0;
}
DWORD GetModuleFileNameExW(HANDLE process, HMODULE module, wchar_t* buffer, DWORD size) {
    auto fn = ProcessStatus().FileNameEx;
    return fn ? fn(process, module, buffer, size) : 0;
}
BOOL GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* info, DWORD size) {
    auto fn = ProcessStatus().ModuleInformation;
    return fn ? fn(process, module, info, size) : FALSE;
}

// ---- user32.dll ----

int GetSystemMetricsForDpi(int index, UINT dpi) {
    using Fn = int(WINAPI*)(int, UINT);
    static const auto fn = Lookup<Fn>(::GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi");
    if (fn) return fn(index, dpi);
    const window_dc screen(nullptr);
    const int systemDpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi), systemDpi > 0 ? systemDpi : 96);
}

// ---- shell32.dll ----

namespace {
HMODULE Shell() noexcept {
    static HMODULE shell = LoadQuietly(L"shell32.dll");  // kept for the rest of the run
    return shell;
}
} // namespace

DWORD_PTR SHGetFileInfoW(const wchar_t* path, DWORD attributes, SHFILEINFOW* info, UINT size, UINT flags) {
    using Fn = DWORD_PTR(WINAPI*)(const wchar_t*, DWORD, SHFILEINFOW*, UINT, UINT);
    static const auto fn = Lookup<Fn>(Shell(), "SHGetFileInfoW");
    return fn ? fn(path, attributes, info, size, flags) : 0;
}

HINSTANCE ShellExecuteW(HWND wnd, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                        const wchar_t* directory, int show) {
    using Fn = HINSTANCE(WINAPI*)(HWND, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, int);
    static const auto fn = Lookup<Fn>(Shell(), "ShellExecuteW");
    return fn ? fn(wnd, verb, file, parameters, directory, show) : nullptr;
}

// ---- ntdll.dll ----

LONG RtlGetVersion(OSVERSIONINFOW* info) {
    static const auto fn = Lookup<RtlGetVersionFn>(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    return fn ? fn(info) : -1;
}

TSystemInformationSeam& SystemInformationSeam() {
    static TSystemInformationSeam seam;
    return seam;
}

LONG NtQuerySystemInformation(ULONG infoClass, void* buffer, ULONG length, ULONG* returned) {
    if (const TSystemInformationSeam& seam = SystemInformationSeam()) return seam(infoClass, buffer, length, returned);
    return PlatformNtQuerySystemInformation(infoClass, buffer, length, returned);
}

LONG PlatformNtQuerySystemInformation(ULONG infoClass, void* buffer, ULONG length, ULONG* returned) {
    static const auto fn =
        Lookup<NtQuerySystemInformationFn>(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation");
    return fn ? fn(infoClass, buffer, length, returned) : -1;
}

LONG NtQueryInformationProcess(HANDLE process, ULONG infoClass, void* buffer, ULONG length, ULONG* returned) {
    static const auto fn =
        Lookup<NtQueryInformationProcessFn>(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess");
    return fn ? fn(process, infoClass, buffer, length, returned) : -1;
}

} // namespace dyn

} // namespace vtx
