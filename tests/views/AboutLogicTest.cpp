#include <gtest/gtest.h>
#include <cstdint>
#include <vector>
#include "views/AboutLogic.h"

using namespace vtx;

TEST(AboutLogic, UrlAppNameFromTitle) {
    const struct {
        const wchar_t* Title;
        const wchar_t* Expected;
    } cases[] = {
        {L"Vantrel", L"vantrel"},
        {L"Bob's Tool Box", L"bobstoolbox"},
        {L"\t Quelmar's Links \r\n", L"quelmarslinks"},
        {L"''", L""},
        {L"\u00C9t\u00C9 App", L"\u00C9t\u00C9app"}, // only ASCII letters change case
    };
    for (const auto& c : cases) EXPECT_EQ(UrlAppNameFromTitle(c.Title), c.Expected) << c.Title;
}

TEST(AboutLogic, TitleSizeChangesAfterTenCharacters) {
    EXPECT_EQ(TitleFontSize(L""), 18);
    EXPECT_EQ(TitleFontSize(L"ABCDEFGHIJ"), 18);
    EXPECT_EQ(TitleFontSize(L"ABCDEFGHIJK"), 14);
}

TEST(AboutLogic, VersionLineShowsMajorMinorAndBuild) {
    EXPECT_EQ(VersionText(0x00000006, 0x000000E1), L"Version 0.6  Build 225");
    // The high word of the least-significant half (release) is not shown.
    EXPECT_EQ(VersionText(0xFFFF0001, 0x0007FFFF), L"Version 65535.1  Build 65535");
}

TEST(AboutLogic, MakerTexts) {
    EXPECT_EQ(ContactAddress(L"vantrel"), L"support+vantrel@quelmar.example");
    std::wstring copyright = CopyrightText(2002, 2031);
    EXPECT_EQ(copyright.rfind(L"Copyright \u00A9 2002-2031", 0), 0u) << copyright;
    EXPECT_NE(copyright.find(L"warranty"), std::wstring::npos);
    EXPECT_NE(CreditText().find(L"Quelmar"), std::wstring::npos);
}

TEST(AboutLogic, InfoAddressesForSpecialAndOrdinaryNames) {
    const std::wstring site = L"https://www.quelmar.example/", software = site + L"software";
    const struct {
        const wchar_t* AppName;
        const wchar_t* Page;
        const wchar_t* Screenshot;
        const wchar_t* Update;
    } cases[] = {
        {L"vantrel", L"/software/vantrel.htm", L"/images/software_vantrel.jpg", L"/software/download/vantrel.zip"},
        {L"TARVENMOSS", L"/software/tvr.htm", L"/images/software_tarvenmoss.jpg",
         L"/software/download/tarvenmoss.zip"},
        {L"QuelmarsLinks", L"/software/links.htm", L"/images/software_links.jpg",
         L"/software/download/links.zip"},
    };
    const std::wstring host = L"https://www.quelmar.example";
    for (const auto& c : cases) {
        TInfoAddresses a = InfoAddresses(site, software, c.AppName);
        ASSERT_EQ(a.MemoLines.size(), 9u) << c.AppName;
        std::vector<std::wstring> expected = {L"",     L"Information:", host + c.Page,    L"",
                                              L"Screenshot:", host + c.Screenshot, L"", L"Download:",
                                              host + c.Update};
        EXPECT_EQ(a.MemoLines, expected) << c.AppName;
        EXPECT_EQ(a.UpdateUrl, host + c.Update);
    }
    EXPECT_EQ(DownloadCaption(L"Bob's Tool Box"), L"Click here to download the latest version of Bob's Tool Box.");
}

TEST(AboutLogic, TypedKeysCollectLettersAndResetOnAnythingElse) {
    std::wstring collected;
    wchar_t key = L'u';
    EXPECT_FALSE(EasterEggsKeyPress(collected, key));
    EXPECT_EQ(key, L'U');
    key = L'R';
    EXPECT_FALSE(EasterEggsKeyPress(collected, key));
    EXPECT_FALSE(EasterEggsKeyComplete(collected));
    key = L'l';
    EasterEggsKeyPress(collected, key);
    EXPECT_EQ(collected, L"URL");
    EXPECT_TRUE(EasterEggsKeyComplete(collected));
    for (wchar_t other : {L'1', L' ', L'\x1B', L'\b', L'.', L'\u00E9', L'\r'}) {
        collected = L"UR";
        key = other;
        EXPECT_TRUE(EasterEggsKeyPress(collected, key)) << int(other);
        EXPECT_TRUE(collected.empty());
        EXPECT_EQ(key, other);
    }
}

TEST(AboutLogic, PanelNamesMatchExactlyWithPanelEnding) {
    EXPECT_TRUE(PanelNameMatches(L"UrlPanel", L"URL"));
    EXPECT_TRUE(PanelNameMatches(L"ZorickPanel", L"ZORICK"));
    EXPECT_FALSE(PanelNameMatches(L"UrlPanel", L"XURL"));
    EXPECT_FALSE(PanelNameMatches(L"UrlTabSheet", L"URL"));
    EXPECT_FALSE(PanelNameMatches(L"UrlPanel", L"UR"));
}

TEST(AboutLogic, FadeTakesAtMost85StepsOrThreeHundredMilliseconds) {
    std::vector<int> values;
    auto record = [&](int alpha) { values.push_back(alpha); };
    // A clock that stands still: the whole ramp, 3 at a time.
    EXPECT_EQ(RunFade(true, 0, [] { return 1000u; }, record), 85);
    EXPECT_EQ(values.front(), 3);
    EXPECT_EQ(values.back(), 255);
    values.clear();
    EXPECT_EQ(RunFade(false, 255, [] { return 1000u; }, record), 85);
    EXPECT_EQ(values.back(), 0);

    // A slow machine: cut short to the end value once 300 ms have gone by,
    // also across a wrap of the clock.
    for (std::uint32_t start : {5000u, 0xFFFFFF00u}) {
        std::uint32_t now = start;
        values.clear();
        RunFade(true, 0, [&] { return now += 40; }, record);
        EXPECT_EQ(values.back(), 255);
        EXPECT_LT(values.size(), 12u);
        EXPECT_EQ(values[values.size() - 2], 24); // eight steps, then the jump
    }
    values.clear();
    EXPECT_EQ(RunFade(true, 255, [] { return 0u; }, record), 0);
}
