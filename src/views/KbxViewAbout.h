// The about box: title, version and build, the maker's links and the
// disclaimer; it fades in and out, and typed panel names swap in the panels
// of the information window.
#pragma once
#include <memory>
#include <string>
#include "toolkit/Button.h"
#include "toolkit/Form.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"
#include "toolkit/Shape.h"
#include "views/KbxViewEasterEggs.h"

namespace vtx {

class TfrmAbout : public TForm {
public:
    TfrmAbout();
    ~TfrmAbout() override;

    // Texts, links and the information window for one showing; the version
    // words are those of the program's fixed version record.
    void FillIn(int startYear, int currentYear, DWORD fileVersionMS, DWORD fileVersionLS);

    // In creation order: members go in reverse, children before containers.
    std::unique_ptr<TPanel> Panel2;
    std::unique_ptr<TButton> OKButton;
    std::unique_ptr<TPanel> HostPanel;
    std::unique_ptr<TPanel> AboutPanel;
    std::unique_ptr<TLabel> ProductName;
    std::unique_ptr<TLabel> Version;
    std::unique_ptr<TLabel> Copyright;
    std::unique_ptr<TLabel> lblEmail;
    std::unique_ptr<TLabel> lblSite;
    std::unique_ptr<TLabel> CopyrightLabel;
    std::unique_ptr<TShape> Shape1;
    std::unique_ptr<TLabel> lblSoftware;
    std::wstring UrlAppName;
    std::unique_ptr<TEasterEggsForm> EasterEggsForm;
    TPanel* CurrentPanel = nullptr;
    std::wstring EasterEggsKey;

    void FormCreate(TComponent* sender);
    void FormDestroy(TComponent* sender);
    void FormClose(TComponent* sender, TCloseAction& action);
    void FormDeactivate(TComponent* sender);
    void FormKeyPress(TComponent* sender, wchar_t& key);
    void ShowPanelForKey();

    void ScaleForDpi(UINT oldDpi, UINT newDpi) override;

protected:
    bool FormMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void ShowPanel(TPanel* panel);
    int FBorderWidth = 5;
};

// Shows the fading about box with the copyright starting at startYear and
// returns when it has been dismissed. The main form takes no input meanwhile.
void ShowAboutBox(int startYear);

} // namespace vtx
