#include "instances/InstanceTable.h"

namespace vtx {

std::size_t TableEntryCount(const TInstanceTable& table) noexcept {
    return table.Count < InstanceTableSlots ? table.Count : InstanceTableSlots;
}

bool RegisterInTable(TInstanceTable& table, std::uint16_t maxInstances, std::uint32_t pid) noexcept {
    if (table.Limit == 0) table.Limit = maxInstances;
    if (table.Count >= InstanceTableSlots) return false;
    bool admitted = table.Limit == 0 || table.Count < table.Limit;
    // A refused process is entered too; its destruction takes it out again.
    table.ProcessIDs[table.Count] = pid;
    ++table.Count;
    return admitted;
}

bool RemoveFromTable(TInstanceTable& table, std::uint32_t pid) noexcept {
    std::size_t count = TableEntryCount(table);
    for (std::size_t i = 0; i < count; ++i) {
        if (table.ProcessIDs[i] != pid) continue;
        for (std::size_t j = i + 1; j < count; ++j) table.ProcessIDs[j - 1] = table.ProcessIDs[j];
        table.Count = static_cast<std::uint16_t>(count - 1);
        return true;
    }
    return false;
}

std::uint32_t TableProcessId(const TInstanceTable& table, std::int32_t index) noexcept {
    if (index < 0 || static_cast<std::size_t>(index) >= TableEntryCount(table)) return 0;
    return table.ProcessIDs[index];
}

std::wstring AppIdFromUpperCased(std::wstring upperCased) {
    for (wchar_t& c : upperCased)
        if (c == L'\\') c = L'_';
    return upperCased;
}

std::wstring MessageNameOf(const std::wstring& appId) { return appId + L"_Msg"; }
std::wstring OptexNameOf(const std::wstring& appId) { return appId + L"_Otx"; }
std::wstring AllTableNameOf(const std::wstring& appId) { return appId + L"_All"; }

std::wstring SessionTableNameOf(const std::wstring& appId, std::uint32_t session) {
    return appId + L"_Session_" + std::to_wstring(session);
}

std::wstring UserTableNameOf(const std::wstring& appId, const std::wstring& account, const std::wstring& domain) {
    return appId + L"_User_" + account + L"_" + domain;
}

} // namespace vtx
