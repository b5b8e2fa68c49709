#include <gtest/gtest.h>
#include <map>
#include <vector>
#include "system/DevicePath.h"
#include "system/ImagePathCache.h"
#include "system/SystemLogic.h"

namespace vtx {
namespace {

TEST(SystemLogic, UptimeFoldsDaysIntoHoursAndDropsMilliseconds) {
    struct Case { std::uint32_t ms; const wchar_t* text; };
    const Case cases[] = {
        {0, L"00:00:00"},           {999, L"00:00:00"},          {1000, L"00:00:01"},
        {59999, L"00:00:59"},       {60000, L"00:01:00"},        {3599999, L"00:59:59"},
        {86399999, L"23:59:59"},    {86400000, L"24:00:00"},     {90061000, L"25:01:01"},
        {360000000, L"100:00:00"},  {4294967295u, L"1193:02:47"},
        {static_cast<std::uint32_t>(4294967295u + 1u), L"00:00:00"},  // the first tick after the wrap
    };
    for (const Case& c : cases) EXPECT_EQ(UptimeTextFromTicks(c.ms), c.text) << c.ms;
}

TEST(SystemLogic, ExitFlagsFollowTheTableForAllSixteenCombinations) {
    // Logoff wins over reboot and power-off, reboot over power-off.
    for (int bits = 0; bits < 16; ++bits) {
        bool logoff = bits & 1, reboot = bits & 2, powerOff = bits & 4, force = bits & 8;
        std::uint32_t expected;
        if (logoff) expected = 0x0;
        else if (reboot) expected = 0x2;
        else if (powerOff) expected = 0x9;
        else expected = 0x1;
        if (force) expected |= 0x4;
        EXPECT_EQ(ExitWindowsFlags(logoff, reboot, powerOff, force), expected)
            << logoff << reboot << powerOff << force;
    }
    // The menu commands.
    EXPECT_EQ(ExitWindowsFlags(true, false, false, false), 0x0u);
    EXPECT_EQ(ExitWindowsFlags(false, true, false, false), 0x2u);
    EXPECT_EQ(ExitWindowsFlags(false, false, true, false), 0x9u);
    EXPECT_EQ(ExitWindowsFlags(false, false, true, true), 0xDu);
}

TEST(SystemLogic, NameCuttingStopsAtTheFirstZeroOnly) {
    std::wstring full(257, L'u');
    EXPECT_EQ(CutAtFirstZero(full), full);  // no zero: all 257 characters stay
    std::wstring padded = L"alice" + std::wstring(252, L'\0');
    EXPECT_EQ(CutAtFirstZero(padded), L"alice");
    EXPECT_EQ(CutAtFirstZero(std::wstring(L"a\0b", 3)), L"a");
    EXPECT_EQ(CutAtFirstZero(std::wstring(257, L'\0')), L"");
}

TEST(SystemLogic, FileNamePartAndDirectoryPart) {
    EXPECT_EQ(FileNamePart(L"C:\\windows\\system32\\services.exe"), L"services.exe");
    EXPECT_EQ(FileNamePart(L"C:notepad.exe"), L"notepad.exe");
    EXPECT_EQ(FileNamePart(L"plain.exe"), L"plain.exe");
    EXPECT_EQ(FileNamePart(L"C:\\dir\\"), L"");
    EXPECT_TRUE(HasDirectoryPart(L"C:x.exe"));
    EXPECT_TRUE(HasDirectoryPart(L"\\x.exe"));
    EXPECT_FALSE(HasDirectoryPart(L"x.exe"));
    EXPECT_FALSE(HasDirectoryPart(L"dir/x.exe"));  // only the system's separators count
}

TEST(SystemLogic, OnlyNtThreeAndFourUseTheProcessIdMethod) {
    struct Case { std::uint32_t platform, major, minor; TVersionClass cls; };
    const Case cases[] = {
        {2, 3, 1, TVersionClass::NT31},  {2, 3, 5, TVersionClass::NT35},   {2, 3, 51, TVersionClass::NT351},
        {2, 3, 50, TVersionClass::Other}, {2, 4, 0, TVersionClass::NT40},  {2, 4, 90, TVersionClass::NT40},
        {1, 4, 0, TVersionClass::Other}, {1, 4, 10, TVersionClass::Other}, {2, 5, 0, TVersionClass::Other},
        {2, 6, 1, TVersionClass::Other}, {2, 10, 0, TVersionClass::Other},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VersionClassOf(c.platform, c.major, c.minor), c.cls) << c.platform << ' ' << c.major << '.' << c.minor;
        EXPECT_EQ(UsesProcessIdMethod(c.platform, c.major, c.minor), c.cls != TVersionClass::Other);
    }
}

} // namespace
} // namespace vtx

namespace {

// Answers each ID's path from a table and counts the questions.
struct PathSource {
    std::map<std::uint32_t, std::wstring> Paths;
    int Questions = 0;
    vtx::TImagePathCache::TQuery Query() {
        return [this](std::uint32_t id) {
            ++Questions;
            auto found = Paths.find(id);
            return found == Paths.end() ? std::wstring() : found->second;
        };
    }
};

} // namespace

TEST(ImagePathCache, AsksOnlyAboutProcessesItHasNotSeenUnderTheirStartTime) {
    vtx::TImagePathCache cache;
    PathSource source;
    source.Paths = {{8, L"C:\\a.exe"}, {12, L"C:\\b.exe"}};
    cache.BeginListing({{8, 100}, {12, 200}});
    EXPECT_EQ(cache.FullPath(8, source.Query()), L"C:\\a.exe");
    EXPECT_EQ(cache.FullPath(12, source.Query()), L"C:\\b.exe");
    cache.EndListing();
    EXPECT_EQ(source.Questions, 2);

    // The same processes again: nothing is asked.
    cache.BeginListing({{8, 100}, {12, 200}});
    EXPECT_EQ(cache.FullPath(8, source.Query()), L"C:\\a.exe");
    EXPECT_EQ(cache.FullPath(12, source.Query()), L"C:\\b.exe");
    cache.EndListing();
    EXPECT_EQ(source.Questions, 2);

    // ID 8 came back for another file: another start time, asked anew.
    source.Paths[8] = L"C:\\c.exe";
    cache.BeginListing({{8, 300}, {12, 200}});
    EXPECT_EQ(cache.FullPath(8, source.Query()), L"C:\\c.exe");
    cache.EndListing();
    EXPECT_EQ(source.Questions, 3);
    EXPECT_EQ(cache.Count(), 1u) << "12 was not listed this time";

    cache.BeginListing({{8, 300}, {12, 200}});
    EXPECT_EQ(cache.FullPath(12, source.Query()), L"C:\\b.exe");
    EXPECT_EQ(source.Questions, 4) << "a process not listed last time is asked again";
}

TEST(ImagePathCache, KeepsNothingWithoutAStartTimeOrAPath) {
    vtx::TImagePathCache cache;
    PathSource source;
    source.Paths = {{8, L"C:\\a.exe"}};
    for (int round = 0; round < 2; ++round) {
        cache.BeginListing({{8, 0}, {16, 500}});
        EXPECT_EQ(cache.FullPath(8, source.Query()), L"C:\\a.exe");   // start time unknown
        EXPECT_EQ(cache.FullPath(16, source.Query()), L"");           // no path read
        EXPECT_EQ(cache.FullPath(20, source.Query()), L"");           // not in the records
        cache.EndListing();
    }
    EXPECT_EQ(source.Questions, 6);
    EXPECT_EQ(cache.Count(), 0u);
}

TEST(DevicePath, NtPathsBecomeDriveLetterAndUncPaths) {
    const std::vector<vtx::TDosDevice> devices{{L"C:", L"\\Device\\HarddiskVolume1"},
                                               {L"D:", L"\\Device\\HarddiskVolume10"},
                                               {L"E:", L"\\Device\\CdRom0"}};
    struct Case { const wchar_t* nt; const wchar_t* dos; };
    const Case cases[] = {
        {L"\\Device\\HarddiskVolume1\\Windows\\System32\\svchost.exe", L"C:\\Windows\\System32\\svchost.exe"},
        // A device name is a whole component: volume 10 is not volume 1.
        {L"\\Device\\HarddiskVolume10\\Tools\\a.exe", L"D:\\Tools\\a.exe"},
        {L"\\device\\harddiskvolume1\\x.exe", L"C:\\x.exe"},
        // Exactly the device: the drive's root.
        {L"\\Device\\HarddiskVolume1", L"C:\\"},
        {L"\\Device\\CdRom0\\setup.exe", L"E:\\setup.exe"},
        // No drive letter stands for the device: no path.
        {L"\\Device\\HarddiskVolume7\\Windows\\a.exe", L""},
        {L"\\Device\\HarddiskVolume", L""},
        {L"\\Device\\Mup\\server\\share\\dir\\file.exe", L"\\\\server\\share\\dir\\file.exe"},
        {L"\\Device\\Mup", L""},
        {L"\\Device\\Mupx\\a.exe", L""},
        {L"\\??\\C:\\Windows\\notepad.exe", L"C:\\Windows\\notepad.exe"},
        {L"\\\\?\\C:\\Program Files\\App\\app.exe", L"C:\\Program Files\\App\\app.exe"},
        {L"\\\\?\\UNC\\server\\share\\a.exe", L"\\\\server\\share\\a.exe"},
        {L"\\??\\UNC\\server\\share\\a.exe", L"\\\\server\\share\\a.exe"},
        // What the kernel names its own pseudo-processes by.
        {L"Registry", L""},
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(vtx::DosPathFromNtPath(c.nt, devices), c.dos);
    EXPECT_EQ(vtx::DosPathFromNtPath(L"\\Device\\HarddiskVolume1\\a.exe", {}), L"");
}

TEST(ImagePathCache, ALaterAskKeepsThePathForTheNextListing) {
    std::map<std::uint32_t, std::wstring> paths{{8, L"C:\\a.exe"}, {12, L"C:\\b.exe"}};
    int questions = 0;
    auto query = [&](std::uint32_t id) {
        ++questions;
        return paths.count(id) ? paths[id] : std::wstring();
    };
    vtx::TImagePathCache cache;
    cache.BeginListing({{8, 100}, {12, 200}});
    EXPECT_EQ(cache.Known(8), L"") << "nothing kept yet, and nothing asked";
    cache.EndListing();
    EXPECT_EQ(questions, 0);
    // Drawn later: asked once, then kept.
    EXPECT_EQ(cache.FullPathLater(8, 100, query), L"C:\\a.exe");
    EXPECT_EQ(cache.FullPathLater(8, 100, query), L"C:\\a.exe");
    EXPECT_EQ(questions, 1);
    // The next listing knows it without asking; a reused ID is not taken for it.
    cache.BeginListing({{8, 100}, {12, 200}});
    EXPECT_EQ(cache.Known(8), L"C:\\a.exe");
    cache.EndListing();
    EXPECT_EQ(cache.Count(), 1u);
    cache.BeginListing({{8, 300}});
    EXPECT_EQ(cache.Known(8), L"");
    cache.EndListing();
    EXPECT_EQ(cache.Count(), 0u);
    EXPECT_EQ(cache.FullPathLater(8, 300, query), L"C:\\a.exe");
    EXPECT_EQ(questions, 2);
    // No start time: asked every time, never kept.
    cache.FullPathLater(12, 0, query);
    cache.FullPathLater(12, 0, query);
    EXPECT_EQ(questions, 4);
}
