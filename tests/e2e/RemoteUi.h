// Driving another process's windows as a user's tools would: reading its list
// views and status bar through memory in that process, clicking rows, opening
// menus with the keyboard and answering its message boxes.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "base/Handle.h"
#include "helpers/TestSupport.h"

namespace vtest {

// A block of memory in the process that owns a window, freed with the object.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, size_t length);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    explicit operator bool() const noexcept { return FAddress != nullptr; }
    char* Address() const noexcept { return static_cast<char*>(FAddress); }
    bool Write(const void* data, size_t length, size_t offset = 0) const;
    bool Read(void* data, size_t length, size_t offset = 0) const;

private:
    vtx::unique_handle FProcess;
    void* FAddress = nullptr;
};

std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window);
DWORD ProcessOf(HWND window);
// Descendants of a window of one class (any class for null), in enumeration order.
std::vector<HWND> ChildrenOfClass(HWND parent, const wchar_t* className);
// A visible top-level window of the process with that class (and caption when given).
HWND FindTopWindow(DWORD pid, const wchar_t* className, const wchar_t* caption = nullptr);
HWND WaitForTopWindow(DWORD pid, const wchar_t* className, const wchar_t* caption, DWORD ms);

// List views of another process.
int ListCount(HWND list);
std::wstring ListText(HWND list, int row, int subItem);
int ColumnWidth(HWND list, int column);
int ColumnCount(HWND list);
int FocusedRow(HWND list);
// The first row whose sub-item holds the text; -1 when none.
int FindRow(HWND list, int subItem, const std::wstring& text);
// A left click in the middle of the row's first text column.
bool ClickRow(HWND list, int row);

// Status bars of another process.
int StatusPartCount(HWND bar);
std::wstring StatusText(HWND bar, int part);

// Visible popup-menu windows (#32768) of a process.
std::vector<HWND> MenuWindows(DWORD pid);
// Waits until the process shows count menu windows; the last one opened or 0.
HWND WaitForMenus(DWORD pid, size_t count, DWORD ms);
// Types an access key into the open menu.
void TypeMenuKey(HWND menuWindow, wchar_t key);
// Opens the menu bar item with that access key through the keyboard menu loop.
void OpenMenuBarItem(HWND form, wchar_t key);

// Clicks the dialog button with that caption; false when there is none.
bool ClickButton(HWND dialog, const std::wstring& caption);
// The texts of a dialog's static controls, joined by line breaks.
std::wstring DialogText(HWND dialog);

} // namespace vtest
