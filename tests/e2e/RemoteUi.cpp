#include "e2e/RemoteUi.h"
#include <commctrl.h>
#include <cstring>

namespace vtest {

namespace {

constexpr UINT kSendTimeoutMs = 5000;

LRESULT SendTo(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, msg, wp, lp, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) return -1;
    return static_cast<LRESULT>(result);
}

constexpr size_t kTextChars = 1024;

} // namespace

RemoteBuffer::RemoteBuffer(HWND window, size_t length) {
    DWORD pid = ProcessOf(window);
    FProcess.reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (FProcess)
        FAddress = ::VirtualAllocEx(FProcess.get(), nullptr, length, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteBuffer::~RemoteBuffer() {
    if (FAddress) ::VirtualFreeEx(FProcess.get(), FAddress, 0, MEM_RELEASE);
}

bool RemoteBuffer::Write(const void* data, size_t length, size_t offset) const {
    SIZE_T done = 0;
    return FAddress && ::WriteProcessMemory(FProcess.get(), Address() + offset, data, length, &done) && done == length;
}

bool RemoteBuffer::Read(void* data, size_t length, size_t offset) const {
    SIZE_T done = 0;
    return FAddress && ::ReadProcessMemory(FProcess.get(), Address() + offset, data, length, &done) && done == length;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

std::wstring TextOf(HWND window) {
    wchar_t text[kTextChars] = {};
    SendTo(window, WM_GETTEXT, kTextChars, reinterpret_cast<LPARAM>(text));
    return text;
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const wchar_t* className) {
    struct Ctx { const wchar_t* name; std::vector<HWND> found; } ctx{className, {}};
    ::EnumChildWindows(
        parent,
        [](HWND child, LPARAM lp) noexcept -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            if (!c->name || ClassOf(child) == c->name) c->found.push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

HWND FindTopWindow(DWORD pid, const wchar_t* className, const wchar_t* caption) {
    struct Ctx { DWORD pid; const wchar_t* name; const wchar_t* caption; HWND found; } ctx{pid, className, caption, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM lp) noexcept -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            if (ProcessOf(window) != c->pid || !::IsWindowVisible(window)) return TRUE;
            if (c->name && ClassOf(window) != c->name) return TRUE;
            if (c->caption && TextOf(window) != c->caption) return TRUE;
            c->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

HWND WaitForTopWindow(DWORD pid, const wchar_t* className, const wchar_t* caption, DWORD ms) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(pid, className, caption)) != nullptr; }, ms);
    return found;
}

int ListCount(HWND list) { return static_cast<int>(SendTo(list, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring ListText(HWND list, int row, int subItem) {
    RemoteBuffer buffer(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    if (!buffer) return {};
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = subItem;
    item.pszText = reinterpret_cast<LPWSTR>(buffer.Address() + sizeof(LVITEMW));
    item.cchTextMax = static_cast<int>(kTextChars);
    wchar_t empty = 0;
    buffer.Write(&item, sizeof item);
    buffer.Write(&empty, sizeof empty, sizeof(LVITEMW));
    if (SendTo(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.Address())) < 0)
        return {};
    wchar_t text[kTextChars] = {};
    buffer.Read(text, sizeof text - sizeof(wchar_t), sizeof(LVITEMW));
    return text;
}

int ColumnWidth(HWND list, int column) {
    return static_cast<int>(SendTo(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

int ColumnCount(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendTo(list, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendTo(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int FocusedRow(HWND list) {
    return static_cast<int>(SendTo(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

int FindRow(HWND list, int subItem, const std::wstring& text) {
    int count = ListCount(list);
    for (int row = 0; row < count; ++row)
        if (ListText(list, row, subItem) == text) return row;
    return -1;
}

bool ClickRow(HWND list, int row) {
    RemoteBuffer buffer(list, sizeof(RECT));
    if (!buffer) return false;
    // Sub-item 1's rectangle: a point on the row's text, whatever column 0's width is.
    RECT rect{LVIR_BOUNDS, 1, 0, 0};
    buffer.Write(&rect, sizeof rect);
    if (!SendTo(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.Address())))
        return false;
    buffer.Read(&rect, sizeof rect);
    LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(list, WM_LBUTTONUP, 0, at);
    return true;
}

int StatusPartCount(HWND bar) { return static_cast<int>(SendTo(bar, SB_GETPARTS, 0, 0)); }

std::wstring StatusText(HWND bar, int part) {
    RemoteBuffer buffer(bar, kTextChars * sizeof(wchar_t));
    if (!buffer) return {};
    LRESULT info = SendTo(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0);
    if (info < 0 || LOWORD(info) >= kTextChars) return {};
    SendTo(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(buffer.Address()));
    std::wstring text(LOWORD(info), L'\0');
    buffer.Read(text.data(), text.size() * sizeof(wchar_t));
    return text;
}

std::vector<HWND> MenuWindows(DWORD pid) {
    struct Ctx { DWORD pid; std::vector<HWND> found; } ctx{pid, {}};
    ::EnumWindows(
        [](HWND window, LPARAM lp) noexcept -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            if (ProcessOf(window) == c->pid && ::IsWindowVisible(window) && ClassOf(window) == L"#32768")
                c->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

HWND WaitForMenus(DWORD pid, size_t count, DWORD ms) {
    HWND last = nullptr;
    WaitUntil(
        [&] {
            auto menus = MenuWindows(pid);
            if (menus.size() < count) return false;
            last = menus.front();  // enumeration runs from the top of the Z order
            return true;
        },
        ms);
    return last;
}

void TypeMenuKey(HWND menuWindow, wchar_t key) {
    // The menu loop reads every keyboard message of its thread's queue.
    ::PostMessageW(menuWindow, WM_CHAR, key, 1);
}

void OpenMenuBarItem(HWND form, wchar_t key) { ::PostMessageW(form, WM_SYSCOMMAND, SC_KEYMENU, key); }

bool ClickButton(HWND dialog, const std::wstring& caption) {
    for (HWND button : ChildrenOfClass(dialog, L"Button")) {
        if (TextOf(button) != caption) continue;
        SendTo(button, BM_CLICK, 0, 0);
        return true;
    }
    return false;
}

std::wstring DialogText(HWND dialog) {
    std::wstring text;
    for (HWND label : ChildrenOfClass(dialog, L"Static")) {
        std::wstring part = TextOf(label);
        if (part.empty()) continue;
        if (!text.empty()) text += L"\n";
        text += part;
    }
    return text;
}

} // namespace vtest
