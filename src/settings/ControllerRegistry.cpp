#include "settings/ControllerRegistry.h"

namespace vtx {

TCRegistry::TCRegistry() { Open(); }

TCRegistry::~TCRegistry() {
    // Written at the end; an error goes to the owner, which shows it.
    try {
        Save();
    } catch (const std::exception& e) {
        if (OnSaveError) OnSaveError(e);
    }
}

void TCRegistry::LoadFromRegistry() {
    for (int i = 0; i < 7; ++i) {
        std::wstring n = std::to_wstring(i);
        ProcessItems[static_cast<size_t>(i)].Width = MRegIniFile->ReadInteger(L"Items", n + L"width", 0);
        ProcessItems[static_cast<size_t>(i)].Visible = MRegIniFile->ReadBool(L"Items", n + L"visible", i < 5);
    }
}

void TCRegistry::SaveToRegistry() {
    for (int i = 0; i < 7; ++i) {
        std::wstring n = std::to_wstring(i);
        MRegIniFile->WriteInteger(L"Items", n + L"width", ProcessItems[static_cast<size_t>(i)].Width);
        MRegIniFile->WriteBool(L"Items", n + L"visible", ProcessItems[static_cast<size_t>(i)].Visible);
    }
}

} // namespace vtx
