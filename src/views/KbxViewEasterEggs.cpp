#include "views/KbxViewEasterEggs.h"
#include "resource.h"
#include "toolkit/Application.h"
#include "views/AboutLogic.h"
#include "views/JpegImage.h"
#include "views/KbxHyperlink.h"

namespace vtx {

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kNavy = RGB(0, 0, 128);

std::unique_ptr<TPanel> ContentPanel(TTabSheet* sheet, const wchar_t* name) {
    auto panel = std::make_unique<TPanel>(sheet, name, 0, 0, 286, 168);
    panel->Color = kWhite;
    panel->SetBevels(TBevelCut::bvRaised, TBevelCut::bvLowered);
    panel->SetAlign(TAlign::alClient);
    return panel;
}

TFontSpec LabelFont(COLORREF color, TFontStyles style, const wchar_t* name = L"MS Sans Serif") {
    TFontSpec font;
    font.Name = name;
    font.Height = -11;
    font.Color = color;
    font.Style = style;
    return font;
}
} // namespace

TEasterEggsForm::TEasterEggsForm() : TForm(L"TEasterEggsForm", TBorderStyle::bsSizeable, 0, 0, 302, 226) {
    Name = L"EasterEggsForm";
    SetCaption(L"Easter Eggs");

    PageControl1 = std::make_unique<TPageControl>(this, L"PageControl1", 0, 0, 302, 226, true);
    PageControl1->SetAlign(TAlign::alClient);
    ZorickTabSheet = PageControl1->AddSheet(L"ZorickTabSheet", L"Zorick");
    UrlTabSheet = PageControl1->AddSheet(L"UrlTabSheet", L"Url");
    UpdateTabSheet = PageControl1->AddSheet(L"UpdateTabSheet", L"Update");
    PageControl1->SetActivePage(ZorickTabSheet);

    UpdatePanel = ContentPanel(UpdateTabSheet, L"UpdatePanel");
    UrlPanel = ContentPanel(UrlTabSheet, L"UrlPanel");
    ZorickPanel = ContentPanel(ZorickTabSheet, L"ZorickPanel");

    Image1 = std::make_unique<TImage>(ZorickPanel.get(), L"Image1", 0, 0, 286, 168);
    Image1->SetAlign(TAlign::alClient);
    Image1->SetPicture(LoadJpegResource(nullptr, IDR_PHOTO));

    Label2 = std::make_unique<TLabel>(ZorickPanel.get(), L"Label2", 0, 150, 120, 13);
    Label2->SetFontSpec(LabelFont(kGrey, fsItalic));
    Label2->Transparent = true;
    Label2->SetCaption(L"This software is made by");
    ZorickPanel->Anchor(Label2.get(), akLeft | akBottom);

    // Wider than designed to the left: the name is longer; the right edge stays at 277.
    Label1 = std::make_unique<TLabel>(ZorickPanel.get(), L"Label1", 142, 150, 135, 13);
    Label1->SetAutoSize(false);
    Label1->SetAlignment(TAlignment::taRightJustify);
    Label1->SetFontSpec(LabelFont(kGrey, fsItalic));
    Label1->Transparent = true;
    Label1->SetCaption(L"the Vantrel developers");
    ZorickPanel->Anchor(Label1.get(), akRight);
    // The credit line lies over the picture's edge.
    for (TLabel* label : {Label2.get(), Label1.get()})
        ::SetWindowPos(label->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    UrlMemo = std::make_unique<TMemo>(UrlPanel.get(), L"UrlMemo", 0, 0, 286, 168);
    UrlMemo->SetAlign(TAlign::alClient);
    UrlMemo->SetFontSpec(LabelFont(kNavy, 0, L"Arial"));

    DownloadNowLabel = std::make_unique<TLabel>(UpdatePanel.get(), L"DownloadNowLabel", 43, 64, 192, 26);
    DownloadNowLabel->SetAutoSize(false);
    DownloadNowLabel->WordWrap = true;
    DownloadNowLabel->Color = kWhite;
    DownloadNowLabel->Cursor = crHandPoint;
    DownloadNowLabel->SetFontSpec(LabelFont(kNavy, fsBold | fsUnderline));
    DownloadNowLabel->SetCaption(L"Click here to download the latest version of this software...");
    DownloadNowLabel->OnClick = [this](TComponent* sender) { DownloadNowLabelClick(sender); };
    UpdatePanel->Anchor(DownloadNowLabel.get(), akLeft | akTop | akRight | akBottom);

    FComponents = {PageControl1.get(), ZorickTabSheet,  UrlTabSheet,   UpdateTabSheet,
                   UpdatePanel.get(),  UrlPanel.get(),  ZorickPanel.get(), Label1.get(),
                   Image1.get(),       UrlMemo.get(),   DownloadNowLabel.get(), Label2.get()};
    Realign();
}

void TEasterEggsForm::FillInfo(const std::wstring& siteUrl, const std::wstring& softwareUrl,
                               const std::wstring& appName) {
    TInfoAddresses addresses = InfoAddresses(siteUrl, softwareUrl, appName);
    UpdateUrl = addresses.UpdateUrl;
    DownloadNowLabel->SetCaption(DownloadCaption(Application().Title()));
    UrlMemo->Clear();
    UrlMemo->SetLines(addresses.MemoLines);
}

void TEasterEggsForm::DownloadNowLabelClick(TComponent*) { ShellOpen(UpdateUrl); }

} // namespace vtx
