// Every platform entry point the program binds at run time, one table per library.
// Everything else is called directly: the target, Windows 10, has it. What stays here, and why:
// - Tool Help of kernel32.dll (bound by name: the older systems' method);
// - the process-status set of "PSAPI.dll", loaded at first use and freed at
//   program end (EnumProcessModulesEx too);
// - RtlGetVersion, NtQuerySystemInformation and NtQueryInformationProcess of
//   ntdll.dll, which no import library of every toolchain declares;
// - GetSystemMetricsForDpi of user32.dll, which Windows 10 has only from 1607;
// - the two shell calls (module icons, opening links), so that start-up never
//   maps shell32.dll: under Wine that alone costs several milliseconds and
//   megabytes, and the first screen needs neither.
#pragma once
#include <windows.h>
#include <tlhelp32.h>
#include <psapi.h>
#include <shellapi.h>
#include <functional>

namespace vtx::dyn {

// ---- Tool Help (kernel32.dll) ----
// Whether the set is there: BindToolHelp (VtxSysInfo.h). The walkers answer
// FALSE when their entry point is missing.
// Raises the binding errors of ResolveApiFunction when the entry point is missing.
HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId);
BOOL Process32FirstW(HANDLE snapshot, PROCESSENTRY32W* entry);
BOOL Process32NextW(HANDLE snapshot, PROCESSENTRY32W* entry);
BOOL Module32FirstW(HANDLE snapshot, MODULEENTRY32W* entry);
BOOL Module32NextW(HANDLE snapshot, MODULEENTRY32W* entry);

// ---- Process status (PSAPI.dll) ----
// Whether the library loaded: BindProcessStatus (VtxSysInfo.h). The BOOL
// calls answer FALSE when their entry point is missing.
BOOL EnumProcesses(DWORD* ids, DWORD bytes, DWORD* returned);
bool HasEnumProcessModulesEx();
BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed);
BOOL EnumProcessModulesEx(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed, DWORD filter);
// The name readers answer 0 when their entry point is missing.
DWORD GetModuleBaseNameW(HANDLE process, HMODULE module, wchar_t* buffer, DWORD size);
DWORD GetModuleFileNameExW(HANDLE process, HMODULE module, wchar_t* buffer, DWORD size);
BOOL GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* info, DWORD size);

// ---- user32.dll ----
// The metric at the given dpi; where user32 lacks the call, the system-dpi
// value scaled to it.
int GetSystemMetricsForDpi(int index, UINT dpi);

// ---- shell32.dll, loaded at first use ----
// Answer 0 (no icon, no result) when the library or entry point is missing.
DWORD_PTR SHGetFileInfoW(const wchar_t* path, DWORD attributes, SHFILEINFOW* info, UINT size, UINT flags);
HINSTANCE ShellExecuteW(HWND wnd, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                        const wchar_t* directory, int show);

// ---- ntdll.dll ----
// Answers a failure status (not 0) when the entry point is missing.
LONG RtlGetVersion(OSVERSIONINFOW* info);
LONG NtQuerySystemInformation(ULONG infoClass, void* buffer, ULONG length, ULONG* returned);
// Tests answer in the system's place where Wine lacks a class (88, the image
// name by process ID); empty: the system answers.
using TSystemInformationSeam = std::function<LONG(ULONG infoClass, void* buffer, ULONG length, ULONG* returned)>;
TSystemInformationSeam& SystemInformationSeam();
// The system's own answer, also while the seam is set.
LONG PlatformNtQuerySystemInformation(ULONG infoClass, void* buffer, ULONG length, ULONG* returned);
LONG NtQueryInformationProcess(HANDLE process, ULONG infoClass, void* buffer, ULONG length, ULONG* returned);

} // namespace vtx::dyn
