// Processes: listing the running processes and finding one by file name.
#include <string>
#include <vector>
#include "res/resource.h"
#include "system/DynamicCalls.h"
#include "system/NameBuffer.h"
#include "system/SystemLogic.h"
#include "system/VtxSysInfo.h"
#include "toolkit/Handle.h"

namespace vtx {

namespace {

std::wstring ResourceText(UINT id, const wchar_t* fallback) {
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring(fallback);
}

std::wstring IdleProcessName() { return ResourceText(IDS_SYSTEM_IDLE_PROCESS, L"System Idle Process"); }
std::wstring SystemProcessName() { return ResourceText(IDS_SYSTEM_PROCESS, L"System Process"); }

std::wstring ProcessFileName(DWORD processId, bool fullPath) {
    // The image name the system keeps for the process gives the same path as
    // the executable's module entry, needs fewer rights and reads none of the
    // process's memory (about twenty times faster); the module entry serves
    // systems without it.
    std::wstring name = LimitedProcessImageName(processId, fullPath);
    if (!name.empty()) return name;
    unique_handle process(::OpenProcess(QueryAndRead, FALSE, processId));
    if (!process) return {};
    return ReadName(MAX_PATH, [&](wchar_t* buffer, DWORD size) {
        return fullPath ? dyn::GetModuleFileNameExW(process.get(), nullptr, buffer, size)
                        : dyn::GetModuleBaseNameW(process.get(), nullptr, buffer, size);
    });
}

bool ListBySnapshot(TStringList& list, bool fullPath) {
    unique_file_handle snapshot(dyn::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    const bool win2000OrLater = SystemFacts().MajorVersion >= 5;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = dyn::Process32FirstW(snapshot.get(), &entry); more;
         more = dyn::Process32NextW(snapshot.get(), &entry)) {
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
        if (!dyn::EnumProcesses(ids.data(), bytes, &returned)) return false;
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

} // namespace

std::wstring LimitedProcessImageName(std::uint32_t processId, bool fullPath) {
    unique_handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return {};
    std::wstring path = ReadName(MAX_PATH, [&](wchar_t* buffer, DWORD size) -> DWORD {
        DWORD length = size;
        return ::QueryFullProcessImageNameW(process.get(), 0, buffer, &length) ? length : 0;
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

std::wstring FoldFileNameCase(const std::wstring& fileName) {
    std::wstring folded = fileName;
    if (!folded.empty()) ::CharUpperBuffW(folded.data(), static_cast<DWORD>(folded.size()));
    return folded;
}

std::int32_t ProcessIdFromFileName(const std::wstring& fileName) {
    TStringList list;
    if (!ListRunningProcesses(list, HasDirectoryPart(fileName))) return -1;
    const std::wstring key = FoldFileNameCase(fileName);
    for (const auto& entry : list) {
        if (FoldFileNameCase(entry.Text) == key) return static_cast<std::int32_t>(entry.Value);
    }
    return -1;
}

} // namespace vtx
