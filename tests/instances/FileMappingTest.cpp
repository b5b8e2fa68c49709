#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "instances/VtxFileUtils.h"
#include "system/VtxSysInfo.h"

using namespace vtx;

namespace {

std::wstring Name(const wchar_t* tag) {
    static int counter = 0;
    return L"VtMapTest_" + std::wstring(tag) + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
           std::to_wstring(++counter);
}

} // namespace

TEST(SwapFileMapping, ReopenSeesExistingContentsAndSize) {
    std::wstring name = Name(L"Reopen");
    TVtxSwapFileMapping first(name, PAGE_READWRITE, 8192, nullptr);
    EXPECT_FALSE(first.Existed());
    EXPECT_EQ(first.Name(), name);
    auto& view = first.GetView(first.Add(FILE_MAP_ALL_ACCESS, 8192, 0));
    auto* bytes = static_cast<unsigned char*>(view.Memory());
    for (int i = 0; i < 8192; ++i) ASSERT_EQ(bytes[i], 0) << "a new mapping reads as zeros";
    std::memcpy(bytes + 8000, "shared", 6);

    TVtxSwapFileMapping second(name, PAGE_READWRITE, 16, nullptr);
    EXPECT_TRUE(second.Existed());
    // A view of the whole mapping shows the first size, not the one asked for.
    auto& whole = second.GetView(second.Add(FILE_MAP_READ, 0, 0));
    MEMORY_BASIC_INFORMATION mbi{};
    ASSERT_NE(VirtualQuery(whole.Memory(), &mbi, sizeof mbi), 0u);
    EXPECT_GE(mbi.RegionSize, 8192u);
    EXPECT_EQ(std::memcmp(static_cast<char*>(whole.Memory()) + 8000, "shared", 6), 0);
}

TEST(SwapFileMapping, ViewsAreIndexedAndReadLikeAStream) {
    TVtxSwapFileMapping mapping(Name(L"Stream"), PAGE_READWRITE, 4096, nullptr);
    EXPECT_EQ(mapping.Add(FILE_MAP_WRITE, 16, 0), 0);
    EXPECT_EQ(mapping.Add(FILE_MAP_WRITE, 4096, 0), 1);
    EXPECT_EQ(mapping.Count(), 2);
    auto& view = mapping.GetView(1);
    EXPECT_EQ(view.Index(), 1);
    EXPECT_EQ(&view.FileMapping(), &mapping);
    EXPECT_EQ(view.Size(), 4096u);
    std::memcpy(mapping.GetView(0).Memory(), "abcdef", 6);
    char buffer[8] = {};
    view.SetPosition(2);
    EXPECT_EQ(view.Read(buffer, 3), 3u);
    EXPECT_STREQ(buffer, "cde");
    view.SetPosition(4094);
    EXPECT_EQ(view.Read(buffer, 8), 2u) << "reads stop at the view's end";
    EXPECT_EQ(mapping.IndexOf(nullptr), -1);
    EXPECT_THROW(mapping.GetView(2), EVtxError);
}

TEST(SwapFileMapping, ViewsAreFreedLastToFirst) {
    std::vector<void*> order;
    std::vector<void*> made;
    {
        TVtxSwapFileMapping mapping(Name(L"Order2"), PAGE_READWRITE, 4096, nullptr);
        for (int i = 0; i < 3; ++i) made.push_back(&mapping.GetView(mapping.Add(FILE_MAP_WRITE, 4096, 0)));
        mapping.OnFreeView = [&](const TVtxFileMappingView& v) {
            order.push_back(const_cast<TVtxFileMappingView*>(&v));
            EXPECT_EQ(v.Index(), -1) << "a view leaves the list before it is freed";
            EXPECT_NE(v.Memory(), nullptr);
        };
    }
    EXPECT_EQ(order, (std::vector<void*>{made[2], made[1], made[0]}));
}

TEST(SwapFileMapping, FailuresRaiseTheirErrors) {
    try {
        TVtxSwapFileMapping empty(Name(L"Zero"), PAGE_READWRITE, 0, nullptr);
        FAIL() << "a paging-file mapping needs a size";
    } catch (const EVtxFileMappingError& e) {
        EXPECT_NE(e.LastError(), 0u);
        std::wstring tail = L")\r\nFailed to create FileMapping";
        ASSERT_GE(e.Message().size(), tail.size());
        EXPECT_EQ(e.Message().substr(0, 13), L"Win32 error: ");
        EXPECT_EQ(e.Message().substr(e.Message().size() - tail.size()), tail);
    }
    TVtxSwapFileMapping mapping(Name(L"Small"), PAGE_READWRITE, 4096, nullptr);
    EXPECT_THROW(mapping.Add(FILE_MAP_WRITE, 1 << 20, 0), EVtxFileMappingViewError);
    EXPECT_EQ(mapping.Count(), 0) << "a failed view is not listed";
    try {
        TVtxFileMappingView::Create(nullptr, FILE_MAP_READ, 16, 0);
        FAIL() << "no error";
    } catch (const EVtxFileMappingViewError& e) {
        std::wstring tail = L"FileMap argument of TVtxFileMappingView constructor cannot be nil";
        EXPECT_EQ(e.Message().substr(e.Message().size() - tail.size()), tail);
    }
}

TEST(ViewOffset, RoundsToTheAllocationGranularity) {
    const std::uint64_t g = 65536;
    struct Case { std::uint64_t in; TVtxFileMappingRoundOffset dir; std::uint64_t out; };
    const Case cases[] = {
        {0, TVtxFileMappingRoundOffset::rvDown, 0},          {0, TVtxFileMappingRoundOffset::rvUp, 0},
        {g, TVtxFileMappingRoundOffset::rvUp, g},            {g + 1, TVtxFileMappingRoundOffset::rvDown, g},
        {g + 1, TVtxFileMappingRoundOffset::rvUp, 2 * g},    {2 * g - 1, TVtxFileMappingRoundOffset::rvDown, g},
        {(5ull << 32) + 1, TVtxFileMappingRoundOffset::rvUp, (5ull << 32) + g},
    };
    for (const auto& c : cases) EXPECT_EQ(RoundToGranularity(c.in, 65536, c.dir), c.out) << c.in;
}

TEST(ViewOffset, AViewMapsAtTheRoundedOffset) {
    const std::uint64_t g = SystemFacts().AllocationGranularity;
    TVtxSwapFileMapping mapping(Name(L"Offset"), PAGE_READWRITE, 3 * g, nullptr);
    EXPECT_EQ(mapping.RoundViewOffset(), TVtxFileMappingRoundOffset::rvDown);
    auto& base = mapping.GetView(mapping.Add(FILE_MAP_WRITE, static_cast<DWORD>(3 * g), 0));
    static_cast<char*>(base.Memory())[g] = 'D';
    static_cast<char*>(base.Memory())[2 * g] = 'U';
    auto& down = mapping.GetView(mapping.Add(FILE_MAP_WRITE, 16, g + 1));
    EXPECT_EQ(down.Offset(), g);
    EXPECT_EQ(*static_cast<char*>(down.Memory()), 'D');
    mapping.SetRoundViewOffset(TVtxFileMappingRoundOffset::rvUp);
    auto& up = mapping.GetView(mapping.Add(FILE_MAP_WRITE, 16, g + 1));
    EXPECT_EQ(up.Offset(), 2 * g);
    EXPECT_EQ(*static_cast<char*>(up.Memory()), 'U');
}
