#include "views/KbxViewAbout.h"
#include <vector>
#include "fileinfo/VtxFileUtils.h"
#include "toolkit/Application.h"
#include "base/ModulePath.h"
#include "base/Handle.h"
#include "views/AboutLogic.h"
#include "views/KbxHyperlink.h"

namespace vtx {

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kMaroon = RGB(128, 0, 0);
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kSilver = RGB(192, 192, 192);

TFontSpec LabelFont(COLORREF color, int height, TFontStyles style = 0) {
    TFontSpec font;
    font.Height = height;
    font.Color = color;
    font.Style = style;
    return font;
}

std::unique_ptr<TLabel> MakeLabel(TWinControl* parent, const wchar_t* name, int left, int top, int width,
                                  int height, const TFontSpec& font) {
    auto label = std::make_unique<TLabel>(parent, name, left, top, width, height);
    label->Color = kWhite;
    label->SetFontSpec(font);
    return label;
}

std::wstring ProgramFileName() { return ModuleFileName(); }
} // namespace

TfrmAbout::TfrmAbout()
    : TForm(L"TfrmAbout", TBorderStyle::bsDialog, 0, 0, 360, 240, 0, WS_EX_TOPMOST) {
    Name = L"frmAbout";
    SetCaption(L"About");
    FBorderWidth = Scale(5);
    // Client area 342 x 202 inside a border of 5.
    RECT r{0, 0, Scale(342) + 2 * FBorderWidth, Scale(202) + 2 * FBorderWidth};
    ::AdjustWindowRectEx(&r, static_cast<DWORD>(::GetWindowLongW(FHandle, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongW(FHandle, GWL_EXSTYLE)));
    ::SetWindowPos(FHandle, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);

    Panel2 = std::make_unique<TPanel>(this, L"Panel2", 0, 170, 342, 32);
    Panel2->SetBevels(TBevelCut::bvNone, TBevelCut::bvNone);
    Panel2->SetAlign(TAlign::alBottom);
    OKButton = std::make_unique<TButton>(Panel2.get(), L"OKButton", L"&Ok", 134, 5, 75, 25, true);
    OKButton->ModalResult = 1;
    OKButton->SetFont(DesignFont());

    HostPanel = std::make_unique<TPanel>(this, L"HostPanel", 0, 0, 342, 170);
    HostPanel->Color = kWhite;
    HostPanel->SetBevels(TBevelCut::bvNone, TBevelCut::bvNone);
    HostPanel->SetAlign(TAlign::alClient);
    AboutPanel = std::make_unique<TPanel>(HostPanel.get(), L"AboutPanel", 0, 0, 342, 170);
    AboutPanel->Color = kWhite;
    AboutPanel->SetBevels(TBevelCut::bvRaised, TBevelCut::bvLowered);
    AboutPanel->SetAlign(TAlign::alClient);

    TWinControl* about = AboutPanel.get();
    ProductName = MakeLabel(about, L"ProductName", 12, 12, 177, 29, LabelFont(kMaroon, -24, fsBold));
    ProductName->SetAutoSize(false);
    Version = MakeLabel(about, L"Version", 194, 25, 80, 13, LabelFont(kNavy, -11, fsBold));
    Copyright = MakeLabel(about, L"Copyright", 12, 50, 200, 13, LabelFont(0, -11));
    lblEmail = MakeLabel(about, L"lblEmail", 170, 80, 162, 13, LabelFont(0, -11));
    lblEmail->SetAlignment(TAlignment::taRightJustify);
    lblSite = MakeLabel(about, L"lblSite", 252, 97, 80, 13, LabelFont(0, -11));
    lblSite->SetAlignment(TAlignment::taRightJustify);
    lblSite->SetCaption(kMakerSiteName);
    CopyrightLabel = MakeLabel(about, L"CopyrightLabel", 0, 123, 338, 45, LabelFont(kGrey, -11));
    CopyrightLabel->SetAutoSize(false);
    CopyrightLabel->SetAlignment(TAlignment::taCenter);
    CopyrightLabel->Layout = TTextLayout::tlCenter;
    CopyrightLabel->WordWrap = true;
    CopyrightLabel->SetAlign(TAlign::alBottom);
    Shape1 = std::make_unique<TShape>(about, L"Shape1", 1, 120, 338, 3);
    Shape1->BrushColor = kGrey;
    Shape1->PenColor = kSilver;
    lblSoftware = MakeLabel(about, L"lblSoftware", 10, 97, 130, 13, LabelFont(0, -11));
    lblSoftware->SetCaption(L"More freeware and updates");

    KeyPreview = true;
    OnKeyPress = [this](TComponent* sender, wchar_t& key) { FormKeyPress(sender, key); };
    OnClose = [this](TComponent* sender, TCloseAction& action) { FormClose(sender, action); };
    OnDeactivate = [this](TComponent* sender) { FormDeactivate(sender); };
    SetAlphaBlend(true);
    Realign();
    FormCreate(this);
}

// Freeing the box runs FormDestroy; the controls then go in reverse
// declaration order, which is children before their containers.
TfrmAbout::~TfrmAbout() { FormDestroy(this); }

void TfrmAbout::FormCreate(TComponent*) {
    EasterEggsForm = std::make_unique<TEasterEggsForm>();
    CurrentPanel = AboutPanel.get();
}

void TfrmAbout::FormDestroy(TComponent*) {
    // A panel on show goes back to its owner, which frees it with itself.
    if (CurrentPanel && CurrentPanel != AboutPanel.get()) CurrentPanel->SetParent(nullptr);
    CurrentPanel = nullptr;
    EasterEggsForm.reset();
}

void TfrmAbout::FormClose(TComponent*, TCloseAction& action) {
    action = TCloseAction::caNone;
    ModalResult = 2;
}

void TfrmAbout::FormDeactivate(TComponent*) { ModalResult = 2; }

void TfrmAbout::FormKeyPress(TComponent*, wchar_t& key) {
    if (EasterEggsKeyPress(EasterEggsKey, key)) ShowPanel(AboutPanel.get());
    if (EasterEggsKeyComplete(EasterEggsKey)) ShowPanelForKey();
}

void TfrmAbout::ShowPanelForKey() {
    if (!EasterEggsForm) return;
    for (TComponent* component : EasterEggsForm->Components()) {
        auto* panel = dynamic_cast<TPanel*>(component);
        if (panel && PanelNameMatches(panel->Name, EasterEggsKey)) {
            ShowPanel(panel);
            EasterEggsKey.clear();
            return;
        }
    }
}

void TfrmAbout::ShowPanel(TPanel* panel) {
    if (CurrentPanel == panel) return;
    if (CurrentPanel) CurrentPanel->SetParent(nullptr);
    CurrentPanel = panel;
    panel->SetParent(HostPanel.get());
    panel->SetAlign(TAlign::alClient);
    // Fonts made while the panel sat elsewhere follow the box's dpi now.
    ApplyFontToChildren();
    panel->Realign();
    ::RedrawWindow(HostPanel->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TfrmAbout::FillIn(int startYear, int currentYear, DWORD fileVersionMS, DWORD fileVersionLS) {
    Copyright->SetCaption(CreditText());
    CopyrightLabel->SetCaption(CopyrightText(startYear, currentYear));
    EasterEggsForm->Label1->SetCaption(L"the Vantrel developers");

    const std::wstring& title = Application().Title();
    ProductName->SetCaption(title);
    ProductName->SetFontSize(TitleFontSize(title));
    Version->SetCaption(VersionText(fileVersionMS, fileVersionLS));
    RECT name = ProductName->BoundsRect();
    Version->SetBounds(name.right + Scale(8), name.bottom - Version->Height(), Version->Width(), Version->Height());

    UrlAppName = UrlAppNameFromTitle(title);
    lblEmail->SetCaption(ContactAddress(UrlAppName));
    LabelToLink(*lblEmail, L"mailto:" + lblEmail->Caption());
    LabelToLink(*lblSite, kMakerSiteUrl);
    LabelToLink(*lblSoftware, kMakerSoftwareUrl);
    EasterEggsForm->FillInfo(kMakerSiteUrl, kMakerSoftwareUrl, UrlAppName);
}

void TfrmAbout::ScaleForDpi(UINT oldDpi, UINT newDpi) {
    FBorderWidth = ::MulDiv(FBorderWidth, static_cast<int>(newDpi), static_cast<int>(oldDpi));
    TForm::ScaleForDpi(oldDpi, newDpi);
    // Panels set aside while another one is shown are nobody's children.
    auto scaleIfSetAside = [&](TComponent* component) {
        auto* panel = dynamic_cast<TPanel*>(component);
        if (panel && panel != CurrentPanel && !panel->Parent()) panel->ScaleForDpi(oldDpi, newDpi);
    };
    scaleIfSetAside(AboutPanel.get());
    if (!EasterEggsForm) return;
    // The information window follows the box, its sheets and their panels with it.
    RECT r{};
    ::GetWindowRect(EasterEggsForm->Handle(), &r);
    RECT suggested{r.left, r.top, r.left + ::MulDiv(r.right - r.left, static_cast<int>(newDpi), static_cast<int>(oldDpi)),
                   r.top + ::MulDiv(r.bottom - r.top, static_cast<int>(newDpi), static_cast<int>(oldDpi))};
    ::SendMessageW(EasterEggsForm->Handle(), WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi),
                   reinterpret_cast<LPARAM>(&suggested));
    for (TComponent* component : EasterEggsForm->Components()) scaleIfSetAside(component);
}

bool TfrmAbout::FormMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    // The border of 5 around the client area is part of the frame.
    if (msg == WM_NCCALCSIZE) {
        result = ::DefWindowProcW(FHandle, msg, wp, lp);
        auto* r = reinterpret_cast<RECT*>(lp);
        ::InflateRect(r, -FBorderWidth, -FBorderWidth);
        return true;
    }
    if (msg == WM_NCPAINT) {
        result = ::DefWindowProcW(FHandle, msg, wp, lp);
        auto dc = window_dc_ex::whole_window(FHandle);
        if (dc.get()) {
            RECT window{}, client{};
            ::GetWindowRect(FHandle, &window);
            ::GetClientRect(FHandle, &client);
            ::MapWindowPoints(FHandle, nullptr, reinterpret_cast<POINT*>(&client), 2);
            ::OffsetRect(&client, -window.left, -window.top);
            RECT band = client;
            ::InflateRect(&band, FBorderWidth, FBorderWidth);
            ::ExcludeClipRect(dc.get(), client.left, client.top, client.right, client.bottom);
            ::FillRect(dc.get(), &band, ::GetSysColorBrush(COLOR_BTNFACE));
        }
        return true;
    }
    return false;
}

void ShowAboutBox(int startYear) {
    TForm* mainForm = Application().MainForm();
    HWND mainWindow = mainForm ? mainForm->Handle() : nullptr;
    bool reactivate = false;
    // Enables the main window again however the box ends, and hands it the
    // activation back when the box had it.
    scope_exit enableMain([&mainWindow, &reactivate] {
        if (!mainWindow) return;
        ::EnableWindow(mainWindow, TRUE);
        if (reactivate && ::IsWindowVisible(mainWindow)) ::SetActiveWindow(mainWindow);
    });
    if (mainWindow) {
        ::RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ::EnableWindow(mainWindow, FALSE);
    }
    auto versionInfo = std::make_unique<TVtxFileVersionInfo>(ProgramFileName());
    auto box = std::make_unique<TfrmAbout>();
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    VS_FIXEDFILEINFO fixed = versionInfo->FixedInfo();
    box->FillIn(startYear, now.wYear, fixed.dwFileVersionMS, fixed.dwFileVersionLS);

    TfrmAbout* shown = box.get();
    auto apply = [shown](int alpha) {
        shown->SetAlphaBlendValue(static_cast<BYTE>(alpha));
        ::RedrawWindow(shown->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    };
    box->SetAlphaBlendValue(0);
    // On the monitor the user works on, not the primary one.
    box->CenterOnMonitorOf = mainWindow;
    box->Show();
    ::SetFocus(box->OKButton->Handle());
    RunFade(true, 0, FadeClockMilliseconds, apply);
    // Waits for each next message instead of polling, so an open box costs
    // no processor time.
    while (box->ModalResult == 0 && !Application().Terminated()) Application().HandleMessage();
    RunFade(false, box->AlphaBlendValue(), FadeClockMilliseconds, apply);
    reactivate = ::GetActiveWindow() == box->Handle();
    box->Hide();
    box.reset();
    versionInfo.reset();
}

} // namespace vtx
