// Ctrl+C in both lists, read back from the real clipboard, with real children.
#include <thread>
#include "app/AppFixture.h"
#include "app/ListLogic.h"
#include "helpers/TestSupport.h"
#include "base/Handle.h"

using namespace vtest;

namespace {

std::wstring ReadClipboardText() {
    for (int attempt = 0; attempt < 20 && !::OpenClipboard(nullptr); ++attempt) ::Sleep(10);
    vtx::scope_exit close([] { ::CloseClipboard(); });
    HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
    if (!data) return L"<no text>";
    const auto* text = static_cast<const wchar_t*>(::GlobalLock(data));
    std::wstring copy = text ? text : L"<no text>";
    ::GlobalUnlock(data);
    return copy;
}

void PutClipboardText(const std::wstring& text) {
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    ::memcpy(::GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    ::SetClipboardData(CF_UNICODETEXT, memory);
    ::CloseClipboard();
}

// Presses C on the list with the given modifiers held in this thread's key state.
void PressC(HWND list, bool ctrl, bool shift = false) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    BYTE saved[256];
    ::memcpy(saved, keys, sizeof saved);
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_MENU] = 0;
    ::SetKeyboardState(keys);
    ::SendMessageW(list, WM_KEYDOWN, 'C', 1);
    ::SendMessageW(list, WM_CHAR, ctrl ? 3 : 'c', 1);
    ::SetKeyboardState(saved);
}

std::vector<std::wstring> Split(const std::wstring& text, const std::wstring& separator) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::wstring::npos) return parts;
        start = end + separator.size();
    }
}

std::vector<std::vector<std::wstring>> CopiedTable(HWND list) {
    PressC(list, true);
    std::vector<std::vector<std::wstring>> table;
    for (const auto& line : Split(ReadClipboardText(), L"\r\n")) table.push_back(Split(line, L"\t"));
    return table;
}


// The line whose path cell (index Cell) names the file, or null.
const std::vector<std::wstring>* LineOf(const std::vector<std::vector<std::wstring>>& table, size_t cell,
                                        const std::wstring& path) {
    for (const auto& line : table)
        if (line.size() > cell && SameText(line[cell], path)) return &line;
    return nullptr;
}

// A copy of the helper several folders down, so that the path column shortens it.
class DeepCopy {
public:
    DeepCopy() {
        std::wstring dir = ScratchDirectory(L"copy");
        FFolders.push_back(dir);
        for (const wchar_t* level : {L"\\first-level-of-a-rather-deep-folder", L"\\second-level-of-the-same-folder",
                                     L"\\third-level-of-the-same-folder", L"\\fourth-level"}) {
            dir += level;
            ::CreateDirectoryW(dir.c_str(), nullptr);
            FFolders.push_back(dir);
        }
        wchar_t full[MAX_PATH];
        ::GetFullPathNameW(CopyFileTo(HelperPath(), dir, L"vtdeep.exe").c_str(), MAX_PATH, full, nullptr);
        Path = full;
    }
    ~DeepCopy() {
        ::DeleteFileW(Path.c_str());
        for (auto it = FFolders.rbegin(); it != FFolders.rend(); ++it) ::RemoveDirectoryW(it->c_str());
    }
    std::wstring Path;

private:
    std::vector<std::wstring> FFolders;
};

} // namespace

TEST_F(AppFixture, CtrlCCopiesTheProcessListAsATableOfTheShownColumns) {
    DeepCopy deep;
    ChildProcess child(deep.Path, L"sleep 60000");
    ChildProcess tabbed(ExeDirectory() + L"vthelper_tab.exe", L"sleep 60000");
    auto& main = Start();
    auto& f = Form();
    auto& list = *f.lsvProcesses;
    const HWND wnd = list.Handle();
    const int row = RowOfProcess(child.Id());
    ASSERT_GE(row, 0);
    ASSERT_NE(Shown(row, vtx::TProcessColumn::Path), deep.Path) << "the path column should show the path shortened";

    // No row selected: every row, under the four columns shown at first.
    list.SelectItem(-1);
    auto table = CopiedTable(wnd);
    ASSERT_EQ(table.size(), static_cast<size_t>(list.ItemCount()) + 1);
    EXPECT_EQ(table[0], (std::vector<std::wstring>{L"Process", L"Company", L"Description", L"Path and filename"}));
    const auto* line = LineOf(table, 3, deep.Path);
    ASSERT_NE(line, nullptr) << "the full path of the deep child";
    EXPECT_EQ(*line, (std::vector<std::wstring>{L"VtHelper", L"Quelmar Test Lab", L"Vantrel test helper", (*line)[3]}));
    const auto* tabLine = LineOf(table, 0, L"Tab Name");
    ASSERT_NE(tabLine, nullptr) << "the tab inside the product name became a space";
    EXPECT_EQ(tabLine->size(), 4u);
    for (const auto& cells : table) EXPECT_EQ(cells.size(), 4u) << cells[0];

    // Version and ID shown, the deep child's row selected: that row alone, the ID as the column shows it.
    main.UpdateItemsMenu(f.mniItems);
    main.ToggleProcessItem(f.ItemEntry(5));
    main.UpdateItemsMenu(f.mniItems);
    main.ToggleProcessItem(f.ItemEntry(6));
    list.SelectItem(RowOfProcess(child.Id()));
    table = CopiedTable(wnd);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0], (std::vector<std::wstring>{L"Process", L"Company", L"Description", L"Path and filename",
                                                   L"Version", L"Process ID"}));
    ASSERT_EQ(table[1].size(), 6u);
    EXPECT_TRUE(SameText(table[1][3], deep.Path)) << table[1][3];
    EXPECT_EQ(table[1][4], L"1.2.3.4");
    EXPECT_EQ(table[1][5], vtx::ProcessIdText(static_cast<std::int32_t>(child.Id())));

    // Hidden again, and the header dragged into another order: the copy follows the header.
    main.UpdateItemsMenu(f.mniItems);
    main.ToggleProcessItem(f.ItemEntry(5));
    int order[] = {0, 2, 1, 3, 4, 5, 6};
    ::SendMessageW(wnd, LVM_SETCOLUMNORDERARRAY, 7, reinterpret_cast<LPARAM>(order));
    list.SelectItem(RowOfProcess(child.Id()));
    table = CopiedTable(wnd);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0], (std::vector<std::wstring>{L"Company", L"Process", L"Description", L"Path and filename",
                                                   L"Process ID"}));
    EXPECT_EQ(table[1][1], L"VtHelper");
}

TEST_F(AppFixture, AWindowTooNarrowForThePathColumnStillCopiesThePath) {
    DeepCopy deep;
    ChildProcess child(deep.Path, L"sleep 60000");
    auto& main = Start();
    auto& f = Form();
    // The path column takes the width the others leave: here none.
    f.SetWidth(f.Scale(520));
    main.RefreshProcessList(nullptr);
    ASSERT_EQ(f.lsvProcesses->ColumnWidth(vtx::ColumnIndex(vtx::TProcessColumn::Path)), 0);
    f.lsvProcesses->SelectItem(RowOfProcess(child.Id()));
    const auto table = CopiedTable(f.lsvProcesses->Handle());
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0], (std::vector<std::wstring>{L"Process", L"Company", L"Description", L"Path and filename"}));
    ASSERT_EQ(table[1].size(), 4u);
    EXPECT_TRUE(SameText(table[1][3], deep.Path)) << table[1][3];
}

TEST_F(AppFixture, CtrlCCopiesTheModuleListAfterAClick) {
    DeepCopy deep;
    ChildProcess child(deep.Path, L"sleep 60000");
    auto& main = Start();
    auto& modules = *Form().lsvModules;
    Form().lsvProcesses->SelectItem(RowOfProcess(child.Id()));
    main.ShowProcessModules(nullptr);
    ASSERT_GT(modules.ItemCount(), 2);

    auto table = CopiedTable(modules.Handle());
    ASSERT_EQ(table.size(), static_cast<size_t>(modules.ItemCount()) + 1);
    EXPECT_EQ(table[0], (std::vector<std::wstring>{L"Module", L"Company", L"Description", L"Path and filename"}));
    const auto* exe = LineOf(table, 3, deep.Path);
    ASSERT_NE(exe, nullptr);
    EXPECT_EQ((*exe)[0], L"VtHelper");
    EXPECT_NE(LineOf(table, 3, SystemFile(L"version.dll")), nullptr);

    modules.SelectItem(1);
    table = CopiedTable(modules.Handle());
    ASSERT_EQ(table.size(), 2u);
    EXPECT_TRUE(SameText(table[1][3], main.Modules.Row(1).FileName)) << table[1][3];
}

TEST_F(AppFixture, OtherKeysCopyNothingAndABusyClipboardIsReportedUntilTheNextTick) {
    auto& main = Start();
    auto& f = Form();
    const HWND wnd = f.lsvProcesses->Handle();
    PutClipboardText(L"kept");
    PressC(wnd, false);
    PressC(wnd, true, true);
    EXPECT_EQ(ReadClipboardText(), L"kept") << "C and Ctrl+Shift+C are not copies";

    // Another thread holds the clipboard for longer than the copy tries.
    const vtx::unique_handle opened(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const vtx::unique_handle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread holder([&] {
        ::OpenClipboard(nullptr);
        ::SetEvent(opened.get());
        ::WaitForSingleObject(release.get(), 10000);
        ::CloseClipboard();
    });
    ::WaitForSingleObject(opened.get(), 10000);
    PressC(wnd, true);
    ::SetEvent(release.get());
    holder.join();
    EXPECT_EQ(f.stbStatus->PanelText(vtx::spProcessCount), L"Clipboard busy");
    EXPECT_EQ(ReadClipboardText(), L"kept");
    EXPECT_TRUE(Boxes.empty());

    main.UpdateTimerTimer(nullptr);
    EXPECT_EQ(f.stbStatus->PanelText(vtx::spProcessCount),
              L"Process count: " + std::to_wstring(f.lsvProcesses->ItemCount()));
    PressC(wnd, true);
    EXPECT_EQ(Split(ReadClipboardText(), L"\r\n").size(), static_cast<size_t>(f.lsvProcesses->ItemCount()) + 1);
}
