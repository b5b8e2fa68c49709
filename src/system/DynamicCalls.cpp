#include "system/DynamicCalls.h"
#include <string>
#include <type_traits>
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

// ---- The tables: one per library ----
// A table binds its entry points when it is made, each member from the ones
// declared above it (the module first); a missing one stays null and its
// wrapper answers failure.

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
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using SHGetFileInfoFn = DWORD_PTR(WINAPI*)(const wchar_t*, DWORD, SHFILEINFOW*, UINT, UINT);
using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, int);

struct TToolHelp {
    HMODULE Kernel = ::GetModuleHandleW(L"kernel32.dll");
    CreateSnapshotFn CreateSnapshot = Lookup<CreateSnapshotFn>(Kernel, "CreateToolhelp32Snapshot");
    // The walkers are of no use without a snapshot: a set lacking it is missing whole.
    HMODULE Walkers = CreateSnapshot ? Kernel : nullptr;
    ProcessWalkFn ProcessFirst = Lookup<ProcessWalkFn>(Walkers, "Process32FirstW");
    ProcessWalkFn ProcessNext = Lookup<ProcessWalkFn>(Walkers, "Process32NextW");
    ModuleWalkFn ModuleFirst = Lookup<ModuleWalkFn>(Walkers, "Module32FirstW");
    ModuleWalkFn ModuleNext = Lookup<ModuleWalkFn>(Walkers, "Module32NextW");
};

struct TProcessStatus {
    unique_hmodule Library{LoadQuietly(L"PSAPI.dll")};  // freed at program end
    EnumProcessesFn EnumIds = Lookup<EnumProcessesFn>(Library.get(), "EnumProcesses");
    EnumProcessModulesFn EnumModules = Lookup<EnumProcessModulesFn>(Library.get(), "EnumProcessModules");
    // Vista and later
    EnumProcessModulesExFn EnumModulesEx = Lookup<EnumProcessModulesExFn>(Library.get(), "EnumProcessModulesEx");
    GetModuleNameFn BaseName = Lookup<GetModuleNameFn>(Library.get(), "GetModuleBaseNameW");
    GetModuleNameFn FileNameEx = Lookup<GetModuleNameFn>(Library.get(), "GetModuleFileNameExW");
    GetModuleInformationFn ModuleInformation = Lookup<GetModuleInformationFn>(Library.get(), "GetModuleInformation");
};

struct TUser32 {
    // Windows 10 1607 and later
    GetSystemMetricsForDpiFn MetricsForDpi =
        Lookup<GetSystemMetricsForDpiFn>(::GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi");
};

struct TShell32 {
    HMODULE Library = LoadQuietly(L"shell32.dll");  // kept for the rest of the run
    SHGetFileInfoFn FileInfo = Lookup<SHGetFileInfoFn>(Library, "SHGetFileInfoW");
    ShellExecuteFn Execute = Lookup<ShellExecuteFn>(Library, "ShellExecuteW");
};

struct TNtDll {
    HMODULE Module = ::GetModuleHandleW(L"ntdll.dll");
    RtlGetVersionFn GetVersion = Lookup<RtlGetVersionFn>(Module, "RtlGetVersion");
    NtQuerySystemInformationFn SystemInformation =
        Lookup<NtQuerySystemInformationFn>(Module, "NtQuerySystemInformation");
    NtQueryInformationProcessFn InformationProcess =
        Lookup<NtQueryInformationProcessFn>(Module, "NtQueryInformationProcess");
};

// A library's table, made at its first use: a library loaded at run time is
// loaded only when one of its calls is first made. The function-local static
// binds once also when two threads meet there.
template <class Set>
const Set& Table() noexcept {
    static const Set set;
    return set;
}

// A bound entry point's answer, or Missing where the platform lacks it.
template <class Fn, class... Args>
std::invoke_result_t<Fn, Args...> CallOr(Fn fn, std::invoke_result_t<Fn, Args...> missing, Args... args) {
    return fn ? fn(args...) : missing;
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

bool BindToolHelp() { return Table<TToolHelp>().CreateSnapshot != nullptr; }

bool BindProcessStatus() { return static_cast<bool>(Table<TProcessStatus>().Library); }

namespace dyn {

// ---- Tool Help ----

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
    CreateSnapshotFn fn = Table<TToolHelp>().CreateSnapshot;
    ResolveApiFunction(fn, L"kernel32.dll", "CreateToolhelp32Snapshot");  // raises only where the table lacks it
    return fn(flags, processId);
}

BOOL Process32FirstW(HANDLE snapshot, PROCESSENTRY32W* entry) {
    return CallOr(Table<TToolHelp>().ProcessFirst, FALSE, snapshot, entry);
}
BOOL Process32NextW(HANDLE snapshot, PROCESSENTRY32W* entry) {
    return CallOr(Table<TToolHelp>().ProcessNext, FALSE, snapshot, entry);
}
BOOL Module32FirstW(HANDLE snapshot, MODULEENTRY32W* entry) {
    return CallOr(Table<TToolHelp>().ModuleFirst, FALSE, snapshot, entry);
}
BOOL Module32NextW(HANDLE snapshot, MODULEENTRY32W* entry) {
    return CallOr(Table<TToolHelp>().ModuleNext, FALSE, snapshot, entry);
}

// ---- Process status ----

BOOL EnumProcesses(DWORD* ids, DWORD bytes, DWORD* returned) {
    return CallOr(Table<TProcessStatus>().EnumIds, FALSE, ids, bytes, returned);
}
bool HasEnumProcessModulesEx() { return Table<TProcessStatus>().EnumModulesEx != nullptr; }
BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed) {
    return CallOr(Table<TProcessStatus>().EnumModules, FALSE, process, modules, bytes, needed);
}
BOOL EnumProcessModulesEx(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed, DWORD filter) {
    return CallOr(Table<TProcessStatus>().EnumModulesEx, FALSE, process, modules, bytes, needed, filter);
}
DWORD GetModuleBaseNameW(HANDLE process, HMODULE module, wchar_t* buffer, DWORD size) {
    return CallOr(Table<TProcessStatus>().BaseName, 0, process, module, buffer, size);
}
DWORD GetModuleFileNameExW(HANDLE process, HMODULE module, wchar_t* buffer, DWORD size) {
    return CallOr(Table<TProcessStatus>().FileNameEx, 0, process, module, buffer, size);
}
BOOL GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* info, DWORD size) {
    return CallOr(Table<TProcessStatus>().ModuleInformation, FALSE, process, module, info, size);
}

// ---- user32.dll ----

int GetSystemMetricsForDpi(int index, UINT dpi) {
    if (auto fn = Table<TUser32>().MetricsForDpi) return fn(index, dpi);
    const window_dc screen(nullptr);
    const int systemDpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi), systemDpi > 0 ? systemDpi : 96);
}

// ---- shell32.dll ----

DWORD_PTR SHGetFileInfoW(const wchar_t* path, DWORD attributes, SHFILEINFOW* info, UINT size, UINT flags) {
    return CallOr(Table<TShell32>().FileInfo, 0, path, attributes, info, size, flags);
}

HINSTANCE ShellExecuteW(HWND wnd, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                        const wchar_t* directory, int show) {
    return CallOr(Table<TShell32>().Execute, nullptr, wnd, verb, file, parameters, directory, show);
}

// ---- ntdll.dll ----

LONG RtlGetVersion(OSVERSIONINFOW* info) {
    return CallOr(Table<TNtDll>().GetVersion, -1, info);
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
    return CallOr(Table<TNtDll>().SystemInformation, -1, infoClass, buffer, length, returned);
}

LONG NtQueryInformationProcess(HANDLE process, ULONG infoClass, void* buffer, ULONG length, ULONG* returned) {
    return CallOr(Table<TNtDll>().InformationProcess, -1, process, infoClass, buffer, length, returned);
}

} // namespace dyn

} // namespace vtx
