#include <gtest/gtest.h>
#include "settings/SettingsLogic.h"

TEST(RegistryKeyName, DropsSpacesBlanksAndApostrophes) {
    EXPECT_EQ(vtx::RegistryKeyName(L"Vantrel"), L"Vantrel");
    EXPECT_EQ(vtx::RegistryKeyName(L"My App's Tool"), L"MyAppsTool");
    EXPECT_EQ(vtx::RegistryKeyName(L"\t'Quoted'\r\n"), L"Quoted");
    EXPECT_EQ(vtx::RegistryKeyPath(L"Vantrel"), L"\\Software\\Quelmar\\Vantrel");
}

TEST(TryParseInt32, ConvertsWhatTheStoreWritesAndRejectsTheRest) {
    struct Good { const wchar_t* text; std::int32_t value; };
    const Good good[] = {{L"0", 0}, {L"235", 235}, {L"-1", -1}, {L"+7", 7}, {L"2147483647", 2147483647},
                         {L"-2147483648", -2147483647 - 1}, {L"$FF", 255}, {L"0x10", 16}, {L"  12", 12}};
    for (const auto& g : good) {
        std::int32_t value = 12345;
        EXPECT_TRUE(vtx::TryParseInt32(g.text, value)) << g.text;
        EXPECT_EQ(value, g.value) << g.text;
    }
    for (const wchar_t* bad : {L"", L"abc", L"12abc", L"2147483648", L"-", L"$", L"1 2", L"12 "}) {
        std::int32_t value = 0;
        EXPECT_FALSE(vtx::TryParseInt32(bad, value)) << bad;
    }
}
