// Leak soak: 1,000 process-list refreshes and 1,000 module-list fills in one
// controller, with the handle count and the GDI and USER object counts before
// and after. Counts may grow only by the icons of files seen for the first time.
#include <windows.h>
#include <psapi.h>
#include <cstdio>
#include "app/ControllerMain.h"
#include "app/ListLogic.h"
#include "fileinfo/KbxFileInfoClasses.h"
#include "base/ScopedOverride.h"
#include "helpers/TestSupport.h"
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"
#include "views/ViewMain.h"

namespace {

constexpr int kRounds = 1000;

struct Counts {
    DWORD Handles = 0, Gdi = 0, User = 0;
    int CachedFiles = 0;
    double PrivateKiB = 0;  // what Wine, which counts no handles or GUI objects, still shows
};

// Counts open kernel handles by asking about every handle value, for platforms
// whose handle count is always 0 (Wine).
DWORD ProbeHandleCount() {
    DWORD count = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

Counts Take() {
    Counts c;
    ::GetProcessHandleCount(::GetCurrentProcess(), &c.Handles);
    if (c.Handles == 0) c.Handles = ProbeHandleCount();
    c.Gdi = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    c.User = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    c.CachedFiles = vtx::FileInfoCacheCreated() ? vtx::FileInfoCache().Count() : 0;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        c.PrivateKiB = static_cast<double>(memory.PrivateUsage) / 1024.0;
    return c;
}

void Print(const char* label, const Counts& c) {
    std::printf("%-8s handles %5lu  GDI objects %5lu  USER objects %5lu  cached files %4d  private %.0f KiB\n", label,
                static_cast<unsigned long>(c.Handles), static_cast<unsigned long>(c.Gdi),
                static_cast<unsigned long>(c.User), c.CachedFiles, c.PrivateKiB);
}

} // namespace

int wmain() {
    using namespace vtx;
    const std::wstring title = L"VantrelSoak" + std::to_wstring(::GetCurrentProcessId());
    Application().Initialize();
    Application().SetTitle(title);
    const TScopedOverride boxes(MessageBoxSeam(), [](const TMessageBoxRequest&) { return static_cast<int>(mrOk); });
    vtest::ChildProcess helper(vtest::HelperPath(), L"sleep 600000", true);
    int result = 0;
    {
        TCMain main;
        main.frmMain->Show();
        auto& list = *main.frmMain->lsvProcesses;
        auto helperRow = [&] {
            for (int i = 0; i < main.Processes.Count(); ++i)
                if (main.Processes.Row(i).ProcessId == helper.Id()) return i;
            return -1;
        };
        auto fillModules = [&] {
            list.SelectItem(helperRow());
            main.ShowProcessModules(nullptr);
        };
        // One round first, so every file now running is in the cache.
        main.RefreshProcessList(nullptr);
        fillModules();
        vtest::PumpMessages();
        Counts before = Take();
        DWORD start = ::GetTickCount();
        for (int i = 0; i < kRounds; ++i) {
            main.RefreshProcessList(nullptr);
            if (i % 50 == 0) vtest::PumpMessages();
        }
        DWORD refreshMs = ::GetTickCount() - start;
        start = ::GetTickCount();
        for (int i = 0; i < kRounds; ++i) {
            fillModules();
            if (i % 50 == 0) vtest::PumpMessages();
        }
        DWORD modulesMs = ::GetTickCount() - start;
        vtest::PumpMessages();
        Counts after = Take();
        std::printf("leak soak: %d refreshes (%lu ms) and %d module-list fills (%lu ms), %d process rows, %d module rows\n",
                    kRounds, static_cast<unsigned long>(refreshMs), kRounds, static_cast<unsigned long>(modulesMs),
                    list.ItemCount(), main.frmMain->lsvModules->ItemCount());
        Print("before", before);
        Print("after", after);
        // Each newly seen file may bring one icon (a USER object and its bitmaps).
        int newFiles = after.CachedFiles - before.CachedFiles;
        long handleGrowth = static_cast<long>(after.Handles) - static_cast<long>(before.Handles);
        long gdiGrowth = static_cast<long>(after.Gdi) - static_cast<long>(before.Gdi);
        long userGrowth = static_cast<long>(after.User) - static_cast<long>(before.User);
        bool ok = handleGrowth <= newFiles && gdiGrowth <= 3L * newFiles && userGrowth <= newFiles;
        std::printf("growth   handles %+ld  GDI %+ld  USER %+ld  for %d newly seen files: %s\n", handleGrowth, gdiGrowth,
                    userGrowth, newFiles, ok ? "no leak" : "LEAK");
        if (after.Handles == 0 && after.Gdi == 0 && after.User == 0)
            std::printf("note     this platform reports no handle or GUI object counts; private memory %+.0f KiB\n",
                        after.PrivateKiB - before.PrivateKiB);
        result = ok ? 0 : 1;
    }
    Application().DestroyForms();
    return result;
}
