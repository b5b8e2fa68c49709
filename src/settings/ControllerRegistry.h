// This program's settings: the seven process-list columns.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include "settings/KbxControllerCustomRegistry.h"
#include "settings/ProcessColumns.h"

namespace vtx {

struct TProcessItem {
    bool Visible = false;
    std::int32_t Width = 0;  // 0: not yet known
};

using TProcessItems = std::array<TProcessItem, ProcessColumnCount>;

class TCRegistry : public TCCustomRegistry {
public:
    TCRegistry();
    ~TCRegistry() override;

    const std::wstring& DataDirectory() const noexcept { return FDataDirectory; }
    void SetDataDirectory(const std::wstring& value) { FDataDirectory = value; }

    TProcessItems ProcessItems;

protected:
    void LoadFromRegistry() override;
    void SaveToRegistry() override;

private:
    std::wstring FDataDirectory;
};

} // namespace vtx
