// System services, the one header callers include: the system's
// facts (VtxSysInfo.cpp), binding of platform entry points by name
// (DynamicCalls.cpp, which holds every run-time binding), processes
// (Processes.cpp), modules (Modules.cpp) and windows (Windows.cpp).
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "base/StringList.h"

namespace vtx {

// Facts of the running system, read once before the first enumeration.
struct TSystemFacts {
    std::uint32_t PlatformId = 0;  // 2: NT family, 1: Windows 95 family
    std::uint32_t MajorVersion = 0;
    std::uint32_t MinorVersion = 0;
    std::uint32_t ProcessorCount = 1;
    std::uint32_t AllocationGranularity = 65536;
    // 64-bit Windows keeps the modules of a 32-bit process in a view of their
    // own, which a 64-bit caller sees only when it asks for every view.
    bool SeparateModuleViews = true;
    // The NT family gives its whole process table in one call; the Tool Help
    // snapshot is made from the same records, entry by entry.
    bool ProcessRecords = true;
    // A 64-bit process's loader list can be read from its memory in one pass;
    // the module snapshot is made from the same list.
    bool LoaderLists = true;
};

const TSystemFacts& SystemFacts();
// Tests run the older systems' methods by injecting other facts.
void SetSystemFacts(const TSystemFacts& facts);

// Fills an empty slot with the entry point Name of Module; a filled slot is
// left alone. Raises EVtxError "Library not found: %s" or
// "Function not found: %s.%s".
void ResolveApiFunctionRaw(FARPROC& slot, const wchar_t* module, const char* name);

template <class Fn>
void ResolveApiFunction(Fn*& slot, const wchar_t* module, const char* name) {
    // Through void*: entry points of unlike types share one slot type.
    FARPROC raw = reinterpret_cast<FARPROC>(reinterpret_cast<void*>(slot));
    ResolveApiFunctionRaw(raw, module, name);
    slot = reinterpret_cast<Fn*>(reinterpret_cast<void*>(raw));
}

// Appends one entry per running process: (file name, process ID). FullPath
// gives full paths wherever the system yields one. False when the process
// table cannot be read at all (then nothing was appended).
bool ListRunningProcesses(TStringList& list, bool fullPath);

// One running process as a listing found it.
struct TProcessEntry {
    std::wstring FileName;  // a full path where the system yields one, else a bare name
    std::uint32_t Id = 0;
    // When the process started, in the system's 100 ns units; 0 when unknown.
    // An ID is reused once its process has ended: ID and start time name one process.
    std::uint64_t StartTime = 0;
    // The full path is still to be asked (ProcessImagePath): FileName is the bare name.
    bool PathPending = false;
};

// ListRunningProcesses with each process's start time. With DeferPaths, a
// process whose path no earlier listing kept is listed by its bare name and
// PathPending: asking each new process for its path is most of a listing's
// time, and a list needs only the paths of the rows it draws.
bool ListProcessEntries(std::vector<TProcessEntry>& entries, bool fullPath, bool deferPaths = false);
// The full path of a process listed with PathPending, asked now and kept for
// later listings; the bare name when the process does not say.
std::wstring ProcessImagePath(std::uint32_t processId, std::uint64_t startTime, const std::wstring& bareName);

// Whether the process listed with this ID and start time still runs under
// that ID. True when the system cannot tell (no start time known).
bool ProcessStillRunning(std::uint32_t processId, std::uint64_t startTime);
// Whether an open process handle is the process listed with that start time;
// the handle keeps its ID from being reused while it is checked.
bool ProcessHandleIs(HANDLE process, std::uint32_t processId, std::uint64_t startTime);

// The image of a process that cannot be opened, by its ID alone, from the
// kernel's process table (Windows Vista on), as a drive-letter or UNC path;
// empty when the system does not say or no drive letter stands for its volume.
std::wstring ImagePathFromProcessId(std::uint32_t processId);

// Appends one entry per module of a process: (full path, or empty text with
// HandlesOnly, base address). False when the module table cannot be read.
bool ListLoadedModules(TStringList& list, std::uint32_t processId, bool handlesOnly);

// ID of the first running process whose entry equals FileName, letter case
// ignored by FoldFileNameCase; a name with a directory part is compared
// against full paths. -1 when there is none.
std::int32_t ProcessIdFromFileName(const std::wstring& fileName);

// The program's one case rule for file names: two names are the same file
// name when their foldings are equal, and the folding is the key of any index
// of names. Upper case by the locale's rule (CharUpperBuffW).
std::wstring FoldFileNameCase(const std::wstring& fileName);

// First top-level window of the process that passes IsMainAppWindow; 0 if none.
HWND MainWindowFromProcessId(std::uint32_t processId);
// Visible, unowned (or owned by the desktop), and no tool window unless it is
// marked as an application window.
bool IsMainAppWindow(HWND wnd);

// Binds the Tool Help set of kernel32.dll on first use; answers whether the
// module and CreateToolhelp32Snapshot were found.
bool BindToolHelp();
// Loads PSAPI.dll and binds its set on first use (freed at program end);
// answers whether the library could be loaded.
bool BindProcessStatus();

// The fallback of ListLoadedModules: one entry per image allocation in the
// address space of Process, in ascending order. False when not even the first
// region could be described.
bool ListImageAllocations(TStringList& list, HANDLE process, bool handlesOnly);

// A process's image name through PROCESS_QUERY_LIMITED_INFORMATION, which
// needs fewer rights than reading its memory; empty when even that fails.
std::wstring LimitedProcessImageName(std::uint32_t processId, bool fullPath);
// Answers in the system's place for the query behind LimitedProcessImageName,
// with QueryFullProcessImageNameW's contract (FALSE and
// ERROR_INSUFFICIENT_BUFFER for a buffer too small). Tests name processes by
// paths Wine cannot start a program from (MAX_PATH characters and more);
// empty: the system answers.
using TImageNameSeam = std::function<BOOL(HANDLE process, wchar_t* buffer, DWORD* size)>;
TImageNameSeam& ImageNameSeam();

} // namespace vtx
