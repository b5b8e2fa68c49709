#include <gtest/gtest.h>
#include "base/Errors.h"

using vtx::WithFinalPeriod;

TEST(ErrorDisplay, PeriodIsAppendedOnlyAfterCharactersAboveFullStop) {
    struct Case { const wchar_t* in; const wchar_t* out; };
    const Case cases[] = {
        {L"Access denied", L"Access denied."},   {L"Code 5", L"Code 5."},
        {L"Reason:", L"Reason:."},               {L"[detail]", L"[detail]."},
        {L"Done.", L"Done."},                    {L"(hint)", L"(hint)"},
        {L"Stop!", L"Stop!"},                    {L"dash-", L"dash-"},
        {L"trailing ", L"trailing "},            {L"", L""},
        {L"line\r\n", L"line\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(WithFinalPeriod(c.in), c.out) << vtx::NarrowUtf8(c.in);
}

TEST(OSErrorMessage, FormatsCodeAndSystemText) {
    EXPECT_EQ(vtx::OSErrorMessage(5, L"Access denied.\r\n"), L"System Error.  Code: 5.\r\nAccess denied.\r\n");
    EXPECT_EQ(vtx::OSErrorMessage(0, L"ignored"), L"A call to an OS function failed");
}
