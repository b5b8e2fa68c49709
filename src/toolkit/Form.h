// Top-level forms: component name, caption, placement, border, window state,
// the designed font scaled to the monitor, a main menu, key preview.
#pragma once
#include "toolkit/Controls.h"
#include "base/Handle.h"

namespace vtx {

class TMainMenu;

// The work area of the monitor a window is on (the nearest one when it is on
// none). Tests answer for monitors that the test display does not have; empty:
// the system answers.
using TMonitorWorkAreaSeam = std::function<RECT(HWND wnd)>;
TMonitorWorkAreaSeam& MonitorWorkAreaSeam();
RECT MonitorWorkAreaOf(HWND wnd);

enum class TBorderStyle { bsSizeable, bsDialog };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TCloseAction { caNone, caHide, caFree };

class TForm : public TWinControl {
public:
    // windowClass is registered on first use; designed sizes are at 96 dpi and
    // scaled to the dpi of the primary monitor.
    TForm(const std::wstring& windowClass, TBorderStyle border, int designLeft, int designTop, int designWidth,
          int designHeight, DWORD extraStyle = 0, DWORD extraExStyle = 0);
    ~TForm() override;

    std::wstring Caption() const { return Text(); }
    void SetCaption(const std::wstring& caption) { SetText(caption); }
    TBorderStyle BorderStyle() const noexcept { return FBorderStyle; }
    TWindowState WindowState() const noexcept;
    void SetWindowState(TWindowState state);

    // Centred on the work area of the monitor nearest to its rectangle when
    // first shown, top-left kept inside that work area.
    bool CenterOnShow = true;
    // When set, CenterOnShow centres the form on the monitor this window is on.
    HWND CenterOnMonitorOf = nullptr;
    void Show();
    void Hide();
    // Asks the form to close: OnClose decides; the main form ends the run.
    void Close();
    void SetMenu(TMainMenu* menu);
    TMainMenu* Menu() const noexcept { return FMenu; }

    // The form's designed font ("MS Sans Serif", 8 pt) at the form's dpi.
    HFONT DesignFont() const noexcept { return FFont.get(); }
    // Applies the designed font to every child made so far.
    void ApplyFontToChildren();
    // Text width in pixels with the form's font.
    int TextWidth(const std::wstring& text) const;

    void SetAlphaBlend(bool on);
    void SetAlphaBlendValue(BYTE value);
    BYTE AlphaBlendValue() const noexcept { return FAlpha; }

    int ModalResult = 0;
    bool KeyPreview = false;
    std::function<void(TComponent* sender, wchar_t& key)> OnKeyPress;
    std::function<void(TComponent* sender, TCloseAction& action)> OnClose;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    // After the form and its children were scaled to a monitor of another dpi.
    std::function<void(TComponent* sender, UINT oldDpi, UINT newDpi)> OnDpiChanged;
    // The session ends (sign-out, restart, shutdown): the process may be ended
    // right after this returns, before any message loop ends.
    TNotifyEvent OnEndSession;
    // Called for commands of a menu or of a popup menu tracked for this form.
    bool DispatchMenuCommand(WORD id);

protected:
    virtual bool FormMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return false; }

private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void CreateDesignFont(UINT dpi);
    void PlaceCentered();

    TBorderStyle FBorderStyle;
    TMainMenu* FMenu = nullptr;
    unique_hfont FFont;
    unique_hbrush FBackground;
    BYTE FAlpha = 255;
    bool FShownOnce = false;
};

} // namespace vtx
