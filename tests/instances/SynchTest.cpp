#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include <vector>
#include "InstTestSupport.h"
#include "instances/VtxFileUtils.h"
#include "instances/VtxSynch.h"
#include "system/VtxSysInfo.h"
#include "base/ScopedOverride.h"

using namespace vtx;
using itest::UniqueName;

namespace {

// Runs a test body with other system facts and puts the real ones back.
class FactsOverride {
public:
    explicit FactsOverride(std::uint32_t processors) : FFacts(SystemFacts(), SetSystemFacts, WithProcessors(processors)) {}

private:
    static TSystemFacts WithProcessors(std::uint32_t processors) {
        TSystemFacts facts = SystemFacts();
        facts.ProcessorCount = processors;
        return facts;
    }
    TScopedOverride<TSystemFacts> FFacts;
};

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

} // namespace

TEST(WaitResult, MapsEveryPlatformResult) {
    EXPECT_EQ(MapWaitResult(WAIT_OBJECT_0), TVtxWaitResult::wrSignaled);
    EXPECT_EQ(MapWaitResult(WAIT_ABANDONED), TVtxWaitResult::wrAbandoned);
    EXPECT_EQ(MapWaitResult(WAIT_IO_COMPLETION), TVtxWaitResult::wrIoCompletion);
    EXPECT_EQ(MapWaitResult(WAIT_TIMEOUT), TVtxWaitResult::wrTimeout);
    EXPECT_EQ(MapWaitResult(WAIT_FAILED), TVtxWaitResult::wrError);
    EXPECT_EQ(MapWaitResult(1), TVtxWaitResult::wrError);
}

TEST(Event, AutoResetReleasesOneWaitAndReportsExisting) {
    std::wstring name = UniqueName(L"Event");
    TVtxEvent first(nullptr, false, false, name);
    EXPECT_FALSE(first.Existed());
    EXPECT_EQ(first.Name(), name);
    TVtxEvent second(nullptr, false, false, name);
    EXPECT_TRUE(second.Existed());
    EXPECT_EQ(first.WaitFor(0), TVtxWaitResult::wrTimeout);
    EXPECT_TRUE(second.SetEvent());
    EXPECT_EQ(first.WaitFor(0), TVtxWaitResult::wrSignaled);
    EXPECT_EQ(first.WaitFor(0), TVtxWaitResult::wrTimeout) << "auto-reset";
}

TEST(Event, CreationFailureCarriesTheWin32Text) {
    // A mapping holds the name, so an event of that name cannot be made.
    std::wstring name = UniqueName(L"Clash");
    TVtxSwapFileMapping mapping(name, PAGE_READWRITE, 4096, nullptr);
    try {
        TVtxEvent event(nullptr, false, false, name);
        FAIL() << "no error";
    } catch (const EVtxEventError& e) {
        EXPECT_EQ(e.LastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        std::wstring expected = L"Win32 error: " + e.LastErrorMsg() + L" (6)\r\nFailed to create event";
        EXPECT_EQ(e.Message(), expected);
    }
}

TEST(Optex, RecursionLeavesABlockThatIsFreeAndUnsignalled) {
    std::wstring name = UniqueName(L"Recursion");
    TVtxOptex optex(name);
    EXPECT_FALSE(optex.UniProcess());
    EXPECT_FALSE(optex.Existed());
    const TOptexSharedInfo& info = optex.SharedInfo();
    optex.Enter();
    optex.Enter();
    EXPECT_EQ(info.LockCount, 2);
    EXPECT_EQ(info.RecursionCount, 2);
    EXPECT_EQ(info.ThreadId, GetCurrentThreadId());
    EXPECT_TRUE(optex.TryEnter()) << "the owner always gets in";
    EXPECT_EQ(info.LockCount, 3);
    EXPECT_EQ(info.RecursionCount, 3);
    optex.Leave();
    optex.Leave();
    optex.Leave();
    EXPECT_EQ(info.LockCount, 0);
    EXPECT_EQ(info.ThreadId, 0u);
    TVtxEvent event(nullptr, false, false, L"Optex_Event_" + name);
    EXPECT_TRUE(event.Existed());
    EXPECT_EQ(event.WaitFor(0), TVtxWaitResult::wrTimeout) << "no Leave may set the event without waiters";
}

TEST(Optex, ProcessLocalLockWorksAcrossThreads) {
    TVtxOptex optex(L"");
    EXPECT_TRUE(optex.UniProcess());
    int counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                optex.Enter();
                int v = counter;
                counter = v + 1;
                optex.Leave();
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(counter, 15000);
    EXPECT_EQ(optex.SharedInfo().LockCount, 0);
}

TEST(Optex, SpinCountFollowsTheProcessorCount) {
    {
        FactsOverride one(1);
        TVtxOptex optex(UniqueName(L"Spin1"), 4000);
        EXPECT_EQ(optex.SpinCount(), 0) << "one processor: a new block keeps 0";
    }
    FactsOverride two(2);
    TVtxOptex negative(UniqueName(L"SpinNeg"), -5);
    EXPECT_EQ(negative.SpinCount(), 4000);
    TVtxOptex zero(UniqueName(L"Spin0"), 0);
    EXPECT_EQ(zero.SpinCount(), 0);
    EXPECT_TRUE(zero.TryEnter()) << "one attempt is made even with no spin budget";
    zero.Leave();
}

TEST(Optex, TwoOpenersShareOneBlockAndTheLastSpinCountWins) {
    FactsOverride two(2);
    std::wstring name = UniqueName(L"Shared");
    TVtxOptex first(name, 10);
    TVtxOptex second(name, 20);
    EXPECT_FALSE(first.Existed());
    EXPECT_TRUE(second.Existed());
    EXPECT_EQ(first.SpinCount(), 20);
    first.Enter();
    EXPECT_EQ(second.SharedInfo().ThreadId, GetCurrentThreadId());
    first.Leave();
}

TEST(Optex, OtherProcessHoldsTheLockAndHandsItToAWaiter) {
    std::wstring name = UniqueName(L"Handover");
    itest::NamedEvent ready(UniqueName(L"Ready")), release(UniqueName(L"Release"));
    TVtxOptex optex(name, 50);
    vtest::ChildProcess holder(itest::InstHelperPath(),
                               L"hold " + Quoted(name) + L" " + Quoted(ready.Name) + L" " + Quoted(release.Name), false);
    ASSERT_EQ(WaitForSingleObject(ready.Handle.get(), 20000), WAIT_OBJECT_0);
    const TOptexSharedInfo& info = optex.SharedInfo();
    EXPECT_EQ(info.LockCount, 2);
    EXPECT_NE(info.ThreadId, GetCurrentThreadId());
    EXPECT_FALSE(optex.TryEnter());
    EXPECT_EQ(info.LockCount, 2) << "a failed TryEnter leaves no trace";

    std::atomic<bool> owned{false};
    std::atomic<std::int32_t> depth{0};
    std::thread waiter([&] {
        optex.Enter();
        depth = optex.SharedInfo().RecursionCount;
        owned = true;
        optex.Leave();
    });
    ASSERT_TRUE(itest::WaitUntil([&] { return info.LockCount == 3; }, 10000)) << "waiter announced itself";
    EXPECT_FALSE(owned);
    SetEvent(release.Handle.get());
    waiter.join();
    EXPECT_TRUE(owned);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(holder.Wait(20000), 0u);
    EXPECT_EQ(info.LockCount, 0);
    EXPECT_EQ(info.ThreadId, 0u);
}

TEST(Optex, FourProcessesCountExactly) {
    std::wstring name = UniqueName(L"Stress");
    std::wstring counterName = UniqueName(L"Counter");
    itest::NamedEvent go(UniqueName(L"Go"));
    TVtxSwapFileMapping mapping(counterName, PAGE_READWRITE, 4096, nullptr);
    auto* counter = static_cast<volatile std::uint32_t*>(mapping.GetView(mapping.Add(FILE_MAP_WRITE, 4096, 0)).Memory());
    TVtxOptex optex(name);  // keeps the block alive between the children
    const int processes = 4, pairs = 10000;
    std::vector<vtest::ChildProcess> children;
    for (int i = 0; i < processes; ++i)
        children.emplace_back(itest::InstHelperPath(),
                              L"lock " + Quoted(name) + L" " + std::to_wstring(pairs) + L" " + Quoted(counterName) +
                                  L" " + Quoted(go.Name),
                              false);
    SetEvent(go.Handle.get());
    for (auto& child : children) EXPECT_EQ(child.Wait(120000), 0u);
    EXPECT_EQ(*counter, static_cast<std::uint32_t>(processes * pairs));
    EXPECT_EQ(optex.SharedInfo().LockCount, 0);
    EXPECT_EQ(optex.SharedInfo().ThreadId, 0u);
}

TEST(Optex, HolderKilledInsideTheLockDoesNotHangTheNext) {
    std::wstring name = UniqueName(L"Dead");
    itest::NamedEvent ready(UniqueName(L"Ready"));
    TVtxOptex optex(name);
    vtest::ChildProcess holder(itest::InstHelperPath(), L"hold " + Quoted(name) + L" " + Quoted(ready.Name), false);
    ASSERT_EQ(WaitForSingleObject(ready.Handle.get(), 20000), WAIT_OBJECT_0);
    ASSERT_EQ(optex.SharedInfo().LockCount, 2);
    ASSERT_NE(optex.SharedInfo().ThreadId, 0u);
    holder.Terminate();
    ASSERT_EQ(optex.SharedInfo().LockCount, 2) << "the dead owner's levels stay in the block";

    // In a thread, so a hang fails the test instead of stalling it.
    std::atomic<bool> entered{false};
    std::thread next([&] {
        optex.Enter();
        entered = true;
        optex.Enter();  // and it is a proper recursive owner afterwards
        optex.Leave();
        optex.Leave();
    });
    bool done = itest::WaitUntil([&] { return entered.load(); }, 20000);
    if (!done) {
        next.detach();
        FAIL() << "Enter hung behind a dead owner";
    }
    next.join();
    const TOptexSharedInfo& info = optex.SharedInfo();
    EXPECT_EQ(info.LockCount, 0);
    EXPECT_EQ(info.ThreadId, 0u);
    EXPECT_TRUE(optex.TryEnter());
    optex.Leave();
}
