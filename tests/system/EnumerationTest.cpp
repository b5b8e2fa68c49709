// Process, module and window lookup against real child processes under Wine.
#include <gtest/gtest.h>
#include <windows.h>
#include <winternl.h>
#include <algorithm>
#include <memory>
#include <set>
#include <vector>
#include "helpers/TestSupport.h"
#include "system/DynamicCalls.h"
#include "system/VtxSysInfo.h"
#include "base/Errors.h"
#include "base/Handle.h"
#include "base/ScopedOverride.h"

namespace vtx {
namespace {

using vtest::SameText;

bool EndsWithText(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() && SameText(text.substr(text.size() - tail.size()), tail);
}

// Runs the methods of another system on this one, and puts the real facts back.
class InjectedFacts {
public:
    InjectedFacts(std::uint32_t platform, std::uint32_t major, std::uint32_t minor, bool separateViews = true)
        : FFacts(SystemFacts(), SetSystemFacts, Facts(platform, major, minor, separateViews)) {}

private:
    static TSystemFacts Facts(std::uint32_t platform, std::uint32_t major, std::uint32_t minor, bool separateViews) {
        TSystemFacts facts = SystemFacts();
        facts.PlatformId = platform;
        facts.MajorVersion = major;
        facts.MinorVersion = minor;
        facts.SeparateModuleViews = separateViews;
        return facts;
    }
    TScopedOverride<TSystemFacts> FFacts;
};

// Process IDs are multiples of four: no process ever has this one. (An ended
// child's ID can still be opened while something holds its process object.)
constexpr DWORD NoSuchProcessId = 0x7FFFFFF3;

// Index of the entry with this value, or -1.
int IndexOfValue(const TStringList& list, std::uintptr_t value) {
    for (int i = 0; i < list.Count(); ++i)
        if (list.Objects(i) == value) return i;
    return -1;
}

std::set<std::uintptr_t> Values(const TStringList& list) {
    std::set<std::uintptr_t> values;
    for (const auto& entry : list) values.insert(entry.Value);
    return values;
}

bool HasModule(const TStringList& list, const std::wstring& tail) {
    return std::any_of(list.begin(), list.end(), [&](const auto& e) { return EndsWithText(e.Text, tail); });
}

class ProcessEnumeration : public ::testing::Test {
protected:
    // Two children from the helper file and one from a copy of it at another path.
    static void SetUpTestSuite() {
        CopyPath = vtest::CopyFileTo(vtest::HelperPath(), vtest::ScratchDirectory(L"sysenum"), L"vthelper.exe");
        First = std::make_unique<vtest::ChildProcess>(vtest::HelperPath(), L"sleep 60000", false);
        Second = std::make_unique<vtest::ChildProcess>(vtest::HelperPath(), L"sleep 60000", false);
        Copy = std::make_unique<vtest::ChildProcess>(CopyPath, L"sleep 60000", false);
    }
    static void TearDownTestSuite() {
        First.reset();
        Second.reset();
        Copy.reset();
        ::DeleteFileW(CopyPath.c_str());
    }
    void SetUp() override {
        ASSERT_TRUE(First->Running() && Second->Running() && Copy->Running());
    }

    // The module table of a child is complete once it loaded its two extra libraries.
    static TStringList LoadedModulesOf(DWORD pid, bool handlesOnly = false) {
        TStringList list;
        DWORD start = ::GetTickCount();
        do {
            list.Clear();
            ListLoadedModules(list, pid, false);
            if (HasModule(list, L"\\version.dll") && HasModule(list, L"\\shlwapi.dll")) break;
            ::Sleep(20);
        } while (::GetTickCount() - start < 10000);
        if (handlesOnly) {
            list.Clear();
            ListLoadedModules(list, pid, true);
        }
        return list;
    }

    static inline std::wstring CopyPath;
    static inline std::unique_ptr<vtest::ChildProcess> First, Second, Copy;
};

TEST_F(ProcessEnumeration, ListsChildrenWithFullPathsOrBareNames) {
    TStringList full, bare;
    ASSERT_TRUE(ListRunningProcesses(full, true));
    ASSERT_TRUE(ListRunningProcesses(bare, false));
    struct Case { const vtest::ChildProcess* child; std::wstring path; };
    const Case cases[] = {{First.get(), vtest::HelperPath()}, {Second.get(), vtest::HelperPath()},
                          {Copy.get(), CopyPath}};
    for (const Case& c : cases) {
        int i = IndexOfValue(full, c.child->Id());
        ASSERT_GE(i, 0) << c.child->Id();
        EXPECT_TRUE(SameText(full.Strings(i), c.path)) << full.Strings(i);
        int j = IndexOfValue(bare, c.child->Id());
        ASSERT_GE(j, 0);
        EXPECT_EQ(bare.Strings(j), L"vthelper.exe");
    }
    for (const auto& entry : bare) EXPECT_EQ(entry.Text.find_first_of(L"\\:"), std::wstring::npos) << entry.Text;
    for (const auto& entry : full) {
        if (entry.Value == 0) {
            EXPECT_EQ(entry.Text, L"System Idle Process");
        }
    }
}

TEST_F(ProcessEnumeration, AppendsAfterExistingEntriesInOneUpdateBracket) {
    TStringList list;
    list.Add(L"kept", 12345);
    int changes = 0;
    list.OnChange = [&] { ++changes; };
    ASSERT_TRUE(ListRunningProcesses(list, true));
    ASSERT_GT(list.Count(), 3);
    EXPECT_EQ(list.Strings(0), L"kept");
    EXPECT_EQ(list.Objects(0), 12345u);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(list.UpdateCount(), 0);
}

TEST_F(ProcessEnumeration, ProcessIdFromFileNameFindsTheFirstMatchIgnoringCase) {
    TStringList full;
    ASSERT_TRUE(ListRunningProcesses(full, true));
    // The earlier of the two children from the helper file, in enumeration order.
    int firstIndex = IndexOfValue(full, First->Id()), secondIndex = IndexOfValue(full, Second->Id());
    int copyIndex = IndexOfValue(full, Copy->Id());
    ASSERT_TRUE(firstIndex >= 0 && secondIndex >= 0 && copyIndex >= 0);
    DWORD earlier = firstIndex < secondIndex ? First->Id() : Second->Id();
    DWORD earliestOfAll = std::min({firstIndex, secondIndex, copyIndex}) == copyIndex ? Copy->Id() : earlier;

    std::wstring upperCopy = CopyPath;
    ::CharUpperBuffW(upperCopy.data(), static_cast<DWORD>(upperCopy.size()));
    struct Case { std::wstring name; std::int32_t id; };
    const Case cases[] = {
        {vtest::HelperPath(), static_cast<std::int32_t>(earlier)},
        {CopyPath, static_cast<std::int32_t>(Copy->Id())},
        {upperCopy, static_cast<std::int32_t>(Copy->Id())},
        {L"VTHELPER.EXE", static_cast<std::int32_t>(earliestOfAll)},
        {L"no-such-program.exe", -1},
        {L"C:\\nowhere\\vthelper.exe", -1},  // a path compares against full paths only
    };
    for (const Case& c : cases) EXPECT_EQ(ProcessIdFromFileName(c.name), c.id) << c.name;
}

TEST_F(ProcessEnumeration, ProcessIdMethodOfNt4ListsOpenableProcessesOnly) {
    InjectedFacts nt4(2, 4, 0);
    TStringList full, bare;
    ASSERT_TRUE(ListRunningProcesses(full, true));
    ASSERT_TRUE(ListRunningProcesses(bare, false));
    int i = IndexOfValue(full, Copy->Id());
    ASSERT_GE(i, 0);
    EXPECT_TRUE(SameText(full.Strings(i), CopyPath));
    i = IndexOfValue(bare, First->Id());
    ASSERT_GE(i, 0);
    EXPECT_EQ(bare.Strings(i), L"vthelper.exe");
    for (const auto& entry : full) {
        EXPECT_FALSE(entry.Text.empty()) << entry.Value;
        if (entry.Value == 0) {
            EXPECT_EQ(entry.Text, L"System Idle Process");
        }
        if (entry.Value == 2) {
            EXPECT_EQ(entry.Text, L"System Process");
        }
    }
    EXPECT_EQ(ProcessIdFromFileName(CopyPath), static_cast<std::int32_t>(Copy->Id()));
}

TEST_F(ProcessEnumeration, SnapshotOfEarlierSystemsKeepsTheRecordsName) {
    InjectedFacts win95(1, 4, 0);
    TStringList bare;
    ASSERT_TRUE(ListRunningProcesses(bare, false));
    int i = IndexOfValue(bare, Second->Id());
    ASSERT_GE(i, 0);
    EXPECT_EQ(bare.Strings(i), L"vthelper.exe");
}

std::vector<std::pair<std::wstring, std::uintptr_t>> Entries(const TStringList& list) {
    std::vector<std::pair<std::wstring, std::uintptr_t>> entries;
    for (const auto& entry : list) entries.emplace_back(entry.Text, entry.Value);
    return entries;
}

// The process records and the Tool Help snapshot made of them give the same
// list; kept image paths follow the processes that come and go.
TEST_F(ProcessEnumeration, ProcessRecordsListWhatTheSnapshotListsInItsOrder) {
    for (bool fullPath : {true, false}) {
        bool same = false;
        std::vector<std::pair<std::wstring, std::uintptr_t>> records, snapshot;
        // A service of the platform may start or end between two listings.
        for (int attempt = 0; attempt < 5 && !same; ++attempt) {
            TStringList first, second;
            ASSERT_TRUE(ListRunningProcesses(first, fullPath));
            TSystemFacts facts = SystemFacts();
            facts.ProcessRecords = false;
            {
                TScopedOverride<TSystemFacts> toolHelp(SystemFacts(), SetSystemFacts, facts);
                ASSERT_TRUE(ListRunningProcesses(second, fullPath));
            }
            records = Entries(first);
            snapshot = Entries(second);
            same = records == snapshot;
        }
        EXPECT_TRUE(same) << "full paths " << fullPath << ": " << records.size() << " against " << snapshot.size();
    }

    std::wstring other = vtest::CopyFileTo(vtest::HelperPath(), vtest::ScratchDirectory(L"sysenum"), L"vtlater.exe");
    for (int round = 0; round < 3; ++round) {
        vtest::ChildProcess later(other, L"sleep 60000", false);
        TStringList list;
        ASSERT_TRUE(ListRunningProcesses(list, true));
        int i = IndexOfValue(list, later.Id());
        ASSERT_GE(i, 0);
        EXPECT_TRUE(SameText(list.Strings(i), other)) << list.Strings(i);
        later.Terminate();
        later.Wait(5000);
        list.Clear();
        ASSERT_TRUE(ListRunningProcesses(list, true));
        i = IndexOfValue(list, later.Id());
        if (i >= 0) {
            EXPECT_FALSE(SameText(list.Strings(i), other)) << "an ended process is still listed";
        }
    }
    ::DeleteFileW(other.c_str());
}

TEST_F(ProcessEnumeration, LimitedQueryStillGivesTheImagePath) {
    EXPECT_TRUE(SameText(LimitedProcessImageName(Copy->Id(), true), CopyPath));
    EXPECT_EQ(LimitedProcessImageName(Copy->Id(), false), L"vthelper.exe");
    EXPECT_EQ(LimitedProcessImageName(NoSuchProcessId, true), L"");
}

TEST_F(ProcessEnumeration, ModulesOfAChildWithPathsOrHandlesOnly) {
    TStringList paths = LoadedModulesOf(First->Id());
    ASSERT_TRUE(HasModule(paths, L"\\version.dll"));
    ASSERT_TRUE(HasModule(paths, L"\\shlwapi.dll"));
    EXPECT_TRUE(std::any_of(paths.begin(), paths.end(),
                            [](const auto& e) { return SameText(e.Text, vtest::HelperPath()); }));
    for (const auto& entry : paths) EXPECT_NE(entry.Value, 0u);

    TStringList handles = LoadedModulesOf(First->Id(), true);
    for (const auto& entry : handles) EXPECT_TRUE(entry.Text.empty());
    EXPECT_EQ(Values(handles), Values(paths));
    EXPECT_EQ(handles.Count(), paths.Count());
}

TEST_F(ProcessEnumeration, ModuleSnapshotOfTheWindows95FamilyListsTheSameModules) {
    TStringList byHandles = LoadedModulesOf(Second->Id());
    InjectedFacts win95(1, 4, 0);
    TStringList bySnapshot, handlesOnly;
    ASSERT_TRUE(ListLoadedModules(bySnapshot, Second->Id(), false));
    ASSERT_TRUE(ListLoadedModules(handlesOnly, Second->Id(), true));
    EXPECT_TRUE(HasModule(bySnapshot, L"\\version.dll"));
    EXPECT_EQ(Values(bySnapshot), Values(byHandles));
    EXPECT_EQ(Values(handlesOnly), Values(byHandles));
    for (const auto& entry : handlesOnly) EXPECT_TRUE(entry.Text.empty());
}

// Asking for every module view (32-bit modules of a WOW64 process) changes
// nothing for a 64-bit process, by either method; without the views each
// method falls back to the older call.
TEST_F(ProcessEnumeration, EveryModuleViewListsA64BitChildsModulesUnchanged) {
    TStringList allViews = LoadedModulesOf(First->Id());
    ASSERT_TRUE(HasModule(allViews, L"\\version.dll"));
    auto modulesWith = [&](std::uint32_t platform, bool separateViews) {
        InjectedFacts facts(platform, 10, 0, separateViews);
        TStringList list;
        EXPECT_TRUE(ListLoadedModules(list, First->Id(), false)) << platform << separateViews;
        return list;
    };
    auto entries = [](const TStringList& list) {
        std::vector<std::pair<std::wstring, std::uintptr_t>> out;
        for (const auto& e : list) out.emplace_back(e.Text, e.Value);
        return out;
    };
    EXPECT_EQ(entries(modulesWith(VER_PLATFORM_WIN32_NT, false)), entries(allViews));
    TStringList snapshotAll = modulesWith(VER_PLATFORM_WIN32_WINDOWS, true);
    EXPECT_EQ(entries(modulesWith(VER_PLATFORM_WIN32_WINDOWS, false)), entries(snapshotAll));
    EXPECT_EQ(Values(snapshotAll), Values(allViews));
}

// The one-request snapshot gives exactly what the process-status calls give
// (the only method of NT 4.0): same texts, bases and order.
TEST_F(ProcessEnumeration, ModuleSnapshotGivesTheProcessStatusListEntryForEntry) {
    TStringList bySnapshot = LoadedModulesOf(Copy->Id());
    TStringList byProcessStatus, handlesOnly;
    {
        InjectedFacts nt4(VER_PLATFORM_WIN32_NT, 4, 0);
        ASSERT_TRUE(ListLoadedModules(byProcessStatus, Copy->Id(), false));
        ASSERT_TRUE(ListLoadedModules(handlesOnly, Copy->Id(), true));
    }
    ASSERT_GT(bySnapshot.Count(), 3);
    ASSERT_EQ(bySnapshot.Count(), byProcessStatus.Count());
    for (int i = 0; i < bySnapshot.Count(); ++i) {
        EXPECT_EQ(bySnapshot.Strings(i), byProcessStatus.Strings(i)) << i;
        EXPECT_EQ(bySnapshot.Objects(i), byProcessStatus.Objects(i)) << i;
        EXPECT_EQ(handlesOnly.Objects(i), bySnapshot.Objects(i)) << i;
    }
}

// The loader list read from a 64-bit process's memory is the list the module
// snapshot copies: the same texts, bases and order, also with many modules.
TEST_F(ProcessEnumeration, LoaderListGivesTheModuleSnapshotEntryForEntry) {
    vtest::ChildProcess many(vtest::HelperPath(), L"modules 150", false);
    auto listed = [&](DWORD pid, bool handlesOnly, bool loaderLists) {
        TSystemFacts facts = SystemFacts();
        facts.LoaderLists = loaderLists;
        TScopedOverride<TSystemFacts> override(SystemFacts(), SetSystemFacts, facts);
        TStringList list;
        EXPECT_TRUE(ListLoadedModules(list, pid, handlesOnly));
        return Entries(list);
    };
    // The helper is done once its module count stops growing.
    size_t count = 0;
    for (int i = 0; i < 100; ++i) {
        size_t now = listed(many.Id(), true, true).size();
        if (now > 100 && now == count) break;
        count = now;
        ::Sleep(50);
    }
    for (DWORD pid : {First->Id(), many.Id()}) {
        for (bool handlesOnly : {false, true}) {
            auto direct = listed(pid, handlesOnly, true);
            auto snapshot = listed(pid, handlesOnly, false);
            EXPECT_GT(direct.size(), 3u);
            EXPECT_EQ(direct, snapshot) << pid << " handles only " << handlesOnly;
        }
    }
    EXPECT_GT(listed(many.Id(), false, true).size(), 100u);
    TStringList none;
    EXPECT_FALSE(ListLoadedModules(none, NoSuchProcessId, false));
}

TEST_F(ProcessEnumeration, AddressWalkListsEachImageOnceInAscendingOrder) {
    TStringList byHandles = LoadedModulesOf(Copy->Id());
    vtx::unique_handle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, Copy->Id()));
    ASSERT_TRUE(process);
    TStringList walked;
    walked.Add(L"kept", 1);
    ASSERT_TRUE(ListImageAllocations(walked, process.get(), false));
    ASSERT_GT(walked.Count(), 3);
    EXPECT_EQ(walked.Strings(0), L"kept");
    for (int i = 2; i < walked.Count(); ++i) EXPECT_LT(walked.Objects(i - 1), walked.Objects(i)) << i;
    walked.Delete(0);
    EXPECT_TRUE(HasModule(walked, L"\\version.dll"));
    std::set<std::uintptr_t> walkedBases = Values(walked);
    for (const auto& entry : byHandles) EXPECT_TRUE(walkedBases.count(entry.Value)) << entry.Text;
}

TEST_F(ProcessEnumeration, UnreadableModuleTablesAnswerFalse) {
    TStringList list;
    EXPECT_FALSE(ListImageAllocations(list, nullptr, false));
    EXPECT_FALSE(ListLoadedModules(list, NoSuchProcessId, false));
    // The idle process: the snapshot would take 0 for the calling process.
    for (std::uint32_t platform : {2u, 1u}) {
        InjectedFacts facts(platform, platform == 2 ? 10 : 4, 0);
        EXPECT_FALSE(ListLoadedModules(list, 0, false)) << platform;
    }
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.UpdateCount(), 0);
}

TEST(SystemBindings, ToolHelpAndProcessStatusAreBound) {
    EXPECT_TRUE(BindToolHelp());
    EXPECT_TRUE(BindToolHelp());  // answered again from the kept binding
    EXPECT_TRUE(BindProcessStatus());
}

TEST(SystemBindings, ResolveApiFunctionFillsOnceAndRaisesOnMissingNames) {
    DWORD(WINAPI * getTickCount)() = nullptr;
    ResolveApiFunction(getTickCount, L"kernel32.dll", "GetTickCount");
    ASSERT_NE(getTickCount, nullptr);
    auto* kept = getTickCount;
    ResolveApiFunction(getTickCount, L"kernel32.dll", "NoSuchFunction");  // a filled slot is left alone
    EXPECT_EQ(getTickCount, kept);

    void(WINAPI * missing)() = nullptr;
    try {
        ResolveApiFunction(missing, L"kernel32.dll", "NoSuchFunction");
        ADD_FAILURE() << "no error";
    } catch (const EVtxError& e) {
        EXPECT_EQ(e.Message(), L"Function not found: kernel32.dll.NoSuchFunction");
    }
    try {
        ResolveApiFunction(missing, L"no-such-library.dll", "Anything");
        ADD_FAILURE() << "no error";
    } catch (const EVtxError& e) {
        EXPECT_EQ(e.Message(), L"Library not found: no-such-library.dll");
    }
    EXPECT_EQ(missing, nullptr);
}

// Where an optional entry point is missing, its caller quietly takes another
// way (the version from GetVersionExW, modules and processes from a
// snapshot), so a table binding a wrong name or library shows only here.
TEST(SystemBindings, OptionalEntryPointsAnswerFromThePlatform) {
    EXPECT_TRUE(dyn::HasEnumProcessModulesEx());

    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    EXPECT_EQ(dyn::RtlGetVersion(&version), 0);
    EXPECT_GE(version.dwMajorVersion, 6u);

    PROCESS_BASIC_INFORMATION basic{};
    EXPECT_EQ(dyn::NtQueryInformationProcess(::GetCurrentProcess(), 0 /* ProcessBasicInformation */, &basic,
                                             sizeof basic, nullptr),
              0);
    EXPECT_EQ(static_cast<DWORD>(basic.UniqueProcessId), ::GetCurrentProcessId());

    // The process table asked into no room at all: the size it needs, not "missing" (-1).
    ULONG needed = 0;
    EXPECT_EQ(dyn::PlatformNtQuerySystemInformation(5 /* SystemProcessInformation */, nullptr, 0, &needed),
              static_cast<LONG>(0xC0000004) /* info length mismatch */);
    EXPECT_GT(needed, 0u);
}

// ---- Windows of processes ----

HWND WaitForTitledWindow(DWORD pid, const std::wstring& title, DWORD ms) {
    DWORD start = ::GetTickCount();
    do {
        for (HWND wnd : vtest::WindowsOfProcess(pid)) {
            wchar_t text[64] = {};
            ::GetWindowTextW(wnd, text, 64);
            if (title == text) return wnd;
        }
        ::Sleep(20);
    } while (::GetTickCount() - start < ms);
    return nullptr;
}

TEST(MainWindow, FindsTheMainWindowAndJudgesEachKind) {
    struct Case { const wchar_t* mode; bool isMain; };
    const Case cases[] = {{L"window", true},   {L"appwindow", true}, {L"toolwindow", false},
                          {L"owned", false},   {L"hidden", false}};
    // All children start together; Wine takes a while to bring up each one.
    std::vector<vtest::ChildProcess> children;
    for (const Case& c : cases)
        children.emplace_back(vtest::HelperPath(), std::wstring(c.mode) + L" vt-" + c.mode + L" 60000", false);
    for (size_t i = 0; i < children.size(); ++i) {
        const Case& c = cases[i];
        std::wstring title = std::wstring(L"vt-") + c.mode;
        HWND wnd = WaitForTitledWindow(children[i].Id(), title, 15000);
        ASSERT_NE(wnd, nullptr) << title;
        if (c.mode != std::wstring(L"hidden")) {
            DWORD start = ::GetTickCount();
            while (!::IsWindowVisible(wnd) && ::GetTickCount() - start < 5000) ::Sleep(20);
        }
        EXPECT_EQ(IsMainAppWindow(wnd), c.isMain) << title;
        EXPECT_EQ(MainWindowFromProcessId(children[i].Id()), c.isMain ? wnd : nullptr) << title;
    }
}

TEST(MainWindow, NoWindowForAWindowlessOrEndedProcess) {
    vtest::ChildProcess sleeper(vtest::HelperPath(), L"sleep 60000", false);
    EXPECT_EQ(MainWindowFromProcessId(sleeper.Id()), nullptr);
    DWORD id = sleeper.Id();
    sleeper.Terminate();
    EXPECT_EQ(MainWindowFromProcessId(id), nullptr);
    EXPECT_FALSE(IsMainAppWindow(nullptr));
}

} // namespace
} // namespace vtx
