#include "app/AppFixture.h"

using namespace vtest;

namespace {

RECT WorkAreaOf(HWND wnd) {
    MONITORINFO mi{sizeof mi};
    ::GetMonitorInfoW(::MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST), &mi);
    return mi.rcWork;
}

std::vector<std::pair<std::wstring, std::wstring>> StoredValues(const std::wstring& title, const wchar_t* section) {
    std::vector<std::pair<std::wstring, std::wstring>> values;
    vtx::unique_hkey owned;
    std::wstring path = TestKeyPath(title) + L"\\" + section;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, owned.put()) != ERROR_SUCCESS) return values;
    const HKEY key = owned.get();
    for (DWORD i = 0;; ++i) {
        wchar_t name[64];
        DWORD nameLength = 64, type = 0;
        wchar_t data[64] = {};
        DWORD size = sizeof data;
        if (::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS)
            break;
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << "value " << i;
        values.emplace_back(name, data);
    }
    std::sort(values.begin(), values.end());
    return values;
}

} // namespace

TEST_F(AppFixture, FirstStartIsTheDesignedCentredWindowWithVersionAndIdHidden) {
    auto& main = Start();
    auto& form = Form();
    EXPECT_EQ(form.Caption(), Title);
    EXPECT_EQ(form.Width(), form.Scale(913));
    EXPECT_EQ(form.Height(), form.Scale(612));
    RECT work = WorkAreaOf(form.Handle());
    EXPECT_NEAR(form.Left(), work.left + (work.right - work.left - form.Width()) / 2, 1);
    EXPECT_NEAR(form.Top(), work.top + (work.bottom - work.top - form.Height()) / 2, 1);

    const int designed[7] = {20, 235, 125, 220, 0, 80, 65};
    const auto& items = main.CRegistry().ProcessItems;
    for (int i : {0, 1, 2, 3, 5, 6}) EXPECT_EQ(items[i].Width, form.Scale(designed[i])) << "column " << i;
    for (int i = 0; i < 7; ++i) EXPECT_EQ(items[i].Visible, i < 5) << "column " << i;
    EXPECT_EQ(form.lsvProcesses->ColumnWidth(5), 0);
    EXPECT_EQ(form.lsvProcesses->ColumnWidth(6), 0);
    // The first tick ran before the first refresh.
    EXPECT_EQ(form.stbStatus->PanelText(3), L"Process count: 0");
    EXPECT_EQ(form.stbStatus->PanelText(0).rfind(L"User: ", 0), 0u);
    EXPECT_EQ(form.stbStatus->PanelText(1).rfind(L"Computer: ", 0), 0u);
    EXPECT_EQ(form.stbStatus->PanelWidth(0), form.stbStatus->TextWidth(form.stbStatus->PanelText(0)) + 10);
}

TEST_F(AppFixture, ExitAndTheCloseButtonStoreTheSameSettings) {
    Start();
    Form().lsvProcesses->SetColumnWidth(2, 140);  // as if dragged
    Main->MenuItemClick(Form().mniExit);
    EXPECT_FALSE(::IsWindowVisible(Form().Handle()));
    Stop();
    auto forms = StoredValues(Title, L"Forms");
    auto items = StoredValues(Title, L"Items");
    ASSERT_EQ(forms.size(), 4u);
    EXPECT_EQ(forms[0].first, L"frmMainHeight");
    ASSERT_EQ(items.size(), 14u);
    std::wstring width;
    ASSERT_TRUE(ReadTestValue(Title, L"Items", L"2width", width));
    EXPECT_EQ(width, L"140");

    Start();
    EXPECT_EQ(Form().lsvProcesses->ColumnWidth(2), 140);
    ::SendMessageW(Form().Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindowVisible(Form().Handle()));
    Stop();
    EXPECT_EQ(StoredValues(Title, L"Forms"), forms);
    // The path column took the width the others left it, which differs now.
    auto withoutPath = [](auto values) {
        std::erase_if(values, [](const auto& v) { return v.first == L"4width"; });
        return values;
    };
    EXPECT_EQ(withoutPath(StoredValues(Title, L"Items")), withoutPath(items));
}

TEST_F(AppFixture, AMaximisedWindowKeepsTheStoredPlacement) {
    WriteTestValue(Title, L"Forms", L"frmMainWidth", L"700");
    WriteTestValue(Title, L"Forms", L"frmMainHeight", L"500");
    Start();
    EXPECT_EQ(Form().Width(), 700);
    EXPECT_EQ(Form().Height(), 500);
    Form().SetWindowState(vtx::TWindowState::wsMaximized);
    Pump(20);
    Main->MenuItemClick(Form().mniExit);
    Stop();
    std::wstring width;
    ASSERT_TRUE(ReadTestValue(Title, L"Forms", L"frmMainWidth", width));
    EXPECT_EQ(width, L"700");
    EXPECT_FALSE(ReadTestValue(Title, L"Forms", L"frmMainTop", width));
}

TEST_F(AppFixture, AHiddenColumnKeepsItsWidthAndStoredWidthsObeyTheMaximum) {
    WriteTestValue(Title, L"Items", L"1width", L"400");
    WriteTestValue(Title, L"Items", L"3visible", L"0");
    WriteTestValue(Title, L"Items", L"3width", L"150");
    Start();
    EXPECT_EQ(Form().lsvProcesses->ColumnWidth(1), 300);
    EXPECT_EQ(Form().lsvProcesses->ColumnWidth(3), 0);
    Stop();
    std::wstring value;
    ASSERT_TRUE(ReadTestValue(Title, L"Items", L"1width", value));
    EXPECT_EQ(value, L"300");
    ASSERT_TRUE(ReadTestValue(Title, L"Items", L"3width", value));
    EXPECT_EQ(value, L"150");
    ASSERT_TRUE(ReadTestValue(Title, L"Items", L"3visible", value));
    EXPECT_EQ(value, L"0");
}
