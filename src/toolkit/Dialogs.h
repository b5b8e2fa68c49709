// Modal message boxes behind one seam, so tests can answer them.
#pragma once
#include <functional>
#include <string>

namespace vtx {

enum class TMsgDlgType { mtWarning, mtInformation, mtError, mtPlain };
enum class TMsgDlgButtons { mbOK, mbOKCancel, mbYesNo };
// Answers, as the platform's IDOK, IDCANCEL, IDYES, IDNO.
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

struct TMessageBoxRequest {
    std::wstring Text;
    std::wstring Caption;
    TMsgDlgType Type;
    TMsgDlgButtons Buttons;
};

// Every box goes through this; the default shows the platform's message box
// owned by the active window of the application.
using TMessageBoxSeam = std::function<int(const TMessageBoxRequest&)>;
TMessageBoxSeam& MessageBoxSeam();

// Warning/information boxes captioned "Warning" / "Information".
int MessageDlg(const std::wstring& text, TMsgDlgType type, TMsgDlgButtons buttons);
// A plain box with the application's title as caption and one OK button.
void ShowMessage(const std::wstring& text);

// How many message boxes are open now (the automatic refresh waits for none).
int OpenMessageBoxCount() noexcept;

} // namespace vtx
