#include <gtest/gtest.h>
#include <windows.h>
#include "system/SessionInfo.h"
#include "base/OSError.h"
#include <optional>
#include "base/ScopedOverride.h"

namespace vtx {
namespace {

// Puts the platform calls back after each test.
class SessionInfo : public ::testing::Test {
protected:
    // Each test may set the seams freely: these put them back.
    void SetUp() override {
        FMemory.emplace(MemoryStatusSeam(), MemoryStatusSeam());
        FTicks.emplace(TickCountSeam(), TickCountSeam());
    }
    void TearDown() override {
        FMemory.reset();
        FTicks.reset();
    }

private:
    std::optional<TScopedOverride<std::function<BOOL(MEMORYSTATUSEX*)>>> FMemory;
    std::optional<TScopedOverride<std::function<std::uint32_t()>>> FTicks;
};

TEST_F(SessionInfo, NamesOfUserAndComputerAreCutAtTheirZero) {
    std::wstring user = LocalUserName();
    EXPECT_FALSE(user.empty());
    EXPECT_LE(user.size(), 256u);
    EXPECT_EQ(user.find(L'\0'), std::wstring::npos);
    std::wstring computer = LocalComputerName();
    EXPECT_FALSE(computer.empty());
    EXPECT_LE(computer.size(), 15u);
    EXPECT_EQ(computer.find(L'\0'), std::wstring::npos);
}

TEST_F(SessionInfo, MemoryLoadComesFromTheExtendedRecord) {
    EXPECT_LE(MemoryLoadPercent(), 100);  // the real query
    DWORD length = 0;
    MemoryStatusSeam() = [&](MEMORYSTATUSEX* status) {
        length = status->dwLength;
        status->dwMemoryLoad = 42;
        return TRUE;
    };
    EXPECT_EQ(MemoryLoadPercent(), 42);
    EXPECT_EQ(length, sizeof(MEMORYSTATUSEX));
}

TEST_F(SessionInfo, FailingMemoryQueryRaisesTheOSError) {
    struct Case { DWORD code; std::wstring message; };
    const Case cases[] = {
        {ERROR_ACCESS_DENIED, L"System Error.  Code: 5.\r\n" + SystemErrorText(ERROR_ACCESS_DENIED)},
        {0, L"A call to an OS function failed"},
    };
    for (const Case& c : cases) {
        MemoryStatusSeam() = [&](MEMORYSTATUSEX* status) {
            status->dwMemoryLoad = 77;  // must not be returned
            ::SetLastError(c.code);
            return FALSE;
        };
        try {
            MemoryLoadPercent();
            ADD_FAILURE() << "no error for " << c.code;
        } catch (const EOSError& e) {
            EXPECT_EQ(e.ErrorCode(), c.code);
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

TEST_F(SessionInfo, UptimeTextReadsTheTickCount) {
    TickCountSeam() = [] { return 90061000u; };
    EXPECT_EQ(UptimeText(), L"25:01:01");
    TickCountSeam() = [] { return 4294967295u; };
    EXPECT_EQ(UptimeText(), L"1193:02:47");
}

} // namespace
} // namespace vtx
