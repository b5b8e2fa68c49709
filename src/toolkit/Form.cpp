#include "toolkit/Form.h"
#include "toolkit/Application.h"
#include "toolkit/Dpi.h"
#include "toolkit/Menu.h"
#include "toolkit/Placement.h"

namespace vtx {

TForm::TForm(const std::wstring& windowClass, TBorderStyle border, int designLeft, int designTop, int designWidth,
             int designHeight, DWORD extraStyle, DWORD extraExStyle)
    : FBorderStyle(border) {
    Application().Initialize();
    RegisterToolkitClass(windowClass.c_str(), IDC_ARROW, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                         ::LoadIconW(Application().Instance(), MAKEINTRESOURCEW(1)));
    UINT dpi = SystemDpi();
    DWORD style = WS_CLIPCHILDREN | extraStyle;
    DWORD exStyle = extraExStyle;
    if (border == TBorderStyle::bsSizeable) {
        style |= WS_OVERLAPPEDWINDOW;
    } else {
        style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
        exStyle |= WS_EX_DLGMODALFRAME;
    }
    // Forms after the main one belong to the hidden application window, so
    // they get no taskbar button of their own.
    HWND owner = Application().MainForm() ? Application().Handle() : nullptr;
    HWND wnd = ::CreateWindowExW(exStyle, windowClass.c_str(), L"", style, ScaleToDpi(designLeft, dpi),
                                 ScaleToDpi(designTop, dpi), ScaleToDpi(designWidth, dpi),
                                 ScaleToDpi(designHeight, dpi), owner, nullptr, Application().Instance(),
                                 static_cast<TControl*>(this));
    AttachHandle(wnd);
    FDpi = WindowDpi(wnd);
    CreateDesignFont(FDpi);
    Application().RegisterForm(this);
}

TForm::~TForm() {
    Application().UnregisterForm(this);
    if (FMenu && FHandle) ::SetMenu(FHandle, nullptr);
}

void TForm::CreateDesignFont(UINT dpi) {
    LOGFONTW lf{};
    lf.lfHeight = -::MulDiv(8, static_cast<int>(dpi), 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(lf.lfFaceName, L"MS Sans Serif");
    FFont.reset(::CreateFontIndirectW(&lf));
    SetFont(FFont.get());
}

void TForm::ApplyFontToChildren() {
    ::EnumChildWindows(
        FHandle,
        [](HWND child, LPARAM font) noexcept -> BOOL {
            ::SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(FFont.get()));
}

int TForm::TextWidth(const std::wstring& text) const { return TTextMeasurer(FHandle, FFont.get()).Width(text); }

TWindowState TForm::WindowState() const noexcept {
    if (::IsIconic(FHandle)) return TWindowState::wsMinimized;
    if (::IsZoomed(FHandle)) return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
}

void TForm::SetWindowState(TWindowState state) {
    int cmd = state == TWindowState::wsMinimized ? SW_MINIMIZE
              : state == TWindowState::wsMaximized ? SW_MAXIMIZE
                                                   : SW_RESTORE;
    ::ShowWindow(FHandle, cmd);
}

namespace {

RECT WorkAreaOf(HMONITOR monitor) noexcept {
    MONITORINFO mi{sizeof mi};
    if (!::GetMonitorInfoW(monitor, &mi)) ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &mi.rcWork, 0);
    return mi.rcWork;
}

} // namespace

TMonitorWorkAreaSeam& MonitorWorkAreaSeam() {
    static TMonitorWorkAreaSeam seam;
    return seam;
}

RECT MonitorWorkAreaOf(HWND wnd) {
    if (const TMonitorWorkAreaSeam& seam = MonitorWorkAreaSeam()) return seam(wnd);
    return WorkAreaOf(::MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST));
}

void TForm::PlaceCentered() {
    RECT r{};
    ::GetWindowRect(FHandle, &r);
    const RECT work = CenterOnMonitorOf ? MonitorWorkAreaOf(CenterOnMonitorOf)
                                        : WorkAreaOf(::MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST));
    // A monitor of another dpi rescales the form on the way there (WM_DPICHANGED):
    // the new size is centred once more.
    for (int pass = 0; pass < 2; ++pass) {
        const TScreenPoint at = CenteredOrigin({work.left, work.top, work.right, work.bottom}, r.right - r.left,
                                               r.bottom - r.top);
        ::SetWindowPos(FHandle, nullptr, at.X, at.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT now{};
        ::GetWindowRect(FHandle, &now);
        if (now.right - now.left == r.right - r.left && now.bottom - now.top == r.bottom - r.top) break;
        r = now;
    }
}

void TForm::Show() {
    if (!FShownOnce) {
        FShownOnce = true;
        if (CenterOnShow) PlaceCentered();
    }
    ::ShowWindow(FHandle, SW_SHOW);
    ::SetForegroundWindow(FHandle);
}

void TForm::Hide() { ::ShowWindow(FHandle, SW_HIDE); }

void TForm::Close() {
    TCloseAction action = TCloseAction::caHide;
    // A handler that failed keeps the form as it is.
    if (!FireEvent(OnClose, this, action)) return;
    if (action == TCloseAction::caNone) return;
    if (Application().MainForm() == this) {
        // The window itself stays until the application frees it, so its
        // placement and columns can still be read after the loop ends.
        Hide();
        Application().Terminate();
    } else {
        Hide();
    }
}

void TForm::SetMenu(TMainMenu* menu) {
    FMenu = menu;
    ::SetMenu(FHandle, menu ? menu->Handle() : nullptr);
}

void TForm::SetAlphaBlend(bool on) {
    LONG ex = ::GetWindowLongW(FHandle, GWL_EXSTYLE);
    ::SetWindowLongW(FHandle, GWL_EXSTYLE, on ? (ex | WS_EX_LAYERED) : (ex & ~WS_EX_LAYERED));
    if (on) ::SetLayeredWindowAttributes(FHandle, 0, FAlpha, LWA_ALPHA);
}

void TForm::SetAlphaBlendValue(BYTE value) {
    FAlpha = value;
    if (::GetWindowLongW(FHandle, GWL_EXSTYLE) & WS_EX_LAYERED)
        ::SetLayeredWindowAttributes(FHandle, 0, value, LWA_ALPHA);
}

bool TForm::DispatchMenuCommand(WORD id) {
    TMenuItem* item = TMenuItem::FromCommand(id);
    if (!item) return false;
    FireEvent(item->OnClick, item);
    return true;
}

LRESULT TForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (FormMessage(msg, wp, lp, result)) return result;
    if (RouteChildMessage(msg, wp, lp, result)) return result;
    switch (msg) {
    case WM_SIZE:
        Resized();
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_ENDSESSION:
        if (wp) FireEvent(OnEndSession, this);
        return 0;
    case WM_COMMAND:
        if (lp == 0 && DispatchMenuCommand(LOWORD(wp))) return 0;
        break;
    case WM_INITMENUPOPUP:
        if (TMenuItem* item = TMenuItem::FromSubmenu(reinterpret_cast<HMENU>(wp))) {
            FireEvent(item->OnClick, item);
            return 0;
        }
        break;
    case WM_ACTIVATE:
        FireEvent(LOWORD(wp) == WA_INACTIVE ? OnDeactivate : OnActivate, this);
        break;
    case WM_MOUSEMOVE:
        FireEvent(OnMouseMove, this, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        break;
    case WM_DPICHANGED: {
        auto* suggested = reinterpret_cast<RECT*>(lp);
        const UINT oldDpi = FDpi, newDpi = HIWORD(wp);
        if (newDpi == 0) return 0;
        FDpi = newDpi;
        CreateDesignFont(newDpi);
        ApplyFontToChildren();
        if (oldDpi != 0 && oldDpi != newDpi) ScaleForDpi(oldDpi, newDpi);
        ::SetWindowPos(FHandle, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        Realign();
        if (oldDpi != newDpi) FireEvent(OnDpiChanged, this, oldDpi, newDpi);
        return 0;
    }
    }
    return ::DefWindowProcW(FHandle, msg, wp, lp);
}

} // namespace vtx
