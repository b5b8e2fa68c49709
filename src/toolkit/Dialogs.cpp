#include "toolkit/Dialogs.h"
#include <windows.h>
#include "toolkit/Application.h"
#include "base/Handle.h"

namespace vtx {

namespace {

int gOpenBoxes = 0;

int PlatformMessageBox(const TMessageBoxRequest& request) {
    UINT flags = MB_TASKMODAL;
    switch (request.Type) {
    case TMsgDlgType::mtWarning: flags |= MB_ICONWARNING; break;
    case TMsgDlgType::mtInformation: flags |= MB_ICONINFORMATION; break;
    case TMsgDlgType::mtError: flags |= MB_ICONERROR; break;
    case TMsgDlgType::mtPlain: break;
    }
    switch (request.Buttons) {
    case TMsgDlgButtons::mbOK: flags |= MB_OK; break;
    case TMsgDlgButtons::mbOKCancel: flags |= MB_OKCANCEL; break;
    case TMsgDlgButtons::mbYesNo: flags |= MB_YESNO; break;
    }
    HWND owner = ::GetActiveWindow();
    if (!owner) owner = Application().Handle();
    return ::MessageBoxW(owner, request.Text.c_str(), request.Caption.c_str(), flags);
}

} // namespace

TMessageBoxSeam& MessageBoxSeam() {
    static TMessageBoxSeam seam = PlatformMessageBox;
    return seam;
}

static int ShowBox(const TMessageBoxRequest& request) {
    ++gOpenBoxes;
    scope_exit counter([] { --gOpenBoxes; });
    return MessageBoxSeam()(request);
}

int MessageDlg(const std::wstring& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    std::wstring caption = type == TMsgDlgType::mtWarning       ? L"Warning"
                           : type == TMsgDlgType::mtInformation ? L"Information"
                           : type == TMsgDlgType::mtError       ? L"Error"
                                                                : Application().Title();
    return ShowBox({text, caption, type, buttons});
}

void ShowMessage(const std::wstring& text) {
    ShowBox({text, Application().Title(), TMsgDlgType::mtPlain, TMsgDlgButtons::mbOK});
}

int OpenMessageBoxCount() noexcept { return gOpenBoxes; }

// The error display shares the seam and the count.
int ShowErrorBox(const std::wstring& text, const std::wstring& caption) {
    return ShowBox({text, caption, TMsgDlgType::mtError, TMsgDlgButtons::mbOK});
}

} // namespace vtx
