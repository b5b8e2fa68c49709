// The information window: never shown itself, it holds the three panels
// (photograph, web addresses, download link) that the about box swaps in.
#pragma once
#include <memory>
#include <string>
#include <vector>
#include "toolkit/Form.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Memo.h"
#include "toolkit/PageControl.h"
#include "toolkit/Panel.h"

namespace vtx {

class TEasterEggsForm : public TForm {
public:
    TEasterEggsForm();

    // The components this form owns, in declaration order.
    const std::vector<TComponent*>& Components() const noexcept { return FComponents; }

    void FillInfo(const std::wstring& siteUrl, const std::wstring& softwareUrl, const std::wstring& appName);
    void DownloadNowLabelClick(TComponent* sender);

    // Declared containers first, so members go children first (in reverse);
    // a control whose window went with its container's would only hold a null
    // handle anyway. PageControl1 owns and frees its sheets.
    std::unique_ptr<TPageControl> PageControl1;
    TTabSheet* ZorickTabSheet = nullptr;
    TTabSheet* UrlTabSheet = nullptr;
    TTabSheet* UpdateTabSheet = nullptr;
    std::unique_ptr<TPanel> UpdatePanel;
    std::unique_ptr<TPanel> UrlPanel;
    std::unique_ptr<TPanel> ZorickPanel;
    std::unique_ptr<TLabel> Label1;
    std::unique_ptr<TImage> Image1;
    std::unique_ptr<TMemo> UrlMemo;
    std::unique_ptr<TLabel> DownloadNowLabel;
    std::unique_ptr<TLabel> Label2;
    std::wstring UpdateUrl;

private:
    std::vector<TComponent*> FComponents;
};

} // namespace vtx
