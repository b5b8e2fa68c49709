// The program's one set of text rules (base/Text.h), the error texts built
// from the mandated formats, and the scoped override of the test seams.
#include <gtest/gtest.h>
#include "base/Errors.h"
#include "base/ScopedOverride.h"
#include "base/Text.h"

using namespace vtx;

TEST(Text, TrimsBlanksAtBothEnds) {
    EXPECT_EQ(TrimBlanks(L"  Spaced Product  "), L"Spaced Product");
    EXPECT_EQ(TrimBlanks(L"\t\r\n x \x01"), L"x");
    EXPECT_EQ(TrimBlanks(L" \x1f "), L"");
    EXPECT_EQ(TrimBlanks(L"\xA0nbsp\xA0"), L"\xA0nbsp\xA0");
    EXPECT_EQ(TrimBlanks(L""), L"");
}

TEST(Text, TrimsTrailingBlanksAndFullStopsOnly) {
    EXPECT_EQ(TrimEndBlanksAndFullStops(L"Access is denied.\r\n"), L"Access is denied");
    EXPECT_EQ(TrimEndBlanksAndFullStops(L" a. . \r\n"), L" a");
    EXPECT_EQ(TrimEndBlanksAndFullStops(L"..."), L"");
}

TEST(Text, FoldsAndComparesAsciiLettersOnly) {
    EXPECT_EQ(AsciiLowerCase(L"Vantrel \x00C4Z"), L"vantrel \x00C4z");
    EXPECT_EQ(AsciiUpperCase(L"vantrel \x00E4z"), L"VANTREL \x00E4Z");
    EXPECT_TRUE(SameAsciiText(L"stringfileinfo", L"StringFileInfo"));
    EXPECT_FALSE(SameAsciiText(L"StringFileInf", L"StringFileInfo"));
    EXPECT_FALSE(SameAsciiText(L"StringFileInfoX", L"StringFileInfo"));
    EXPECT_FALSE(SameAsciiText(L"\x00E4", L"\x00C4"));
}

TEST(Text, ParsesAndFormatsHexadecimal) {
    EXPECT_EQ(HexDigitValue(L'0'), 0);
    EXPECT_EQ(HexDigitValue(L'f'), 15);
    EXPECT_EQ(HexDigitValue(L'F'), 15);
    EXPECT_EQ(HexDigitValue(L'g'), -1);
    EXPECT_EQ(HexText(0x1F, 4), L"001F");
    EXPECT_EQ(HexText(0xFFFFFFFFu, 4), L"FFFFFFFF");
    EXPECT_EQ(HexText(0), L"0");
    std::uint32_t value = 0;
    EXPECT_TRUE(TryParseHex(L"ffffFFFF", value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
    EXPECT_FALSE(TryParseHex(L"100000000", value));
    EXPECT_FALSE(TryParseHex(L"", value));
    EXPECT_FALSE(TryParseHex(L"12 ", value));
}

TEST(Text, TitleKeyNameDropsSpacesBlanksAndApostrophes) {
    EXPECT_EQ(TitleKeyName(L"Vantrel"), L"Vantrel");
    EXPECT_EQ(TitleKeyName(L"My App's Tool"), L"MyAppsTool");
    EXPECT_EQ(TitleKeyName(L"\t'Quoted'\r\n"), L"Quoted");
}

TEST(ErrorTexts, AreBuiltFromTheMandatedFormats) {
    EXPECT_EQ(FormatErrorText(L"%s (%u)%s%%", {L"a", L"7", L"b"}), L"a (7)b%");
    EXPECT_EQ(OSErrorMessage(5, L"Access denied.\r\n"), L"System Error.  Code: 5.\r\nAccess denied.\r\n");
    EXPECT_EQ(OSErrorMessage(0, L"x"), L"A call to an OS function failed");
    EXPECT_EQ(Win32ErrorMessage(L"Access is denied.\r\n", 5, L"Failed to create event"),
              L"Win32 error: Access is denied (5)\r\nFailed to create event");
    EXPECT_EQ(EAssertionFailed(L"instances\\VtxSynch.cpp", 1121).Message(),
              L"Assertion failure (instances\\VtxSynch.cpp, line 1121)");
    EVtxWin32Error error(6, L"The handle is invalid.\r\n", L"Failed to create FileMapping");
    EXPECT_EQ(error.LastError(), 6u);
    EXPECT_EQ(error.LastErrorMsg(), L"The handle is invalid");
    EXPECT_EQ(error.Message(), L"Win32 error: The handle is invalid (6)\r\nFailed to create FileMapping");
}

namespace {
int gSeam = 1;
int gFacts = 10;
const int& Facts() { return gFacts; }
void SetFacts(const int& value) { gFacts = value; }
} // namespace

TEST(ScopedOverride, RestoresTheSeamOnScopeExitAlsoOnAnError) {
    {
        TScopedOverride<int> seam(gSeam, 2);
        EXPECT_EQ(gSeam, 2);
    }
    EXPECT_EQ(gSeam, 1);
    try {
        TScopedOverride<int> seam(gSeam, 3);
        TScopedOverride<int> facts(Facts(), SetFacts, 20);
        EXPECT_EQ(gFacts, 20);
        throw EVtxError(L"stop");
    } catch (const EVtxError&) {
    }
    EXPECT_EQ(gSeam, 1);
    EXPECT_EQ(gFacts, 10);
}
