#include "system/VtxSysInfo.h"
#include <tlhelp32.h>
#include <psapi.h>
#include <algorithm>
#include <exception>
#include <string>
#include <vector>
#include "../../res/resource.h"
#include "system/SystemLogic.h"
#include "toolkit/Errors.h"
#include "toolkit/Handle.h"

namespace vtx {

namespace {

TSystemFacts ReadSystemFacts() {
    TSystemFacts facts;
    // GetVersionExW is shimmed on current systems; RtlGetVersion tells the truth.
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    if (!rtlGetVersion || rtlGetVersion(&info) != 0) {
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
        ::GetVersionExW(&info);
#else
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        ::GetVersionExW(&info);
#pragma GCC diagnostic pop
#endif
    }
    facts.PlatformId = info.dwPlatformId;
    facts.MajorVersion = info.dwMajorVersion;
    facts.MinorVersion = info.dwMinorVersion;
    facts.SeparateModuleViews = facts.PlatformId == VER_PLATFORM_WIN32_NT && facts.MajorVersion >= 6;
    SYSTEM_INFO si{};
    ::GetSystemInfo(&si);
    facts.ProcessorCount = si.dwNumberOfProcessors;
    facts.AllocationGranularity = si.dwAllocationGranularity;
    return facts;
}

TSystemFacts& FactsSlot() {
    static TSystemFacts facts = ReadSystemFacts();
    return facts;
}

// Read at program start, before any enumeration.
[[maybe_unused]] const TSystemFacts& gStartFacts = FactsSlot();

std::wstring Widen(const char* text) {
    std::wstring out;
    for (; *text; ++text) out += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return out;
}

} // namespace

const TSystemFacts& SystemFacts() { return FactsSlot(); }
void SetSystemFacts(const TSystemFacts& facts) { FactsSlot() = facts; }

void ResolveApiFunctionRaw(FARPROC& slot, const wchar_t* module, const char* name) {
    if (slot) return;
    HMODULE lib = ::GetModuleHandleW(module);
    if (!lib) {
        UINT old = ::SetErrorMode(SEM_NOOPENFILEERRORBOX);
        lib = ::LoadLibraryW(module);  // kept loaded for the rest of the run
        ::SetErrorMode(old);
    }
    if (!lib) throw EVtxError(L"Library not found: " + std::wstring(module));
    FARPROC proc = ::GetProcAddress(lib, name);
    if (!proc) throw EVtxError(L"Function not found: " + std::wstring(module) + L"." + Widen(name));
    slot = proc;
}

// ---- Entry-point sets bound at run time ----

namespace {

using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32W*);
using ModuleWalkFn = BOOL(WINAPI*)(HANDLE, MODULEENTRY32W*);
using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using EnumProcessModulesExFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*, DWORD);
using GetModuleNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, wchar_t*, DWORD);
using GetModuleInformationFn = BOOL(WINAPI*)(HANDLE, HMODULE, MODULEINFO*, DWORD);
using QueryFullProcessImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, wchar_t*, DWORD*);
using GetWindowLongFn = LONG_PTR(WINAPI*)(HWND, int);

template <class Fn>
Fn Lookup(HMODULE module, const char* name) noexcept {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

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
        UINT old = ::SetErrorMode(SEM_NOOPENFILEERRORBOX);
        set.Library.reset(::LoadLibraryW(L"PSAPI.dll"));
        ::SetErrorMode(old);
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

// The operations answer failure when the library or their entry point is missing.
BOOL PsEnumProcesses(DWORD* ids, DWORD bytes, DWORD* returned) {
    auto fn = ProcessStatus().EnumIds;
    return fn ? fn(ids, bytes, returned) : FALSE;
}
BOOL PsEnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed) {
    // Without every view, a 32-bit process shows only ntdll, the wow64 layer and its exe.
    auto& ps = ProcessStatus();
    if (ps.EnumModulesEx && SystemFacts().SeparateModuleViews)
        return ps.EnumModulesEx(process, modules, bytes, needed, LIST_MODULES_ALL);
    return ps.EnumModules ? ps.EnumModules(process, modules, bytes, needed) : FALSE;
}
BOOL PsGetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* info) {
    auto fn = ProcessStatus().ModuleInformation;
    return fn ? fn(process, module, info, sizeof *info) : FALSE;
}

BOOL ThProcessFirst(HANDLE snap, PROCESSENTRY32W* entry) {
    return BindToolHelp() && ToolHelp().ProcessFirst ? ToolHelp().ProcessFirst(snap, entry) : FALSE;
}
BOOL ThProcessNext(HANDLE snap, PROCESSENTRY32W* entry) {
    return BindToolHelp() && ToolHelp().ProcessNext ? ToolHelp().ProcessNext(snap, entry) : FALSE;
}
BOOL ThModuleFirst(HANDLE snap, MODULEENTRY32W* entry) {
    return BindToolHelp() && ToolHelp().ModuleFirst ? ToolHelp().ModuleFirst(snap, entry) : FALSE;
}
BOOL ThModuleNext(HANDLE snap, MODULEENTRY32W* entry) {
    return BindToolHelp() && ToolHelp().ModuleNext ? ToolHelp().ModuleNext(snap, entry) : FALSE;
}

unique_file_handle TakeSnapshot(DWORD flags, DWORD processId) {
    static CreateSnapshotFn createSnapshot = nullptr;
    ResolveApiFunction(createSnapshot, L"kernel32.dll", "CreateToolhelp32Snapshot");
    return unique_file_handle(createSnapshot(flags, processId));
}

// A module or process name read into a buffer of Initial characters; a full
// buffer means the name may have been cut, so it is read again into a larger one.
template <class Read>
std::wstring ReadName(DWORD initial, Read read) {
    std::vector<wchar_t> buffer(initial);
    for (;;) {
        DWORD count = read(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (count == 0) return {};
        if (count + 1 < buffer.size() || buffer.size() >= 32768) {
            size_t length = 0;
            while (length < buffer.size() && buffer[length] != L'\0') ++length;
            return std::wstring(buffer.data(), length);
        }
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

std::wstring ResourceText(UINT id, const wchar_t* fallback) {
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring(fallback);
}

std::wstring IdleProcessName() { return ResourceText(IDS_SYSTEM_IDLE_PROCESS, L"System Idle Process"); }
std::wstring SystemProcessName() { return ResourceText(IDS_SYSTEM_PROCESS, L"System Process"); }

constexpr DWORD QueryAndRead = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;  // 0x410

std::wstring ProcessFileName(DWORD processId, bool fullPath) {
    // The image name the system keeps for the process gives the same path as
    // the executable's module entry, needs fewer rights and reads none of the
    // process's memory (about twenty times faster); the module entry serves
    // systems without it.
    std::wstring name = LimitedProcessImageName(processId, fullPath);
    if (!name.empty()) return name;
    unique_handle process(::OpenProcess(QueryAndRead, FALSE, processId));
    if (!process) return {};
    auto& ps = ProcessStatus();
    GetModuleNameFn read = fullPath ? ps.FileNameEx : ps.BaseName;
    if (!read) return {};
    return ReadName(MAX_PATH, [&](wchar_t* buffer, DWORD size) { return read(process.get(), nullptr, buffer, size); });
}

// ---- Process listing ----

bool ListBySnapshot(TStringList& list, bool fullPath) {
    unique_file_handle snapshot = TakeSnapshot(TH32CS_SNAPPROCESS, 0);
    if (!snapshot) return false;
    const bool win2000OrLater = SystemFacts().MajorVersion >= 5;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ThProcessFirst(snapshot.get(), &entry); more; more = ThProcessNext(snapshot.get(), &entry)) {
        std::wstring exeName = CutAtFirstZero(std::wstring(entry.szExeFile, std::size(entry.szExeFile)));
        std::wstring text;
        if (entry.th32ProcessID == 0) {
            text = IdleProcessName();
        } else if (win2000OrLater) {
            text = ProcessFileName(entry.th32ProcessID, fullPath);
            if (text.empty()) text = exeName;
        } else {
            text = fullPath ? exeName : FileNamePart(exeName);
        }
        list.Add(std::move(text), entry.th32ProcessID);
    }
    return true;
}

bool ListByProcessIds(TStringList& list, bool fullPath) {
    // The system does not say how many there are: grow until the array has room to spare.
    std::vector<DWORD> ids(1025);
    DWORD returned = 0;
    for (;;) {
        DWORD bytes = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        if (!PsEnumProcesses(ids.data(), bytes, &returned)) return false;
        if (returned < bytes) break;
        ids.resize(ids.size() * 2);
    }
    const bool nt4 = VersionClassOf(SystemFacts().PlatformId, SystemFacts().MajorVersion,
                                    SystemFacts().MinorVersion) == TVersionClass::NT40;
    for (size_t i = 0; i < returned / sizeof(DWORD); ++i) {
        DWORD id = ids[i];
        std::wstring text;
        if (id == 0) text = IdleProcessName();
        else if (id == 2 && nt4) text = SystemProcessName();
        else text = ProcessFileName(id, fullPath);
        if (!text.empty()) list.Add(std::move(text), id);
    }
    return true;
}

// ---- Module listing ----

void AddModuleEntry(TStringList& list, HANDLE process, HMODULE module, bool handlesOnly) {
    MODULEINFO info{};
    if (!PsGetModuleInformation(process, module, &info)) return;
    auto base = reinterpret_cast<std::uintptr_t>(info.lpBaseOfDll);
    if (handlesOnly) {
        list.Add(std::wstring(), base);
        return;
    }
    GetModuleNameFn read = ProcessStatus().FileNameEx;
    if (!read) return;
    std::wstring name = ReadName(MAX_PATH + 1, [&](wchar_t* buffer, DWORD size) {
        return read(process, module, buffer, size);
    });
    if (!name.empty()) list.Add(std::move(name), base);
}

bool ListByHandles(TStringList& list, DWORD processId, bool handlesOnly) {
    unique_handle process(::OpenProcess(QueryAndRead, FALSE, processId));
    if (!process) return false;
    DWORD needed = 0;
    if (!PsEnumProcessModules(process.get(), nullptr, 0, &needed))
        return ListImageAllocations(list, process.get(), handlesOnly);
    std::vector<HMODULE> modules(needed / sizeof(HMODULE));
    DWORD bytes = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
    DWORD filled = 0;
    if (!modules.empty() && PsEnumProcessModules(process.get(), modules.data(), bytes, &filled)) {
        // Modules unloaded in between shrink the table; the array's tail is then unused.
        size_t count = std::min<size_t>(modules.size(), filled / sizeof(HMODULE));
        for (size_t i = 0; i < count; ++i) AddModuleEntry(list, process.get(), modules[i], handlesOnly);
    }
    return true;
}

bool ListModulesBySnapshot(TStringList& list, DWORD processId, bool handlesOnly) {
    DWORD views = SystemFacts().SeparateModuleViews ? TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32 : TH32CS_SNAPMODULE;
    unique_file_handle snapshot = TakeSnapshot(views, processId);
    if (!snapshot) return false;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ThModuleFirst(snapshot.get(), &entry); more; more = ThModuleNext(snapshot.get(), &entry)) {
        std::wstring text;
        if (!handlesOnly) text = CutAtFirstZero(std::wstring(entry.szExePath, std::size(entry.szExePath)));
        list.Add(std::move(text), reinterpret_cast<std::uintptr_t>(entry.hModule));
    }
    return true;
}

// ---- Windows ----

struct TWindowSearch {
    DWORD ProcessId = 0;
    HWND Found = nullptr;
    std::exception_ptr Error;
};

BOOL CALLBACK FindMainWindow(HWND wnd, LPARAM context) noexcept {
    auto* search = reinterpret_cast<TWindowSearch*>(context);
    try {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(wnd, &owner);
        if (owner == search->ProcessId && IsMainAppWindow(wnd)) {
            search->Found = wnd;
            return FALSE;
        }
        return TRUE;
    } catch (...) {
        search->Error = std::current_exception();
        return FALSE;
    }
}

} // namespace

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

std::wstring LimitedProcessImageName(std::uint32_t processId, bool fullPath) {
    static const auto query =
        Lookup<QueryFullProcessImageNameFn>(::GetModuleHandleW(L"kernel32.dll"), "QueryFullProcessImageNameW");
    if (!query) return {};
    unique_handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return {};
    std::wstring path = ReadName(MAX_PATH, [&](wchar_t* buffer, DWORD size) -> DWORD {
        DWORD length = size;
        return query(process.get(), 0, buffer, &length) ? length : 0;
    });
    return fullPath ? path : FileNamePart(path);
}

bool ListRunningProcesses(TStringList& list, bool fullPath) {
    TUpdateBracket bracket(list);
    const TSystemFacts& facts = SystemFacts();
    if (UsesProcessIdMethod(facts.PlatformId, facts.MajorVersion, facts.MinorVersion))
        return ListByProcessIds(list, fullPath);
    return ListBySnapshot(list, fullPath);
}

bool ListLoadedModules(TStringList& list, std::uint32_t processId, bool handlesOnly) {
    TUpdateBracket bracket(list);
    if (SystemFacts().PlatformId == VER_PLATFORM_WIN32_NT) return ListByHandles(list, processId, handlesOnly);
    return ListModulesBySnapshot(list, processId, handlesOnly);
}

bool ListImageAllocations(TStringList& list, HANDLE process, bool handlesOnly) {
    TUpdateBracket bracket(list);
    MEMORY_BASIC_INFORMATION region{};
    std::uintptr_t address = 0;
    void* lastBase = nullptr;
    bool first = true;
    for (;;) {
        if (::VirtualQueryEx(process, reinterpret_cast<void*>(address), &region, sizeof region) != sizeof region)
            return !first;
        first = false;
        if (region.AllocationBase != lastBase) {
            if (region.Type == MEM_IMAGE)
                AddModuleEntry(list, process, static_cast<HMODULE>(region.AllocationBase), handlesOnly);
            lastBase = region.AllocationBase;
        }
        std::uintptr_t next = address + region.RegionSize;
        if (next <= address) return true;  // wrapped past the top of the address space
        address = next;
    }
}

std::int32_t ProcessIdFromFileName(const std::wstring& fileName) {
    TStringList list;
    if (!ListRunningProcesses(list, HasDirectoryPart(fileName))) return -1;
    for (const auto& entry : list) {
        if (::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, entry.Text.c_str(),
                             static_cast<int>(entry.Text.size()), fileName.c_str(),
                             static_cast<int>(fileName.size())) == CSTR_EQUAL)
            return static_cast<std::int32_t>(entry.Value);
    }
    return -1;
}

bool IsMainAppWindow(HWND wnd) {
    if (!::IsWindowVisible(wnd)) return false;
    // The owner is a pointer-sized value: the 64-bit build reads it whole.
    static GetWindowLongFn getWindowLong = nullptr;
#ifdef _WIN64
    ResolveApiFunction(getWindowLong, L"user32.dll", "GetWindowLongPtrW");
#else
    ResolveApiFunction(getWindowLong, L"user32.dll", "GetWindowLongW");
#endif
    auto owner = reinterpret_cast<HWND>(getWindowLong(wnd, GWLP_HWNDPARENT));
    auto exStyle = static_cast<DWORD>(getWindowLong(wnd, GWL_EXSTYLE));
    const bool unowned = owner == nullptr || owner == ::GetDesktopWindow();
    return unowned && (!(exStyle & WS_EX_TOOLWINDOW) || (exStyle & WS_EX_APPWINDOW));
}

HWND MainWindowFromProcessId(std::uint32_t processId) {
    TWindowSearch search;
    search.ProcessId = processId;
    ::EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
    if (search.Error) std::rethrow_exception(search.Error);
    return search.Found;
}

} // namespace vtx
