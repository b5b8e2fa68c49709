// Modules: the module table of one process.
#include <windows.h>
#include <winternl.h>
#include <algorithm>
#include <cstdint>
#include <vector>
#include "system/DynamicCalls.h"
#include "system/NameBuffer.h"
#include "system/SystemLogic.h"
#include "system/VtxSysInfo.h"
#include "base/Handle.h"

namespace vtx {

namespace {

BOOL EnumAllProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed) {
    // Without every view, a 32-bit process shows only ntdll, the wow64 layer and its exe.
    if (dyn::HasEnumProcessModulesEx() && SystemFacts().SeparateModuleViews)
        return dyn::EnumProcessModulesEx(process, modules, bytes, needed, LIST_MODULES_ALL);
    return dyn::EnumProcessModules(process, modules, bytes, needed);
}

void AddModuleEntry(TStringList& list, HANDLE process, HMODULE module, bool handlesOnly) {
    MODULEINFO info{};
    if (!dyn::GetModuleInformation(process, module, &info, sizeof info)) return;
    auto base = reinterpret_cast<std::uintptr_t>(info.lpBaseOfDll);
    if (handlesOnly) {
        list.Add(std::wstring(), base);
        return;
    }
    std::wstring name = ReadName(MAX_PATH + 1, [&](wchar_t* buffer, DWORD size) {
        return dyn::GetModuleFileNameExW(process, module, buffer, size);
    });
    if (!name.empty()) list.Add(std::move(name), base);
}

bool ListByHandles(TStringList& list, DWORD processId, bool handlesOnly) {
    unique_handle process(::OpenProcess(QueryAndRead, FALSE, processId));
    if (!process) return false;
    DWORD needed = 0;
    if (!EnumAllProcessModules(process.get(), nullptr, 0, &needed))
        return ListImageAllocations(list, process.get(), handlesOnly);
    std::vector<HMODULE> modules(needed / sizeof(HMODULE));
    DWORD bytes = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
    DWORD filled = 0;
    if (!modules.empty() && EnumAllProcessModules(process.get(), modules.data(), bytes, &filled)) {
        // Modules unloaded in between shrink the table; the array's tail is then unused.
        size_t count = std::min<size_t>(modules.size(), filled / sizeof(HMODULE));
        for (size_t i = 0; i < count; ++i) AddModuleEntry(list, process.get(), modules[i], handlesOnly);
    }
    return true;
}

bool ListModulesBySnapshot(TStringList& list, DWORD processId, bool handlesOnly);

#if defined(_WIN64)
// The loader's records of a 64-bit process, in the layout of every 64-bit
// Windows (natural alignment gives the documented offsets).
struct TRemoteLinks {
    std::uint64_t Flink, Blink;
};
struct TRemoteString {
    USHORT Length, MaximumLength;
    std::uint64_t Buffer;
};
struct TLoaderEntry {
    TRemoteLinks InLoadOrderLinks, InMemoryOrderLinks, InInitializationOrderLinks;
    std::uint64_t DllBase, EntryPoint;
    ULONG SizeOfImage;
    TRemoteString FullDllName, BaseDllName;
};
constexpr std::uint64_t PebLoaderOffset = 0x18;     // PEB.Ldr
constexpr std::uint64_t LoadOrderListOffset = 0x10;  // PEB_LDR_DATA.InLoadOrderModuleList

template <class T>
bool ReadRemote(HANDLE process, std::uint64_t address, T* out, size_t bytes = sizeof(T)) {
    SIZE_T read = 0;
    return address != 0 && ::ReadProcessMemory(process, reinterpret_cast<const void*>(address), out, bytes, &read) &&
           read == bytes;
}

// The loader's list in load order, read from the process's memory in one
// pass: two reads a module. It is the list the module snapshot copies, and
// under Wine the snapshot costs about three times as much (80 ms against
// 27 ms for 165 modules). A 32-bit process keeps a second list of its own:
// it is left to the snapshot, as is anything that cannot be read whole.
bool ListByLoaderList(TStringList& list, DWORD processId, bool handlesOnly) {
    unique_handle process(::OpenProcess(QueryAndRead, FALSE, processId));
    BOOL wow64 = TRUE;
    if (!process || !::IsWow64Process(process.get(), &wow64) || wow64) return false;
    PROCESS_BASIC_INFORMATION basic{};
    if (dyn::NtQueryInformationProcess(process.get(), 0 /* ProcessBasicInformation */, &basic, sizeof basic,
                                       nullptr) != 0)
        return false;
    std::uint64_t loader = 0;
    if (!ReadRemote(process.get(), reinterpret_cast<std::uint64_t>(basic.PebBaseAddress) + PebLoaderOffset, &loader))
        return false;
    const std::uint64_t head = loader + LoadOrderListOffset;
    std::uint64_t link = 0;
    if (!ReadRemote(process.get(), head, &link)) return false;
    TStringList modules;
    for (int count = 0; link != head; ++count) {
        TLoaderEntry entry{};
        if (count > 65536 || !ReadRemote(process.get(), link, &entry)) return false;
        std::wstring path;
        if (!handlesOnly) {
            path.resize(entry.FullDllName.Length / sizeof(wchar_t));
            if (path.empty() || !ReadRemote(process.get(), entry.FullDllName.Buffer, path.data(),
                                            path.size() * sizeof(wchar_t)))
                return false;
        }
        modules.Add(std::move(path), static_cast<std::uintptr_t>(entry.DllBase));
        link = entry.InLoadOrderLinks.Flink;
    }
    if (modules.Count() == 0) return false;
    for (const auto& entry : modules) list.Add(entry.Text, entry.Value);
    return true;
}
#endif

// The module snapshot gives the same entries in the same (loader) order as
// the process-status calls, in one request instead of two reads of the
// process's loader list per module (which grows with the square of the
// module count: 2.4 s for 165 modules under Wine); a 64-bit process's loader
// list read directly is cheaper still. A path the snapshot may have cut at
// MAX_PATH leaves the whole list to the process-status calls.
bool ListByLoaderOrSnapshot(TStringList& list, DWORD processId, bool handlesOnly) {
#if defined(_WIN64)
    if (SystemFacts().LoaderLists && ListByLoaderList(list, processId, handlesOnly)) return true;
#endif
    TStringList snapshot;
    if (BindToolHelp() && ListModulesBySnapshot(snapshot, processId, false)) {
        bool complete = snapshot.Count() > 0;
        for (const auto& entry : snapshot)
            if (entry.Text.empty() || entry.Text.size() >= MAX_PATH - 1) complete = false;
        if (complete) {
            for (const auto& entry : snapshot) list.Add(handlesOnly ? std::wstring() : entry.Text, entry.Value);
            return true;
        }
    }
    return ListByHandles(list, processId, handlesOnly);
}

bool ListModulesBySnapshot(TStringList& list, DWORD processId, bool handlesOnly) {
    DWORD views = SystemFacts().SeparateModuleViews ? TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32 : TH32CS_SNAPMODULE;
    unique_file_handle snapshot(dyn::CreateToolhelp32Snapshot(views, processId));
    if (!snapshot) return false;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = dyn::Module32FirstW(snapshot.get(), &entry); more;
         more = dyn::Module32NextW(snapshot.get(), &entry)) {
        std::wstring text;
        if (!handlesOnly) text = CutAtFirstZero(std::wstring(entry.szExePath, std::size(entry.szExePath)));
        list.Add(std::move(text), reinterpret_cast<std::uintptr_t>(entry.hModule));
    }
    return true;
}

} // namespace

bool ListLoadedModules(TStringList& list, std::uint32_t processId, bool handlesOnly) {
    TUpdateBracket bracket(list);
    // The idle process has no module table; to the module snapshot, ID 0
    // would mean the calling process.
    if (processId == 0) return false;
    const TSystemFacts& facts = SystemFacts();
    if (facts.PlatformId == VER_PLATFORM_WIN32_NT) {
        // NT 3.x and 4.0 have no Tool Help.
        if (UsesProcessIdMethod(facts.PlatformId, facts.MajorVersion, facts.MinorVersion))
            return ListByHandles(list, processId, handlesOnly);
        return ListByLoaderOrSnapshot(list, processId, handlesOnly);
    }
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

} // namespace vtx
