// Processes: listing the running processes and finding one by file name.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>
#include "res/resource.h"
#include "system/DevicePath.h"
#include "system/DynamicCalls.h"
#include "system/ImagePathCache.h"
#include "system/NameBuffer.h"
#include "system/SystemLogic.h"
#include "system/VtxSysInfo.h"
#include "base/Handle.h"

namespace vtx {

namespace {

std::wstring ResourceText(UINT id, const wchar_t* fallback) {
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring(fallback);
}

std::wstring IdleProcessName() { return ResourceText(IDS_SYSTEM_IDLE_PROCESS, L"System Idle Process"); }
std::wstring SystemProcessName() { return ResourceText(IDS_SYSTEM_PROCESS, L"System Process"); }

// The head of the system's record of one process, in the layout of every NT
// version (natural alignment gives the offsets of both word sizes).
struct TProcessRecordHead {
    ULONG NextEntryOffset;
    ULONG NumberOfThreads;
    LARGE_INTEGER WorkingSetPrivateSize;
    ULONG HardFaultCount;
    ULONG NumberOfThreadsHighWatermark;
    ULONGLONG CycleTime;
    LARGE_INTEGER CreateTime;
    LARGE_INTEGER UserTime;
    LARGE_INTEGER KernelTime;
    struct { USHORT Length; USHORT MaximumLength; PWSTR Buffer; } ImageName;
    LONG BasePriority;
    HANDLE UniqueProcessId;
};

// One process as the system's records give it.
struct TProcessRecord {
    DWORD Id = 0;
    ULONGLONG StartTime = 0;
    std::wstring ImageName;  // the file name alone; empty for the idle process
};

// The whole process table from one call, in the system's order (the order a
// Tool Help snapshot lists, which is made from the same records). Under Wine
// it is several times faster than walking a snapshot, which maps the
// snapshot's memory anew for every entry. False when the system has no such call.
bool ReadProcessRecords(std::vector<TProcessRecord>& out) {
    constexpr ULONG SystemProcessInformation = 5;
    constexpr LONG InfoLengthMismatch = static_cast<LONG>(0xC0000004);
    static std::vector<std::byte> records(128 * 1024);  // kept: the table has about the same size every time
    ULONG returned = 0;
    for (;;) {
        const LONG status = dyn::NtQuerySystemInformation(SystemProcessInformation, records.data(),
                                                          static_cast<ULONG>(records.size()), &returned);
        if (status == InfoLengthMismatch && records.size() < 64u * 1024 * 1024) {
            records.resize(std::max<size_t>(records.size() * 2, returned + 16384u));
            continue;
        }
        if (status != 0) return false;
        break;
    }
    const std::byte* base = records.data();
    const size_t length = std::min<size_t>(returned, records.size());
    for (size_t offset = 0; offset + sizeof(TProcessRecordHead) <= length;) {
        TProcessRecordHead head;
        std::memcpy(&head, base + offset, sizeof head);
        TProcessRecord& record = out.emplace_back();
        record.Id = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(head.UniqueProcessId));
        record.StartTime = static_cast<ULONGLONG>(head.CreateTime.QuadPart);
        // The name's characters lie in the same buffer, after the records.
        const auto at = reinterpret_cast<std::uintptr_t>(head.ImageName.Buffer);
        const auto start = reinterpret_cast<std::uintptr_t>(base);
        const size_t bytes = head.ImageName.Length;
        if (at >= start && at - start <= length && bytes <= length - (at - start)) {
            record.ImageName.resize(bytes / sizeof(wchar_t));
            std::memcpy(record.ImageName.data(), base + (at - start), record.ImageName.size() * sizeof(wchar_t));
        }
        if (head.NextEntryOffset == 0) break;
        offset += head.NextEntryOffset;
    }
    return true;
}

// The records' buffer and the path cache are one for the program.
std::mutex& ListingLock() {
    static std::mutex lock;
    return lock;
}

// Drive letters and the devices they stand for, read once a listing and
// only when a process's image had to be named by its device path.
class TDriveTable {
public:
    void Forget() {
        std::lock_guard<std::mutex> lock(FLock);
        FRead = false;
    }
    std::wstring DosPath(const std::wstring& ntPath) {
        std::lock_guard<std::mutex> lock(FLock);
        if (!FRead) {
            FRead = true;
            FDevices.clear();
            const DWORD drives = ::GetLogicalDrives();
            for (int letter = 0; letter < 26; ++letter) {
                if (!(drives & (1u << letter))) continue;
                const std::wstring drive{static_cast<wchar_t>(L'A' + letter), L':'};
                wchar_t target[1024];
                if (::QueryDosDeviceW(drive.c_str(), target, static_cast<DWORD>(std::size(target))))
                    FDevices.push_back({drive, target});  // the first of the names it gives is the current one
            }
        }
        return DosPathFromNtPath(ntPath, FDevices);
    }

private:
    std::mutex FLock;
    bool FRead = false;
    std::vector<TDosDevice> FDevices;
};

TDriveTable& DriveTable() {
    static TDriveTable table;
    return table;
}

TImagePathCache& ImagePaths() {
    static TImagePathCache cache;
    return cache;
}

// The image name the system keeps for the process gives the same path as the
// executable's module entry, needs fewer rights and reads none of the
// process's memory (about twenty times faster).
std::wstring QueryImagePath(std::uint32_t processId) {
    std::wstring name = LimitedProcessImageName(processId, true);
    // Services, other users' and protected processes: named without a handle.
    return name.empty() ? ImagePathFromProcessId(processId) : name;
}

// The module entry serves systems without the image name.
std::wstring ModuleFileName(DWORD processId, bool fullPath) {
    unique_handle process(::OpenProcess(QueryAndRead, FALSE, processId));
    if (!process) return {};
    return ReadName(MAX_PATH, [&](wchar_t* buffer, DWORD size) {
        return fullPath ? dyn::GetModuleFileNameExW(process.get(), nullptr, buffer, size)
                        : dyn::GetModuleBaseNameW(process.get(), nullptr, buffer, size);
    });
}

std::wstring ProcessFileName(DWORD processId, bool fullPath) {
    std::wstring path = ImagePaths().FullPath(processId, QueryImagePath);
    if (!path.empty()) return fullPath ? path : FileNamePart(path);
    return ModuleFileName(processId, fullPath);
}

// A snapshot's entry: the idle process by its own name; from Windows 2000 on
// the image path, or the entry's name when the process does not give it.
using TStartTimes = TImagePathCache::TStartTimes;

void AddEntry(std::vector<TProcessEntry>& list, std::wstring text, DWORD id, const TStartTimes& startTimes) {
    const auto started = startTimes.find(id);
    list.push_back({std::move(text), id, started == startTimes.end() ? 0 : started->second});
}

void AddSnapshotEntry(std::vector<TProcessEntry>& list, DWORD id, const std::wstring& exeName, bool fullPath,
                      bool win2000OrLater, const TStartTimes& startTimes, bool deferPaths = false) {
    std::wstring text;
    bool pending = false;
    if (id == 0) {
        text = IdleProcessName();
    } else if (win2000OrLater && deferPaths && fullPath) {
        text = ImagePaths().Known(id);
        pending = text.empty();
        if (pending) text = FileNamePart(exeName);
    } else if (win2000OrLater) {
        text = ProcessFileName(id, fullPath);
        if (text.empty()) text = exeName;
    } else {
        text = fullPath ? exeName : FileNamePart(exeName);
    }
    AddEntry(list, std::move(text), id, startTimes);
    list.back().PathPending = pending;
}

bool ListBySnapshot(std::vector<TProcessEntry>& list, bool fullPath, const TStartTimes& startTimes) {
    unique_file_handle snapshot(dyn::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    const bool win2000OrLater = SystemFacts().MajorVersion >= 5;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = dyn::Process32FirstW(snapshot.get(), &entry); more;
         more = dyn::Process32NextW(snapshot.get(), &entry)) {
        AddSnapshotEntry(list, entry.th32ProcessID,
                         CutAtFirstZero(std::wstring(entry.szExeFile, std::size(entry.szExeFile))), fullPath,
                         win2000OrLater, startTimes);
    }
    return true;
}

// The snapshot's entries, read from the records the snapshot is made of.
void ListByRecords(std::vector<TProcessEntry>& list, bool fullPath, const std::vector<TProcessRecord>& records,
                   const TStartTimes& startTimes, bool deferPaths) {
    for (const TProcessRecord& record : records)
        AddSnapshotEntry(list, record.Id, record.ImageName, fullPath, true, startTimes, deferPaths);
}

bool ListByProcessIds(std::vector<TProcessEntry>& list, bool fullPath, const TStartTimes& startTimes) {
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
        if (!text.empty()) AddEntry(list, std::move(text), id, startTimes);
    }
    return true;
}

} // namespace

TImageNameSeam& ImageNameSeam() {
    static TImageNameSeam seam;
    return seam;
}

std::wstring LimitedProcessImageName(std::uint32_t processId, bool fullPath) {
    unique_handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return {};
    const TImageNameSeam& seam = ImageNameSeam();
    std::wstring path = ReadName(MAX_PATH, [&](wchar_t* buffer, DWORD size) -> DWORD {
        DWORD length = size;
        const BOOL read = seam ? seam(process.get(), buffer, &length)
                               : ::QueryFullProcessImageNameW(process.get(), 0, buffer, &length);
        return read ? length : 0;
    });
    return fullPath ? path : FileNamePart(path);
}

bool ListProcessEntries(std::vector<TProcessEntry>& list, bool fullPath, bool deferPaths) {
    std::lock_guard<std::mutex> lock(ListingLock());
    std::vector<TProcessRecord> records;
    const bool haveRecords = ReadProcessRecords(records);
    {
        TStartTimes startTimes;
        for (const TProcessRecord& record : records) startTimes[record.Id] = record.StartTime;
        ImagePaths().BeginListing(std::move(startTimes));
    }
    const TStartTimes& startTimes = ImagePaths().StartTimes();
    DriveTable().Forget();

    const TSystemFacts& facts = SystemFacts();
    bool listed = true;
    if (UsesProcessIdMethod(facts.PlatformId, facts.MajorVersion, facts.MinorVersion))
        listed = ListByProcessIds(list, fullPath, startTimes);
    else if (haveRecords && facts.ProcessRecords && facts.PlatformId == VER_PLATFORM_WIN32_NT)
        ListByRecords(list, fullPath, records, startTimes, deferPaths);  // NT 3.x and 4.0 took the branch above
    else
        listed = ListBySnapshot(list, fullPath, startTimes);
    if (listed) ImagePaths().EndListing();
    return listed;
}

std::wstring ProcessImagePath(std::uint32_t processId, std::uint64_t startTime, const std::wstring& bareName) {
    std::wstring path;
    {
        std::lock_guard<std::mutex> lock(ListingLock());
        path = ImagePaths().FullPathLater(processId, startTime, QueryImagePath);
    }
    if (path.empty()) path = ModuleFileName(processId, true);
    return path.empty() ? bareName : path;
}

bool ListRunningProcesses(TStringList& list, bool fullPath) {
    TUpdateBracket bracket(list);
    std::vector<TProcessEntry> entries;
    if (!ListProcessEntries(entries, fullPath)) return false;
    for (TProcessEntry& entry : entries) list.Add(std::move(entry.FileName), entry.Id);
    return true;
}

namespace {

// The process table's answer: 1 running under that ID, 0 not, -1 no table.
int RunningByRecords(std::uint32_t processId, std::uint64_t startTime) {
    std::lock_guard<std::mutex> lock(ListingLock());
    std::vector<TProcessRecord> records;
    if (!ReadProcessRecords(records)) return -1;
    for (const TProcessRecord& record : records)
        if (record.Id == processId) return startTime == 0 || record.StartTime == 0 || record.StartTime == startTime;
    return 0;
}

} // namespace

bool ProcessStillRunning(std::uint32_t processId, std::uint64_t startTime) {
    // A handle answers at once; the whole process table (tens of
    // milliseconds at a desktop's size) only for what this user cannot open.
    unique_handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId));
    if (!process) process.reset(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (process) return ProcessHandleIs(process.get(), processId, startTime);
    if (::GetLastError() == ERROR_INVALID_PARAMETER) return false;  // no process has the ID
    return RunningByRecords(processId, startTime) != 0;  // -1: the system cannot tell
}

bool ProcessHandleIs(HANDLE process, std::uint32_t processId, std::uint64_t startTime) {
    // An ended process whose handle someone still holds keeps its ID.
    DWORD code = 0;
    if (::GetExitCodeProcess(process, &code) && code != STILL_ACTIVE) return false;
    // STILL_ACTIVE is also a possible exit code; a handle with the right to wait tells.
    if (::WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return false;
    FILETIME created{}, exited{}, kernel{}, user{};
    if (startTime != 0 && ::GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        const std::uint64_t started = (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
        return started == 0 || started == startTime;
    }
    // No query right on the handle: the process table decides.
    return RunningByRecords(processId, startTime) != 0;
}

std::wstring ImagePathFromProcessId(std::uint32_t processId) {
    constexpr ULONG SystemProcessIdInformation = 88;
    constexpr LONG InfoLengthMismatch = static_cast<LONG>(0xC0000004);
    struct TProcessIdInformation {
        HANDLE ProcessId;
        struct { USHORT Length; USHORT MaximumLength; PWSTR Buffer; } ImageName;
    };
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 3; ++attempt) {
        TProcessIdInformation info{};
        info.ProcessId = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(processId));
        info.ImageName.Buffer = buffer.data();
        info.ImageName.MaximumLength = static_cast<USHORT>(std::min<size_t>(buffer.size() * sizeof(wchar_t), 0xFFFE));
        const LONG status = dyn::NtQuerySystemInformation(SystemProcessIdInformation, &info, sizeof info, nullptr);
        if (status == InfoLengthMismatch && info.ImageName.MaximumLength > buffer.size() * sizeof(wchar_t)) {
            // It says how much room the name needs.
            buffer.assign(info.ImageName.MaximumLength / sizeof(wchar_t) + 1, L'\0');
            continue;
        }
        if (status != 0 || info.ImageName.Buffer != buffer.data() ||
            info.ImageName.Length > buffer.size() * sizeof(wchar_t))
            return {};
        const std::wstring ntPath(buffer.data(), info.ImageName.Length / sizeof(wchar_t));
        return DriveTable().DosPath(ntPath);
    }
    return {};
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
