#include <gtest/gtest.h>
#include <windows.h>
#include "app/KbxControllerCustomMain.h"
#include "settings/ControllerRegistry.h"
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"
#include <optional>
#include "base/ScopedOverride.h"

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        Title = L"VantrelRegTest" + std::to_wstring(::GetCurrentProcessId());
        Key = L"Software\\Quelmar\\" + Title;
        ::RegDeleteTreeW(HKEY_CURRENT_USER, Key.c_str());
        vtx::Application().SetTitle(Title);
        Seam.emplace(vtx::MessageBoxSeam(), [this](const vtx::TMessageBoxRequest& r) {
            Boxes.push_back(r);
            return 1;
        });
    }
    void TearDown() override {
        Seam.reset();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, Key.c_str());
    }
    void Put(const wchar_t* name, const wchar_t* text) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, (Key + L"\\Items").c_str(), name, REG_SZ, text,
                          static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    }
    std::wstring Title, Key;
    std::optional<vtx::TScopedOverride<vtx::TMessageBoxSeam>> Seam;
    std::vector<vtx::TMessageBoxRequest> Boxes;
};

} // namespace

TEST_F(RegistryTest, NoKeyGivesDefaultsAndCreatesIt) {
    {
        vtx::TCRegistry settings;
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(settings.ProcessItems[i].Width, 0);
            EXPECT_EQ(settings.ProcessItems[i].Visible, i < 5);
        }
        vtx::unique_hkey key;
        EXPECT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, Key.c_str(), 0, KEY_READ, key.put()), ERROR_SUCCESS);
    }
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(RegistryTest, RoundTripWritesFourteenTextValues) {
    {
        vtx::TCRegistry settings;
        for (int i = 0; i < 7; ++i) {
            settings.ProcessItems[i].Width = 10 * (i + 1);
            settings.ProcessItems[i].Visible = i % 2 == 0;
        }
    }
    vtx::TCRegistry again;
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(again.ProcessItems[i].Width, 10 * (i + 1));
        EXPECT_EQ(again.ProcessItems[i].Visible, i % 2 == 0);
    }
    wchar_t text[16] = {};
    DWORD size = sizeof text, type = 0;
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, (Key + L"\\Items").c_str(), L"6visible", RRF_RT_ANY, &type, text, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(text, L"1");
}

TEST_F(RegistryTest, BadValuesReadAsTheirDefaults) {
    Put(L"3visible", L"2");        // a number other than 0: true
    Put(L"1visible", L"letters");  // default true
    Put(L"5visible", L"");         // default false
    Put(L"5width", L"-1");         // read as it is
    Put(L"2width", L"12abc");      // default 0
    DWORD dword = 77;              // another registry type: default
    ::RegSetKeyValueW(HKEY_CURRENT_USER, (Key + L"\\Items").c_str(), L"4width", REG_DWORD, &dword, sizeof dword);
    Put(L"6visible", L"0");
    vtx::TCRegistry settings;
    EXPECT_TRUE(settings.ProcessItems[3].Visible);
    EXPECT_TRUE(settings.ProcessItems[1].Visible);
    EXPECT_FALSE(settings.ProcessItems[5].Visible);
    EXPECT_EQ(settings.ProcessItems[5].Width, -1);
    EXPECT_EQ(settings.ProcessItems[2].Width, 0);
    EXPECT_EQ(settings.ProcessItems[4].Width, 0);
    EXPECT_FALSE(settings.ProcessItems[6].Visible);
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(RegistryTest, AKeyThatCannotBeOpenedIsReportedOnceAndNothingIsWrittenElsewhere) {
    // Key names are limited to 255 characters, so this one cannot be created.
    std::wstring longTitle(300, L'V');
    vtx::Application().SetTitle(longTitle);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Items");
    {
        // The store reports and shows nothing itself.
        vtx::TCRegistry settings;
        EXPECT_FALSE(settings.KeyOpened());
        EXPECT_TRUE(settings.ProcessItems[0].Visible);
        settings.ProcessItems[0].Width = 33;
    }
    EXPECT_TRUE(Boxes.empty());
    // Its owner, the controller, shows the report once.
    vtx::Application().Initialize();
    {
        vtx::TCCustomMain controller;
    }
    vtx::Application().DestroyForms();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, L"Error reading Windows Registry.");
    EXPECT_EQ(Boxes[0].Caption, longTitle);
    EXPECT_EQ(Boxes[0].Type, vtx::TMsgDlgType::mtPlain);
    vtx::unique_hkey stray;
    EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Items", 0, KEY_READ, stray.put()), ERROR_SUCCESS);
}
