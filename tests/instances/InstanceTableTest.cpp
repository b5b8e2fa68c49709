#include <gtest/gtest.h>
#include <cstring>
#include "instances/InstanceTable.h"

using namespace vtx;

namespace {

TInstanceTable EmptyTable() {
    TInstanceTable t;
    std::memset(&t, 0, sizeof t);
    return t;
}

} // namespace

TEST(InstanceTable, LayoutIsTheSharedOne) {
    EXPECT_EQ(sizeof(TInstanceTable), 1032u);
    EXPECT_EQ(offsetof(TInstanceTable, Count), 2u);
    EXPECT_EQ(offsetof(TInstanceTable, ProcessIDs), 4u);
}

TEST(InstanceTable, FirstCallerFixesTheLimitAndRefusedOnesAreEnteredToo) {
    TInstanceTable t = EmptyTable();
    EXPECT_TRUE(RegisterInTable(t, 1, 100));
    EXPECT_EQ(t.Limit, 1);
    EXPECT_FALSE(RegisterInTable(t, 5, 200));  // a later maximum cannot widen it
    EXPECT_EQ(t.Limit, 1);
    ASSERT_EQ(t.Count, 2);
    EXPECT_EQ(t.ProcessIDs[0], 100u);
    EXPECT_EQ(t.ProcessIDs[1], 200u);
    EXPECT_TRUE(RemoveFromTable(t, 200));
    EXPECT_FALSE(RegisterInTable(t, 0, 300)) << "100 still fills the one place";
    EXPECT_TRUE(RemoveFromTable(t, 300));
    EXPECT_TRUE(RemoveFromTable(t, 100));
    EXPECT_TRUE(RegisterInTable(t, 0, 400)) << "a free place admits again";
}

TEST(InstanceTable, NoLimitAdmitsEveryone) {
    TInstanceTable t = EmptyTable();
    for (std::uint32_t pid = 1; pid <= 10; ++pid) EXPECT_TRUE(RegisterInTable(t, 0, pid));
    EXPECT_EQ(t.Limit, 0);
    EXPECT_EQ(t.Count, 10);
}

TEST(InstanceTable, FullTableRefusesAndStaysIntact) {
    TInstanceTable t = EmptyTable();
    for (std::uint32_t pid = 1; pid <= InstanceTableSlots; ++pid) ASSERT_TRUE(RegisterInTable(t, 0, pid));
    ASSERT_EQ(t.Count, 257);
    TInstanceTable before = t;
    EXPECT_FALSE(RegisterInTable(t, 0, 9999));
    EXPECT_EQ(std::memcmp(&before, &t, sizeof t), 0);
    EXPECT_FALSE(RemoveFromTable(t, 9999)) << "the refused process was never entered";
    EXPECT_TRUE(RemoveFromTable(t, 257));
    EXPECT_EQ(t.Count, 256);
}

TEST(InstanceTable, RemovingTheMiddleKeepsTheOrder) {
    TInstanceTable t = EmptyTable();
    for (std::uint32_t pid : {11u, 22u, 33u}) RegisterInTable(t, 0, pid);
    EXPECT_TRUE(RemoveFromTable(t, 22));
    ASSERT_EQ(t.Count, 2);
    EXPECT_EQ(t.ProcessIDs[0], 11u);
    EXPECT_EQ(t.ProcessIDs[1], 33u);
    EXPECT_FALSE(RemoveFromTable(t, 22));
    EXPECT_EQ(t.Count, 2);
}

TEST(InstanceTable, RemovesOnlyTheFirstOfDuplicates) {
    TInstanceTable t = EmptyTable();
    for (std::uint32_t pid : {7u, 8u, 7u}) RegisterInTable(t, 0, pid);
    RemoveFromTable(t, 7);
    ASSERT_EQ(t.Count, 2);
    EXPECT_EQ(t.ProcessIDs[0], 8u);
    EXPECT_EQ(t.ProcessIDs[1], 7u);
}

TEST(InstanceTable, EntryLookupIsBounded) {
    TInstanceTable t = EmptyTable();
    RegisterInTable(t, 0, 42);
    EXPECT_EQ(TableProcessId(t, 0), 42u);
    EXPECT_EQ(TableProcessId(t, 1), 0u) << "index equal to Count";
    EXPECT_EQ(TableProcessId(t, -1), 0u);
    t.Count = 0xFFFF;  // corrupted by another process
    EXPECT_EQ(TableEntryCount(t), InstanceTableSlots);
    EXPECT_EQ(TableProcessId(t, 300), 0u);
    EXPECT_FALSE(RegisterInTable(t, 0, 1));
}

TEST(AppId, BackslashesBecomeUnderscoresAndNamesDerive) {
    std::wstring id = AppIdFromUpperCased(L"VTXC:\\TOOLS\\VIEWER.EXE");
    EXPECT_EQ(id, L"VTXC:_TOOLS_VIEWER.EXE");
    EXPECT_EQ(MessageNameOf(id), L"VTXC:_TOOLS_VIEWER.EXE_Msg");
    EXPECT_EQ(OptexNameOf(id), L"VTXC:_TOOLS_VIEWER.EXE_Otx");
    EXPECT_EQ(AllTableNameOf(id), L"VTXC:_TOOLS_VIEWER.EXE_All");
    EXPECT_EQ(SessionTableNameOf(id, 3), L"VTXC:_TOOLS_VIEWER.EXE_Session_3");
    EXPECT_EQ(UserTableNameOf(id, L"ann", L"HOST"), L"VTXC:_TOOLS_VIEWER.EXE_User_ann_HOST");
}

TEST(Win32ErrorText, CutsTheSystemTextsTailAndAppendsTheResource) {
    struct Case { const wchar_t* system; std::uint32_t code; const wchar_t* expected; };
    const Case cases[] = {
        {L"Access denied.\r\n", 5, L"Win32 error: Access denied (5)\r\nFailed to create event"},
        {L"Bad. . \t", 87, L"Win32 error: Bad (87)\r\nFailed to create event"},
        {L"", 4294967295u, L"Win32 error:  (4294967295)\r\nFailed to create event"},
        {L"v1.2!", 1, L"Win32 error: v1.2! (1)\r\nFailed to create event"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Win32ErrorMessage(c.system, c.code, L"Failed to create event"), c.expected);
}
