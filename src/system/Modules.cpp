// Modules: the module table of one process.
#include <algorithm>
#include <vector>
#include "system/DynamicCalls.h"
#include "system/NameBuffer.h"
#include "system/SystemLogic.h"
#include "system/VtxSysInfo.h"
#include "toolkit/Handle.h"

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

// The module snapshot gives the same entries in the same (loader) order as
// the process-status calls, in one request instead of two reads of the
// process's loader list per module (which grows with the square of the
// module count: 2.4 s for 165 modules under Wine). A path the snapshot may
// have cut at MAX_PATH leaves the whole list to the process-status calls.
bool ListBySnapshotFirst(TStringList& list, DWORD processId, bool handlesOnly) {
    TStringList snapshot;
    if (dyn::ToolHelpBound() && ListModulesBySnapshot(snapshot, processId, false)) {
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
    const TSystemFacts& facts = SystemFacts();
    if (facts.PlatformId == VER_PLATFORM_WIN32_NT) {
        // NT 3.x and 4.0 have no Tool Help.
        if (UsesProcessIdMethod(facts.PlatformId, facts.MajorVersion, facts.MinorVersion))
            return ListByHandles(list, processId, handlesOnly);
        return ListBySnapshotFirst(list, processId, handlesOnly);
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
