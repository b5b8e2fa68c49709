// Read-only queries of the local session: user, computer, memory load, uptime.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>

namespace vtx {

// Name of the account the program runs under; empty on failure.
std::wstring LocalUserName();
// NetBIOS name of the computer; empty on failure.
std::wstring LocalComputerName();
// Physical memory load in percent. Raises EOSError when the query fails.
std::uint8_t MemoryLoadPercent();
// Time since the system started, "H:MM:SS" with days folded into the hours.
std::wstring UptimeText();

// Replaceable platform calls, so a caller's tests can make the memory query
// fail or set the clock. Defaults call the platform.
std::function<BOOL(MEMORYSTATUSEX*)>& MemoryStatusSeam();
std::function<std::uint32_t()>& TickCountSeam();

} // namespace vtx
