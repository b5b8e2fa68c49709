#include "settings/KbxControllerCustomRegistry.h"
#include "settings/SettingsLogic.h"
#include "toolkit/Application.h"
#include "toolkit/Form.h"

namespace vtx {

std::wstring TCCustomRegistry::RegistryKeyPath() { return vtx::RegistryKeyPath(Application().Title()); }

void TCCustomRegistry::Open() {
    MRegIniFile = std::make_unique<TRegIniFile>(HKEY_CURRENT_USER, RegistryKeyPath(), KEY_ALL_ACCESS);
    // Without the key the settings are kept in memory only for this run;
    // KeyOpened tells the owner, which shows kRegistryReadError.
    LoadFromRegistry();
}

TCCustomRegistry::~TCCustomRegistry() = default;

void TCCustomRegistry::Save() { SaveToRegistry(); }

void TCCustomRegistry::FormLoad(TForm& aForm) {
    const std::wstring& n = aForm.Name;
    RECT r = aForm.BoundsRect();
    int top = MRegIniFile->ReadInteger(L"Forms", n + L"Top", r.top);
    r.bottom += top - r.top;
    r.top = top;
    int left = MRegIniFile->ReadInteger(L"Forms", n + L"Left", r.left);
    r.right += left - r.left;
    r.left = left;
    int width = r.right - r.left, height = r.bottom - r.top;
    if (aForm.BorderStyle() == TBorderStyle::bsSizeable) {
        width = MRegIniFile->ReadInteger(L"Forms", n + L"Width", width);
        height = MRegIniFile->ReadInteger(L"Forms", n + L"Height", height);
    }
    aForm.SetBounds(r.left, r.top, width, height);
}

void TCCustomRegistry::FormSave(TForm& aForm) {
    // A minimised or maximised window keeps the stored normal placement.
    if (aForm.WindowState() != TWindowState::wsNormal) return;
    const std::wstring& n = aForm.Name;
    RECT r = aForm.BoundsRect();
    MRegIniFile->WriteInteger(L"Forms", n + L"Top", r.top);
    MRegIniFile->WriteInteger(L"Forms", n + L"Left", r.left);
    if (aForm.BorderStyle() == TBorderStyle::bsSizeable) {
        MRegIniFile->WriteInteger(L"Forms", n + L"Width", r.right - r.left);
        MRegIniFile->WriteInteger(L"Forms", n + L"Height", r.bottom - r.top);
    }
}

} // namespace vtx
