// The window toolkit's base: components with names and tags, controls that
// wrap one window each, and containers that align their children.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "base/Handle.h"
#include "toolkit/Events.h"

namespace vtx {

class TComponent {
public:
    TComponent() = default;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    virtual ~TComponent() = default;

    std::wstring Name;
    std::intptr_t Tag = 0;
};

using TNotifyEvent = std::function<void(TComponent* sender)>;

enum class TAlign { alNone, alTop, alBottom, alClient };

class TWinControl;

// Measures texts with one font on one window's drawing surface. The device
// context is held for the measurer's life, so a batch of texts needs one.
class TTextMeasurer {
public:
    TTextMeasurer(HWND wnd, HFONT font) noexcept : FDC(wnd), FFont(FDC.get(), font) {}
    int Width(const std::wstring& text) const noexcept {
        SIZE size{};
        ::GetTextExtentPoint32W(FDC.get(), text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

private:
    window_dc FDC;
    select_object FFont;
};

// The owner of a control's window: destroys it with the control. It reads as
// the window's HWND, so code of a control uses it as one. When the system
// destroys the window first (its parent went, or someone called DestroyWindow)
// the control lets go of it on WM_NCDESTROY and holds nothing from then on.
class TWindowHandle : public unique_hwnd {
public:
    using unique_hwnd::unique_hwnd;
    operator HWND() const noexcept { return get(); }
};

// A control backed by one window. The window is destroyed with the object,
// unless it was destroyed before: then Handle() is nullptr.
class TControl : public TComponent {
public:
    ~TControl() override;

    HWND Handle() const noexcept { return FHandle.get(); }
    TWinControl* Parent() const noexcept { return FParent; }
    // The control object of a window made by this toolkit, or nullptr.
    static TControl* FromHandle(HWND wnd) noexcept;

    TAlign Align() const noexcept { return FAlign; }
    void SetAlign(TAlign align);

    // Position and size relative to the parent's client area, in pixels.
    RECT BoundsRect() const noexcept;
    int Left() const noexcept { return BoundsRect().left; }
    int Top() const noexcept { return BoundsRect().top; }
    int Width() const noexcept;
    int Height() const noexcept;
    void SetBounds(int left, int top, int width, int height);
    void SetWidth(int width) { RECT r = BoundsRect(); SetBounds(r.left, r.top, width, r.bottom - r.top); }
    void SetHeight(int height) { RECT r = BoundsRect(); SetBounds(r.left, r.top, r.right - r.left, height); }
    int ClientWidth() const noexcept;
    int ClientHeight() const noexcept;

    bool Visible() const noexcept { return FHandle && ::IsWindowVisible(FHandle); }
    void SetVisible(bool visible);
    bool Enabled() const noexcept { return FHandle && ::IsWindowEnabled(FHandle); }
    void SetEnabled(bool enabled);
    std::wstring Text() const;
    void SetText(const std::wstring& text);
    void SetFont(HFONT font) noexcept;
    HFONT Font() const noexcept;
    void Repaint() noexcept;
    // Moves the control to another container, or takes it out of any (nullptr).
    void SetParent(TWinControl* parent);

    // Scales a 96-dpi length to the dpi of the control's window.
    int Scale(int value) const noexcept;
    // The dpi of the form the control sits on, as its last WM_DPICHANGED gave it.
    UINT Dpi() const noexcept;
    // After a move to a monitor of another dpi: rescales what the control sized
    // itself (columns, panels, children); its own bounds are its parent's part.
    virtual void ScaleForDpi(UINT oldDpi, UINT newDpi) {}

    std::wstring Hint;
    TNotifyEvent OnResize;

    // Notifications sent by this control to its parent, routed back here.
    virtual LRESULT HandleNotify(NMHDR* header) { return 0; }
    virtual void HandleCommand(WORD notifyCode) {}
    virtual bool HandleColor(HDC dc, LRESULT& result) { return false; }

protected:
    TControl() = default;
    // Creates the window as a child of parent (or a hidden holder when none).
    void CreateHandle(TWinControl* parent, DWORD exStyle, const wchar_t* className, DWORD style,
                      const std::wstring& text);
    // Wraps an existing window (used by forms, which create their own); the
    // control owns it from now on.
    void AttachHandle(HWND wnd) noexcept;
    // Destroys the window now (its child windows with it: their controls are
    // left with a null handle). Messages of this window no longer reach the
    // control while it goes.
    void DestroyHandle() noexcept;
    // Registers a window class of this toolkit once; its windows hand every
    // message to HandleMessage, and no exception leaves the procedure.
    static void RegisterToolkitClass(const wchar_t* className, LPCWSTR cursor = IDC_ARROW,
                                     HBRUSH background = nullptr, HICON icon = nullptr);
    // A visible window of a toolkit class under parent, at bounds given at 96 dpi.
    void CreateToolkitWindow(TWinControl* parent, const wchar_t* className, int left, int top, int width,
                             int height, DWORD exStyle = 0, DWORD style = 0);
    static LRESULT CALLBACK ToolkitWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    // Messages of a window of a toolkit class; the platform's handling by default.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    // For controls that draw themselves: skips erasing and has Paint draw the
    // window for WM_PAINT. True when the message was one of those.
    bool PaintMessage(UINT msg, LRESULT& result);
    virtual void Paint(HDC dc) {}
    // Per-control handling of its own window's messages (common controls are
    // subclassed). Return true when handled.
    virtual bool WindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return false; }
    // Replaces the window procedure (not SetWindowSubclass: see Controls.cpp).
    void Subclass() noexcept;
    // The window procedure the control had before it was subclassed.
    LRESULT CallOriginal(UINT msg, WPARAM wp, LPARAM lp) noexcept;
    void Resized() noexcept;

    TWindowHandle FHandle;
    TWinControl* FParent = nullptr;
    TAlign FAlign = TAlign::alNone;
    // Kept by forms: the window's own dpi does not change when a test (or an
    // older system) sends WM_DPICHANGED.
    UINT FDpi = 0;

private:
    static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    void Unsubclass() noexcept;
    // WM_NCDESTROY: the window is going without the control's doing.
    void HandleDestroyed() noexcept;
    bool FSubclassed = false;
    WNDPROC FOriginalProc = nullptr;
    friend class TWinControl;
};

// A control that holds other controls and aligns them.
class TWinControl : public TControl {
public:
    ~TWinControl() override;
    const std::vector<TControl*>& Controls() const noexcept { return FControls; }
    // Lays out the aligned children: top and bottom ones in insertion order
    // from the edges inwards, then the client one in what is left.
    void Realign();
    // Scales every child's bounds and contents, then lays them out again.
    void ScaleForDpi(UINT oldDpi, UINT newDpi) override;
    COLORREF Color = ::GetSysColor(COLOR_BTNFACE);

    using TMouseMoveEvent = std::function<void(TComponent* sender, int x, int y)>;
    TMouseMoveEvent OnMouseMove;

protected:
    // Routes child notifications; containers call it from their window procedure.
    bool RouteChildMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control) noexcept;

private:
    std::vector<TControl*> FControls;
    friend class TControl;
};

} // namespace vtx
