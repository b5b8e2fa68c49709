// The real Vantrel.exe driven from outside: window messages, its lists read
// across processes, clicks, keyboard menus and answered message boxes.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>
#include <cwctype>
#include <string>
#include <utility>
#include <vector>
#include "app/ListLogic.h"
#include "e2e/RemoteUi.h"
#include "helpers/TestSupport.h"
#include "base/Handle.h"
#include "base/Text.h"

namespace {

using namespace vtest;

const wchar_t kTitle[] = L"Vantrel";
const wchar_t kSettingsKey[] = L"Software\\Quelmar\\Vantrel";
const wchar_t kBackupKey[] = L"Software\\Quelmar\\Vantrel.e2e-backup";
constexpr DWORD kStartMs = 30000;
constexpr DWORD kStepMs = 15000;

std::wstring VantrelPath() { return ExeDirectory() + L"Vantrel.exe"; }

// The Process ID cell's text.
std::wstring HexId(DWORD pid) { return vtx::ProcessIdText(static_cast<std::int32_t>(pid)); }

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
    if (tail.size() > text.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (std::towlower(text[text.size() - tail.size() + i]) != std::towlower(tail[i])) return false;
    return true;
}

// Whether shown is full, or full with leading directories (and then the drive)
// replaced by "...\", or full's bare file name.
// A value the program is expected to have stored, and why, for the message.
struct TStored {
    const wchar_t* Section;
    std::wstring Name;
    std::wstring Value;
    const char* Why = "";
};

// Each value as the settings hold it; a fatal failure at the first one missing
// (call it under ASSERT_NO_FATAL_FAILURE).
void ExpectStored(const std::vector<TStored>& stored) {
    for (const TStored& item : stored) {
        std::wstring value;
        ASSERT_TRUE(ReadTestValue(kTitle, item.Section, item.Name, value)) << "no " << vtx::NarrowUtf8(item.Name);
        EXPECT_EQ(value, item.Value) << vtx::NarrowUtf8(item.Name) << " " << item.Why;
    }
}

// The placement values of the main window as it was at R.
std::vector<TStored> StoredPlacement(const RECT& r) {
    return {{L"Forms", L"frmMainWidth", std::to_wstring(r.right - r.left)},
            {L"Forms", L"frmMainHeight", std::to_wstring(r.bottom - r.top)},
            {L"Forms", L"frmMainTop", std::to_wstring(r.top)},
            {L"Forms", L"frmMainLeft", std::to_wstring(r.left)}};
}

bool IsShorteningOf(const std::wstring& shown, const std::wstring& full) {
    if (shown == full) return true;
    std::wstring name = full.substr(full.find_last_of(L"\\:") + 1);
    if (shown == name) return true;
    std::wstring rest;
    if (shown.rfind(full.substr(0, 2) + L"\\...\\", 0) == 0) rest = shown.substr(7);
    else if (shown.rfind(L"...\\", 0) == 0) rest = shown.substr(4);
    else return false;
    return full.size() > rest.size() && full.compare(full.size() - rest.size(), rest.size(), rest) == 0 &&
           full[full.size() - rest.size() - 1] == L'\\';
}

void CopyKey(const wchar_t* from, const wchar_t* to) {
    vtx::unique_hkey source, target;
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, from, 0, KEY_READ, &raw) != ERROR_SUCCESS) return;
    source.reset(raw);
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, to, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return;
    target.reset(raw);
    ::RegCopyTreeW(source.get(), nullptr, target.get());
}

bool KeyExists(const wchar_t* path) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &raw) != ERROR_SUCCESS) return false;
    vtx::unique_hkey key(raw);
    return true;
}

// The user's own settings are put aside for the suite and restored after it.
class SettingsBackup : public ::testing::Environment {
public:
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kBackupKey);
        FHad = KeyExists(kSettingsKey);
        if (FHad) CopyKey(kSettingsKey, kBackupKey);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    }
    void TearDown() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
        if (FHad) CopyKey(kBackupKey, kSettingsKey);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kBackupKey);
    }

private:
    bool FHad = false;
};

const auto* const gBackup = ::testing::AddGlobalTestEnvironment(new SettingsBackup);

// One running Vantrel and the windows a user sees of it.
struct Vantrel {
    ChildProcess Process;
    HWND Form = nullptr;
    HWND Processes = nullptr;
    HWND Modules = nullptr;
    HWND Status = nullptr;

    DWORD Id() const { return Process.Id(); }

    // Sizes the main window without moving it; the rectangle it then has.
    RECT Resize(int width, int height) const {
        ::SetWindowPos(Form, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT r{};
        ::GetWindowRect(Form, &r);
        return r;
    }

    // Starts it and waits for a filled process list; false on time-out.
    bool Start() {
        Process = ChildProcess(VantrelPath(), L"", false);
        if (!Process.Handle()) return false;
        Form = WaitForTopWindow(Id(), L"TfrmMain", nullptr, kStartMs);
        if (!Form) return false;
        auto lists = ChildrenOfClass(Form, L"SysListView32");
        auto bars = ChildrenOfClass(Form, L"msctls_statusbar32");
        if (lists.size() < 2 || bars.empty()) return false;
        Processes = lists[0];
        Modules = lists[1];
        Status = bars[0];
        return WaitUntil([&] { return ListCount(Processes) > 0; }, kStartMs);
    }

    int RowOf(DWORD pid) const { return FindRow(Processes, 6, HexId(pid)); }
    bool WaitForRow(DWORD pid) const { return WaitUntil([&] { return RowOf(pid) >= 0; }, kStepMs, 100); }

    // Right click menu of the process list, then the entries' access keys in turn.
    bool Popup(const std::wstring& keys) {
        RECT r{};
        ::GetWindowRect(Processes, &r);
        ::PostMessageW(Processes, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Processes), MAKELPARAM(r.left + 40, r.top + 40));
        return TypeIntoMenus(keys);
    }

    // A main-menu command: the bar item's access key, then the entry's.
    bool MenuBar(wchar_t item, const std::wstring& keys) {
        OpenMenuBarItem(Form, item);
        if (keys.empty()) return true;
        return TypeIntoMenus(keys);
    }

    bool TypeIntoMenus(const std::wstring& keys) {
        for (size_t i = 0; i < keys.size(); ++i) {
            HWND menu = WaitForMenus(Id(), i + 1, kStepMs);
            if (!menu) return false;
            TypeMenuKey(menu, keys[i]);
        }
        return WaitUntil([&] { return MenuWindows(Id()).empty(); }, kStepMs);
    }

    bool ClickRowOf(DWORD pid) {
        int row = RowOf(pid);
        return row >= 0 && ClickRow(Processes, row) &&
               WaitUntil([&] { return FocusedRow(Processes) == RowOf(pid); }, kStepMs);
    }

    // File, Exit, and the exit code.
    DWORD Exit() {
        if (!MenuBar(L'f', L"x")) return STILL_ACTIVE;
        return Process.Wait(kStepMs);
    }
};

bool HasModule(DWORD pid, const wchar_t* name) {
    vtx::unique_file_handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid));
    if (!snapshot) return false;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Module32FirstW(snapshot.get(), &entry); more; more = ::Module32NextW(snapshot.get(), &entry))
        if (::lstrcmpiW(entry.szModule, name) == 0) return true;
    return false;
}

class VantrelProgram : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Deep enough that the path column has to shorten it.
        std::wstring dir = ScratchDirectory(L"e2e") + L"\\a rather long folder for the path column";
        ::CreateDirectoryW(dir.c_str(), nullptr);
        dir += L"\\and one more level below it";
        ::CreateDirectoryW(dir.c_str(), nullptr);
        HelperCopy = new std::wstring(CopyFileTo(HelperPath(), dir, L"vthelper-e2e.exe"));
        // A second helper that must be told apart by its texts runs from a
        // file of its own.
        OtherHelperCopy = new std::wstring(CopyFileTo(HelperPath(), dir, L"vthelper-e2e-other.exe"));
    }
    static void TearDownTestSuite() {
        delete HelperCopy;
        delete OtherHelperCopy;
        HelperCopy = OtherHelperCopy = nullptr;
    }
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
        ASSERT_EQ(::GetFileAttributesW(VantrelPath().c_str()) == INVALID_FILE_ATTRIBUTES, false) << "no Vantrel.exe";
    }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

    ChildProcess StartHelper(bool other = false) {
        ChildProcess helper(other ? *OtherHelperCopy : *HelperCopy, L"sleep 600000", false);
        // Its modules are listed once the loader is done: a helper without a
        // window is "idle" at once, so wait for its last library.
        ::WaitForInputIdle(helper.Handle(), 2000);
        WaitUntil([&] { return HasModule(helper.Id(), L"shlwapi.dll"); }, kStepMs);
        return helper;
    }

    static std::wstring* HelperCopy;
    static std::wstring* OtherHelperCopy;
};

std::wstring* VantrelProgram::HelperCopy = nullptr;
std::wstring* VantrelProgram::OtherHelperCopy = nullptr;

TEST_F(VantrelProgram, StartShowsCaptionHelperRowAndStatusPanels) {
    ChildProcess helper = StartHelper();
    Vantrel app;
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(TextOf(app.Form), L"Vantrel");
    ASSERT_TRUE(app.WaitForRow(helper.Id()));

    EXPECT_EQ(ColumnCount(app.Processes), 7);
    int row = app.RowOf(helper.Id());
    EXPECT_EQ(ListText(app.Processes, row, 1), L"VtHelper");
    EXPECT_EQ(ListText(app.Processes, row, 2), L"Quelmar Test Lab");
    EXPECT_EQ(ListText(app.Processes, row, 3), L"Vantrel test helper");
    EXPECT_EQ(ListText(app.Processes, row, 5), L"1.2.3.4");
    std::wstring path = ListText(app.Processes, row, 4);
    EXPECT_NE(path, *HelperCopy) << "the default path column is narrower than this path";
    EXPECT_TRUE(IsShorteningOf(path, *HelperCopy)) << std::string(path.begin(), path.end());
    // Version and Process ID are hidden on a first start.
    EXPECT_EQ(ColumnWidth(app.Processes, 5), 0);
    EXPECT_EQ(ColumnWidth(app.Processes, 6), 0);

    ASSERT_EQ(StatusPartCount(app.Status), 5);
    wchar_t user[256] = {}, computer[256] = {};
    DWORD userLength = 256, computerLength = 256;
    ::GetUserNameW(user, &userLength);
    ::GetComputerNameW(computer, &computerLength);
    EXPECT_EQ(StatusText(app.Status, 0), std::wstring(L"User: ") + user);
    EXPECT_EQ(StatusText(app.Status, 1), std::wstring(L"Computer: ") + computer);
    unsigned percent = 999;
    EXPECT_EQ(swscanf(StatusText(app.Status, 2).c_str(), L"Memory used: %u%%", &percent), 1);
    EXPECT_LE(percent, 100u);
    EXPECT_TRUE(EndsWith(StatusText(app.Status, 2), L"%"));
    // The count is that of the list's rows, from the first tick after the refresh on.
    EXPECT_TRUE(WaitUntil([&] {
        return StatusText(app.Status, 3) == L"Process count: " + std::to_wstring(ListCount(app.Processes));
    }, kStepMs));
    unsigned h = 0, m = 99, s = 99;
    std::wstring uptime = StatusText(app.Status, 4);
    EXPECT_EQ(swscanf(uptime.c_str(), L"Uptime: %u:%2u:%2u", &h, &m, &s), 3) << std::string(uptime.begin(), uptime.end());
    EXPECT_LT(m, 60u);
    EXPECT_LT(s, 60u);
}

TEST_F(VantrelProgram, ClickOnRowListsHelperModules) {
    ChildProcess helper = StartHelper();
    Vantrel app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForRow(helper.Id()));
    EXPECT_EQ(ListCount(app.Modules), 0);
    ASSERT_TRUE(app.ClickRowOf(helper.Id()));
    ASSERT_TRUE(WaitUntil([&] { return ListCount(app.Modules) >= 3; }, kStepMs));

    bool exe = false, version = false, shlwapi = false, kernel = false;
    for (int row = 0; row < ListCount(app.Modules); ++row) {
        std::wstring shown = ListText(app.Modules, row, 4);
        if (EndsWith(shown, L"vthelper-e2e.exe")) {
            exe = true;
            EXPECT_EQ(ListText(app.Modules, row, 1), L"VtHelper");
            EXPECT_EQ(ListText(app.Modules, row, 5), L"1.2.3.4");
            EXPECT_TRUE(IsShorteningOf(shown, *HelperCopy));
        }
        version |= EndsWith(shown, L"\\version.dll") || shown == L"version.dll";
        shlwapi |= EndsWith(shown, L"\\shlwapi.dll") || shown == L"shlwapi.dll";
        kernel |= EndsWith(shown, L"\\kernel32.dll") || shown == L"kernel32.dll";
    }
    EXPECT_TRUE(exe);
    EXPECT_TRUE(version);
    EXPECT_TRUE(shlwapi);
    EXPECT_TRUE(kernel);
    EXPECT_EQ(ColumnCount(app.Modules), 6);
}

TEST_F(VantrelProgram, ItemsEntriesHideAndShowColumnsAcrossRestart) {
    {
        Vantrel app;
        ASSERT_TRUE(app.Start());
        int iconWidth = ColumnWidth(app.Processes, 0);
        EXPECT_EQ(iconWidth, 20);
        ASSERT_TRUE(app.Popup(L"iv"));  // Items, Version: shown
        EXPECT_TRUE(WaitUntil([&] { return ColumnWidth(app.Processes, 5) == 80; }, kStepMs));
        ASSERT_TRUE(app.Popup(L"ii"));  // Items, Icon: hidden
        EXPECT_TRUE(WaitUntil([&] { return ColumnWidth(app.Processes, 0) == 0; }, kStepMs));
        EXPECT_EQ(ColumnWidth(app.Modules, 0), 20) << "the module list's icon column cannot be hidden";
        ASSERT_TRUE(app.Popup(L"ic"));  // Items, Company: hidden
        EXPECT_TRUE(WaitUntil([&] { return ColumnWidth(app.Processes, 2) == 0; }, kStepMs));
        EXPECT_EQ(ColumnWidth(app.Modules, 2), 0);
        ASSERT_TRUE(app.Popup(L"ic"));  // and shown again with its width
        EXPECT_TRUE(WaitUntil([&] { return ColumnWidth(app.Processes, 2) == 125; }, kStepMs));
        ASSERT_EQ(app.Exit(), 0u);
    }
    ASSERT_NO_FATAL_FAILURE(ExpectStored({{L"Items", L"5visible", L"1"},
                                          {L"Items", L"0visible", L"0"},
                                          {L"Items", L"0width", L"20", "a hidden column keeps its last width"}}));

    Vantrel again;
    ASSERT_TRUE(again.Start());
    EXPECT_EQ(ColumnWidth(again.Processes, 5), 80);
    EXPECT_EQ(ColumnWidth(again.Processes, 0), 0);
    EXPECT_EQ(ColumnWidth(again.Processes, 2), 125);
    EXPECT_EQ(ColumnWidth(again.Processes, 6), 0);
    ASSERT_TRUE(again.Popup(L"ii"));  // the Icon entry reads the restored setting: shown again
    EXPECT_TRUE(WaitUntil([&] { return ColumnWidth(again.Processes, 0) == 20; }, kStepMs));
}

TEST_F(VantrelProgram, ShutdownProcessConfirmedEndsHelperAndRemovesRow) {
    ChildProcess helper = StartHelper();
    Vantrel app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForRow(helper.Id()));
    ASSERT_TRUE(app.ClickRowOf(helper.Id()));
    RECT r{};
    ::GetWindowRect(app.Processes, &r);
    ::PostMessageW(app.Processes, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(app.Processes), MAKELPARAM(r.left + 40, r.top + 40));
    HWND menu = WaitForMenus(app.Id(), 1, kStepMs);
    ASSERT_NE(menu, nullptr);
    TypeMenuKey(menu, L'd');
    HWND box = WaitForTopWindow(app.Id(), L"#32770", L"Warning", kStepMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogText(box), L"Do you want to terminate VtHelper?\r\nPossible the system become instable or out of control.");
    ASSERT_TRUE(ClickButton(box, L"&Yes"));
    EXPECT_EQ(helper.Wait(kStepMs), 0u);
    EXPECT_TRUE(WaitUntil([&] { return app.RowOf(helper.Id()) < 0; }, kStepMs));
    // The count follows the list at the next tick.
    EXPECT_TRUE(WaitUntil([&] {
        return StatusText(app.Status, 3) == L"Process count: " + std::to_wstring(ListCount(app.Processes));
    }, kStepMs));
}

// A window of the driver's own that holds the foreground before the second start.
class ForegroundProbe {
public:
    ForegroundProbe() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VantrelE2eProbe";
        ::RegisterClassW(&wc);
        FWindow.reset(::CreateWindowExW(0, wc.lpszClassName, L"probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                        nullptr, nullptr, wc.hInstance, nullptr));
        ::SetForegroundWindow(FWindow.get());
        PumpMessages();
    }
    HWND Handle() const { return FWindow.get(); }

private:
    vtx::unique_hwnd FWindow;
};

TEST_F(VantrelProgram, SecondStartExitsWithZeroAndBringsFirstForward) {
    Vantrel app;
    ASSERT_TRUE(app.Start());
    ForegroundProbe probe;
    WaitUntil([&] { PumpMessages(); return ::GetForegroundWindow() == probe.Handle(); }, 3000);
    ASSERT_NE(ProcessOf(::GetForegroundWindow()), app.Id()) << "the probe could not take the foreground";

    ChildProcess second(VantrelPath(), L"", false);
    ASSERT_NE(second.Handle(), nullptr);
    DWORD code = STILL_ACTIVE;
    EXPECT_TRUE(WaitUntil([&] { PumpMessages(); return (code = second.Wait(0)) != STILL_ACTIVE; }, kStartMs));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(WaitUntil([&] { PumpMessages(); return ProcessOf(::GetForegroundWindow()) == app.Id(); }, kStepMs));
    EXPECT_TRUE(app.Process.Running());
}

TEST_F(VantrelProgram, ResizeRefreshesOnceAndPathColumnTakesNewWidth) {
    Vantrel app;
    ASSERT_TRUE(app.Start());
    ChildProcess before = StartHelper();
    // Started after the first refresh: listed only by the next one.
    ASSERT_LT(app.RowOf(before.Id()), 0);
    std::wstring narrowText;

    RECT r{};
    ::GetWindowRect(app.Form, &r);
    // Several size changes in a row, as a drag makes them.
    for (int width : {940, 980, 1020, 1060})
        app.Resize(width, r.bottom - r.top);
    ASSERT_TRUE(app.WaitForRow(before.Id())) << "no refresh after the resize";

    auto expectedPath = [&] {
        RECT client{};
        ::GetClientRect(app.Processes, &client);
        int sum = 0;
        for (int column : {0, 1, 2, 3, 5, 6}) sum += ColumnWidth(app.Processes, column);
        return std::min(500, static_cast<int>(client.right) - sum - ::GetSystemMetrics(SM_CXVSCROLL));
    };
    EXPECT_EQ(ColumnWidth(app.Processes, 4), expectedPath());
    std::wstring wideText = ListText(app.Processes, app.RowOf(before.Id()), 4);
    EXPECT_TRUE(IsShorteningOf(wideText, *HelperCopy));

    // No second refresh follows: a process started now stays unlisted for a few ticks.
    ChildProcess after = StartHelper(true);
    ::Sleep(2500);
    EXPECT_LT(app.RowOf(after.Id()), 0) << "more than one refresh after the resize";

    // Narrower again: the path column and its text shrink.
    app.Resize(913, r.bottom - r.top);
    ASSERT_TRUE(app.WaitForRow(after.Id())) << "no refresh after the second resize; path column "
                                            << ColumnWidth(app.Processes, 4) << ", rows " << ListCount(app.Processes);
    EXPECT_EQ(ColumnWidth(app.Processes, 4), expectedPath());
    std::wstring narrow = ListText(app.Processes, app.RowOf(before.Id()), 4);
    EXPECT_TRUE(IsShorteningOf(narrow, *HelperCopy));
    EXPECT_LT(narrow.size(), wideText.size());
}

// A visible Edit control under the window whose text holds the part.
HWND VisibleEditWith(HWND window, const std::wstring& part) {
    for (HWND edit : ChildrenOfClass(window, L"Edit"))
        if (::IsWindowVisible(edit) && TextOf(edit).find(part) != std::wstring::npos) return edit;
    return nullptr;
}

// The visible windows under a window, as a picture of which panel is shown.
std::vector<HWND> VisibleChildren(HWND window) {
    std::vector<HWND> all = ChildrenOfClass(window, nullptr), shown;
    for (HWND child : all)
        if (::IsWindowVisible(child)) shown.push_back(child);
    return shown;
}

void TypeInto(DWORD threadId, HWND fallback, const std::wstring& keys) {
    for (wchar_t key : keys) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        HWND target = ::GetGUIThreadInfo(threadId, &info) && info.hwndFocus ? info.hwndFocus : fallback;
        ::PostMessageW(target, WM_CHAR, key, 1);
    }
}

TEST_F(VantrelProgram, AboutBoxSwapsPanelsOnTypedLettersAndGivesInputBack) {
    ChildProcess helper = StartHelper();
    Vantrel app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForRow(helper.Id()));
    ASSERT_TRUE(app.MenuBar(L'a', L""));
    HWND about = WaitForTopWindow(app.Id(), nullptr, L"About", kStepMs);
    ASSERT_NE(about, nullptr) << "no about box opened";
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowEnabled(app.Form); }, kStepMs)) << "the main window stays usable";
    std::vector<HWND> aboutPanel = VisibleChildren(about);
    EXPECT_EQ(VisibleEditWith(about, L"http"), nullptr);

    DWORD thread = ::GetWindowThreadProcessId(about, nullptr);
    TypeInto(thread, about, L"url");
    EXPECT_TRUE(WaitUntil([&] { return VisibleEditWith(about, L"http") != nullptr; }, kStepMs))
        << "typed url shows no addresses";
    EXPECT_NE(VisibleChildren(about), aboutPanel);
    TypeInto(thread, about, L"1");
    EXPECT_TRUE(WaitUntil([&] { return VisibleEditWith(about, L"http") == nullptr; }, kStepMs));
    EXPECT_TRUE(WaitUntil([&] { return VisibleChildren(about) == aboutPanel; }, kStepMs))
        << "a digit does not bring the about panel back";

    ASSERT_TRUE(ClickButton(about, L"&Ok"));
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(about) || !::IsWindowVisible(about); }, kStepMs));
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(app.Form) != FALSE; }, kStepMs));
    // Input reaches the main window again: a click fills the module list.
    ASSERT_TRUE(app.ClickRowOf(helper.Id()));
    EXPECT_TRUE(WaitUntil([&] { return ListCount(app.Modules) > 0; }, kStepMs));
}

namespace {

void PressKeys(std::initializer_list<std::pair<WORD, bool>> keys) {
    std::vector<INPUT> inputs;
    for (auto [key, up] : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::wstring ClipboardText() {
    if (!::OpenClipboard(nullptr)) return {};
    std::wstring text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) text = chars;
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}

} // namespace

// Typed Ctrl+C on the clicked row: the row with its full path as text on the clipboard.
TEST_F(VantrelProgram, CtrlCOnAClickedRowPutsItOnTheClipboard) {
    ChildProcess helper = StartHelper();
    Vantrel app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForRow(helper.Id()));
    ASSERT_TRUE(app.ClickRowOf(helper.Id()));
    if (::OpenClipboard(nullptr)) {
        ::EmptyClipboard();
        ::CloseClipboard();
    }
    ::SetForegroundWindow(app.Form);
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == app.Form; }, kStepMs));
    PressKeys({{VK_CONTROL, false}, {'C', false}, {'C', true}, {VK_CONTROL, true}});
    const std::wstring expected = L"Process\tCompany\tDescription\tPath and filename\r\n"
                                  L"VtHelper\tQuelmar Test Lab\tVantrel test helper\t";
    std::wstring text;
    EXPECT_TRUE(WaitUntil([&] { return !(text = ClipboardText()).empty(); }, kStepMs)) << "nothing was copied";
    ASSERT_GT(text.size(), expected.size());
    EXPECT_EQ(text.substr(0, expected.size()), expected);
    EXPECT_EQ(::lstrcmpiW(text.substr(expected.size()).c_str(), HelperCopy->c_str()), 0);
    EXPECT_EQ(ListText(app.Processes, app.RowOf(helper.Id()), 1), L"VtHelper") << "the list is unchanged";
}

// The shipped file carries no symbols but keeps its version, manifest and icon.
TEST_F(VantrelProgram, TheShippedFileIsStrippedAndKeepsItsResources) {
    const vtx::unique_hmodule owned(
        ::LoadLibraryExW(VantrelPath().c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(owned);
    const HMODULE image = owned.get();
    struct Resource { LPCWSTR type; const char* what; };
    for (Resource r : {Resource{RT_VERSION, "version"}, Resource{RT_MANIFEST, "manifest"},
                       Resource{RT_GROUP_ICON, "icon"}})
        EXPECT_NE(::FindResourceW(image, MAKEINTRESOURCEW(1), r.type), nullptr) << r.what;

    vtx::unique_file_handle file(::CreateFileW(VantrelPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    std::vector<char> bytes(4096);
    DWORD read = 0;
    ASSERT_TRUE(::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
    ASSERT_LT(static_cast<DWORD>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS64), read);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(bytes.data() + dos->e_lfanew);
    EXPECT_EQ(nt->FileHeader.PointerToSymbolTable, 0u);
    EXPECT_EQ(nt->FileHeader.NumberOfSymbols, 0u);
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file.get(), &size);
    EXPECT_LT(size.QuadPart, 1200 * 1024) << "symbols left in the shipped file";
}

// What the manifest asks of Windows: per-monitor dpi awareness, and paths
// past MAX_PATH where the system allows them.
TEST_F(VantrelProgram, TheManifestDeclaresPerMonitorDpiAndLongPaths) {
    const vtx::unique_hmodule owned(
        ::LoadLibraryExW(VantrelPath().c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(owned);
    const HMODULE image = owned.get();
    HRSRC found = ::FindResourceW(image, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const char* data = static_cast<const char*>(::LockResource(::LoadResource(image, found)));
    const std::string manifest(data, ::SizeofResource(image, found));
    for (const char* setting :
         {"<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true</longPathAware>",
          "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
          "PerMonitorV2, PerMonitor</dpiAwareness>",
          "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>"})
        EXPECT_NE(manifest.find(setting), std::string::npos) << setting;
    // Both belong to the application's windows settings.
    const size_t settings = manifest.find("<asmv3:windowsSettings>");
    ASSERT_NE(settings, std::string::npos);
    EXPECT_GT(manifest.find("<longPathAware"), settings);
    EXPECT_LT(manifest.find("<longPathAware"), manifest.find("</asmv3:windowsSettings>"));
}

TEST_F(VantrelProgram, FileExitWritesPlacementAndFourteenItemValues) {
    Vantrel app;
    ASSERT_TRUE(app.Start());
    const RECT r = app.Resize(990, 640);
    ASSERT_EQ(app.Exit(), 0u);

    ASSERT_NO_FATAL_FAILURE(ExpectStored(StoredPlacement(r)));

    std::wstring value;
    const wchar_t* widths[] = {L"20", L"235", L"125", L"220", nullptr, L"80", L"65"};
    const wchar_t* visible[] = {L"1", L"1", L"1", L"1", L"1", L"0", L"0"};
    for (int i = 0; i < 7; ++i) {
        std::wstring n = std::to_wstring(i);
        ASSERT_TRUE(ReadTestValue(kTitle, L"Items", n + L"width", value)) << i;
        if (widths[i]) {
            EXPECT_EQ(value, widths[i]) << i;
        }
        ASSERT_TRUE(ReadTestValue(kTitle, L"Items", n + L"visible", value)) << i;
        EXPECT_EQ(value, visible[i]) << i;
    }
}

TEST_F(VantrelProgram, TheEndOfTheSessionWritesTheSettingsBeforeTheProcessIsEnded) {
    Vantrel app;
    ASSERT_TRUE(app.Start());
    const RECT r = app.Resize(1010, 650);
    ASSERT_TRUE(app.Popup(L"iv"));  // Items, Version: shown
    ASSERT_TRUE(WaitUntil([&] { return ColumnWidth(app.Processes, 5) == 80; }, kStepMs));
    // As Windows does at a sign-out: every top-level window is asked, then
    // told, and the process may be ended right after.
    const std::vector<HWND> windows = WindowsOfProcess(app.Id());
    ASSERT_FALSE(windows.empty());
    for (HWND wnd : windows) {
        DWORD_PTR answer = 0;
        ::SendMessageTimeoutW(wnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, kStepMs, &answer);
        EXPECT_NE(answer, 0u) << "a window refused the end of the session";
    }
    for (HWND wnd : windows)
        ::SendMessageTimeoutW(wnd, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, kStepMs, nullptr);
    ::TerminateProcess(app.Process.Handle(), 0);
    app.Process.Wait(kStepMs);

    ASSERT_NO_FATAL_FAILURE(ExpectStored({{L"Forms", L"frmMainWidth", std::to_wstring(r.right - r.left)},
                                          {L"Forms", L"frmMainHeight", std::to_wstring(r.bottom - r.top)},
                                          {L"Items", L"5visible", L"1"},
                                          {L"Items", L"1width", L"235"}}));
}

} // namespace
