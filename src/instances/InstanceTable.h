// The instance tables kept in shared memory and the names derived from the
// application ID. Platform-free so the table rules are tested natively.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include "base/Errors.h"  // Win32ErrorMessage, formerly declared here

namespace vtx {

constexpr std::size_t InstanceTableSlots = 257;

// Layout shared with every other instance: 1032 bytes, no padding.
struct TInstanceTable {
    std::uint16_t Limit;  // 0 = no limit
    std::uint16_t Count;
    std::uint32_t ProcessIDs[InstanceTableSlots];
};
static_assert(sizeof(TInstanceTable) == 1032, "instance table layout is shared between processes");

constexpr std::uint32_t MsgInstanceCreated = 1;
constexpr std::uint32_t MsgInstanceDestroyed = 2;
constexpr std::uint32_t MsgUserNotify = 3;

// Number of valid entries; a count that another process corrupted never
// lets a reader run past the slots.
std::size_t TableEntryCount(const TInstanceTable& table) noexcept;

// Enters Pid and tells whether the table's limit admits it. The first caller
// that finds Limit 0 fixes it. A full table refuses and stays untouched.
bool RegisterInTable(TInstanceTable& table, std::uint16_t maxInstances, std::uint32_t pid) noexcept;

// Removes the first entry equal to Pid, keeping the order of the rest.
bool RemoveFromTable(TInstanceTable& table, std::uint32_t pid) noexcept;

// The entry at Index, or 0 outside the valid entries.
std::uint32_t TableProcessId(const TInstanceTable& table, std::int32_t index) noexcept;

// Second half of the application ID: the upper-cased "Vtx" + path with every
// backslash turned into an underscore, so it is a valid kernel-object name.
std::wstring AppIdFromUpperCased(std::wstring upperCased);

std::wstring MessageNameOf(const std::wstring& appId);
std::wstring OptexNameOf(const std::wstring& appId);
std::wstring AllTableNameOf(const std::wstring& appId);
std::wstring SessionTableNameOf(const std::wstring& appId, std::uint32_t session);
std::wstring UserTableNameOf(const std::wstring& appId, const std::wstring& account, const std::wstring& domain);

} // namespace vtx
