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
    for (int i = 0; i < ProcessColumnCount; ++i) {
        std::wstring n = std::to_wstring(i);
        const auto slot = static_cast<size_t>(i);
        ProcessItems[slot].Width = MRegIniFile->ReadInteger(L"Items", n + L"width", 0);
        ProcessItems[slot].Visible =
            MRegIniFile->ReadBool(L"Items", n + L"visible", ProcessColumnDesigns[slot].VisibleAtFirst);
    }
}

void TCRegistry::SaveToRegistry() {
    for (int i = 0; i < ProcessColumnCount; ++i) {
        std::wstring n = std::to_wstring(i);
        MRegIniFile->WriteInteger(L"Items", n + L"width", ProcessItems[static_cast<size_t>(i)].Width);
        MRegIniFile->WriteBool(L"Items", n + L"visible", ProcessItems[static_cast<size_t>(i)].Visible);
    }
}

} // namespace vtx
