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

// Null when the module or its entry point is missing.
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

// ---- The tables: one per library, filled once on first use ----
// Each is the function-local static of its accessor, so two threads that
// meet at the first use bind it once. A missing entry point stays null and
// its wrapper answers failure.

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
    CreateSnapshotFn CreateSnapshot = nullptr;
    ProcessWalkFn ProcessFirst = nullptr;
    ProcessWalkFn ProcessNext = nullptr;
    ModuleWalkFn ModuleFirst = nullptr;
    ModuleWalkFn ModuleNext = nullptr;
};

const TToolHelp& ToolHelp() noexcept {
    static const TToolHelp set = [] {
        TToolHelp bound;
        HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
        bound.CreateSnapshot = Lookup<CreateSnapshotFn>(kernel, "CreateToolhelp32Snapshot");
        // The walkers are of no use without a snapshot: a set lacking it is missing whole.
        if (!bound.CreateSnapshot) return bound;
        bound.ProcessFirst = Lookup<ProcessWalkFn>(kernel, "Process32FirstW");
        bound.ProcessNext = Lookup<ProcessWalkFn>(kernel, "Process32NextW");
        bound.ModuleFirst = Lookup<ModuleWalkFn>(kernel, "Module32FirstW");
        bound.ModuleNext = Lookup<ModuleWalkFn>(kernel, "Module32NextW");
        return bound;
    }();
    return set;
}

struct TProcessStatus {
    unique_hmodule Library;  // freed at program end
    EnumProcessesFn EnumIds = nullptr;
    EnumProcessModulesFn EnumModules = nullptr;
    EnumProcessModulesExFn EnumModulesEx = nullptr;  // Vista and later
    GetModuleNameFn BaseName = nullptr;
    GetModuleNameFn FileNameEx = nullptr;
    GetModuleInformationFn ModuleInformation = nullptr;
};

const TProcessStatus& ProcessStatus() noexcept {
    static const TProcessStatus set = [] {
        TProcessStatus bound;
        bound.Library.reset(LoadQuietly(L"PSAPI.dll"));
        HMODULE lib = bound.Library.get();
        bound.EnumIds = Lookup<EnumProcessesFn>(lib, "EnumProcesses");
        bound.EnumModules = Lookup<EnumProcessModulesFn>(lib, "EnumProcessModules");
        bound.EnumModulesEx = Lookup<EnumProcessModulesExFn>(lib, "EnumProcessModulesEx");
        bound.BaseName = Lookup<GetModuleNameFn>(lib, "GetModuleBaseNameW");
        bound.FileNameEx = Lookup<GetModuleNameFn>(lib, "GetModuleFileNameExW");
        bound.ModuleInformation = Lookup<GetModuleInformationFn>(lib, "GetModuleInformation");
        return bound;
    }();
    return set;
}

} // namespace

// ---- ResolveApiFunction and the availability of the sets ----

void ResolveApiFunctionRaw(FARPROC& slot, const wchar_t* module, const char* name) {
    if (slot) return;
    HMODULE lib = ::GetModuleHandleW(module);
    if (!lib) lib = LoadQuietly(module);  // kept loaded for the rest of the run
    if (!lib) throw EVtxError(L"Library not found: " + std::wstring(module));
    FARPROC proc = Lookup<FARPROC>(lib, name);
    if (!proc) throw EVtxError(L"Function not found: " + std::wstring(module) + L"." + Widen(name));
    slot = proc;
}

bool BindToolHelp() { return ToolHelp().CreateSnapshot != nullptr; }

bool BindProcessStatus() { return static_cast<bool>(ProcessStatus().Library); }

namespace dyn {

// ---- Tool Help ----

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
    CreateSnapshotFn fn = ToolHelp().CreateSnapshot;
    ResolveApiFunction(fn, L"kernel32.dll", "CreateToolhelp32Snapshot");  // raises only where the table lacks it
    return fn(flags, processId);
}

BOOL Process32FirstW(HANDLE snapshot, PROCESSENTRY32W* entry) {
    auto fn = ToolHelp().ProcessFirst;
    return fn ? fn(snapshot, entry) : FALSE;
}
BOOL Process32NextW(HANDLE snapshot, PROCESSENTRY32W* entry) {
    auto fn = ToolHelp().ProcessNext;
    return fn ? fn(snapshot, entry) : FALSE;
}
BOOL Module32FirstW(HANDLE snapshot, MODULEENTRY32W* entry) {
    auto fn = ToolHelp().ModuleFirst;
    return fn ? fn(snapshot, entry) : FALSE;
}
BOOL Module32NextW(HANDLE snapshot, MODULEENTRY32W* entry) {
    auto fn = ToolHelp().ModuleNext;
    return fn ? fn(snapshot, entry) : FALSE;
}

// ---- Process status ----

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
