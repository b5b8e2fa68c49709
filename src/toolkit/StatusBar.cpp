#include "toolkit/StatusBar.h"
#include "base/Handle.h"

namespace vtx {

TStatusBar::TStatusBar(TWinControl* parent, const std::wstring& name, int designHeight) {
    Name = name;
    CreateHandle(parent, 0, STATUSCLASSNAMEW, WS_VISIBLE | SBARS_SIZEGRIP | CCS_NOPARENTALIGN | CCS_NORESIZE, L"");
    Subclass();
    SetHeight(Scale(designHeight));
}

void TStatusBar::AddPanel(int designWidth, const std::wstring& text) {
    FPanels.push_back({Scale(designWidth), text});
    UpdateParts();
    SetPanelText(PanelCount() - 1, text);
}

void TStatusBar::SetPanelText(int index, const std::wstring& text) {
    FPanels.at(static_cast<size_t>(index)).Text = text;
    ::SendMessageW(FHandle, SB_SETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
}

void TStatusBar::SetPanelWidth(int index, int width) {
    Panel& panel = FPanels.at(static_cast<size_t>(index));
    if (panel.Width == width) return;
    panel.Width = width;
    UpdateParts();
}

void TStatusBar::UpdateParts() {
    std::vector<int> edges;
    int right = 0;
    for (const Panel& panel : FPanels) {
        right += panel.Width;
        edges.push_back(right);
    }
    ::SendMessageW(FHandle, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    // Setting the parts can drop texts of panels that were added anew.
    for (size_t i = 0; i < FPanels.size(); ++i)
        ::SendMessageW(FHandle, SB_SETTEXTW, i, reinterpret_cast<LPARAM>(FPanels[i].Text.c_str()));
}

void TStatusBar::ScaleForDpi(UINT oldDpi, UINT newDpi) {
    for (Panel& panel : FPanels) panel.Width = ::MulDiv(panel.Width, static_cast<int>(newDpi), static_cast<int>(oldDpi));
    UpdateParts();
}

int TStatusBar::TextWidth(const std::wstring& text) const {
    HFONT font = Font();
    return TTextMeasurer(FHandle, font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT))).Width(text);
}

} // namespace vtx
