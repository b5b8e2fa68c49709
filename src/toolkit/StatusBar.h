// A status bar with panels whose texts and widths the program sets, and a text
// measurer on the bar's own font.
#pragma once
#include <vector>
#include "toolkit/Controls.h"

namespace vtx {

class TStatusBar : public TControl {
public:
    TStatusBar(TWinControl* parent, const std::wstring& name, int designHeight);
    // Designed width at 96 dpi.
    void AddPanel(int designWidth, const std::wstring& text);
    int PanelCount() const noexcept { return static_cast<int>(FPanels.size()); }
    const std::wstring& PanelText(int index) const { return FPanels.at(static_cast<size_t>(index)).Text; }
    int PanelWidth(int index) const { return FPanels.at(static_cast<size_t>(index)).Width; }
    void SetPanelText(int index, const std::wstring& text);
    void SetPanelWidth(int index, int width);
    // Pixel width of a text on the bar's drawing surface.
    int TextWidth(const std::wstring& text) const;
    // Panel widths by new/old dpi.
    void ScaleForDpi(UINT oldDpi, UINT newDpi) override;

private:
    struct Panel {
        int Width;
        std::wstring Text;
    };
    void UpdateParts();
    std::vector<Panel> FPanels;
};

} // namespace vtx
