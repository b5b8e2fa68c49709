#include "toolkit/Memo.h"

namespace vtx {

TMemo::TMemo(TWinControl* parent, const std::wstring& name, int left, int top, int width, int height) {
    Name = name;
    CreateHandle(parent, 0, L"EDIT", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                         ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL, L"");
    Subclass();
    SetBounds(Scale(left), Scale(top), Scale(width), Scale(height));
    SetFontSpec(FFont);
}

void TMemo::Clear() {
    FLines.clear();
    LinesChanged();
}

void TMemo::Add(const std::wstring& line) {
    FLines.push_back(line);
    LinesChanged();
}

void TMemo::SetLines(const std::vector<std::wstring>& lines) {
    FLines = lines;
    LinesChanged();
}

void TMemo::LinesChanged() {
    std::wstring text;
    for (size_t i = 0; i < FLines.size(); ++i) {
        if (i) text += L"\r\n";
        text += FLines[i];
    }
    SetText(text);
}

void TMemo::SetFontSpec(const TFontSpec& font) {
    FFont = font;
    FHFont.reset(FFont.Create(Dpi()));
    SetFont(FHFont.get());
}

bool TMemo::HandleColor(HDC dc, LRESULT& result) {
    if (!FBrush) FBrush.reset(::CreateSolidBrush(Color));
    ::SetTextColor(dc, FFont.Color);
    ::SetBkColor(dc, Color);
    result = reinterpret_cast<LRESULT>(FBrush.get());
    return true;
}

bool TMemo::WindowMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    // A form hands its design font to every child; the memo keeps its own.
    if (msg == WM_SETFONT && reinterpret_cast<HFONT>(wp) != FHFont.get()) {
        FHFont.reset(FFont.Create(Dpi()));
        ::SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FHFont.get()), TRUE);
        result = 0;
        return true;
    }
    return false;
}

} // namespace vtx
