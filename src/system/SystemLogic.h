// Platform-free rules of the system services: uptime text, session-ending
// flags, name cutting and the version class that picks an enumeration method.
#pragma once
#include <cstdint>
#include <string>

namespace vtx {

// "%.2d:%.2d:%.2d" of hours (days folded in), minutes and seconds.
std::wstring UptimeTextFromTicks(std::uint32_t ms);

// ExitWindowsEx flags: logoff wins over reboot, reboot over power-off.
std::uint32_t ExitWindowsFlags(bool logoff, bool reboot, bool powerOff, bool force);
// Reboot and shutdown need SeShutdownPrivilege; a log-off does not, and a
// user without it (a terminal server, a kiosk) can still sign out.
bool ExitNeedsShutdownPrivilege(std::uint32_t flags);

// The text up to its first zero character; unchanged when it holds none.
std::wstring CutAtFirstZero(std::wstring text);

// Everything after the last backslash or colon.
std::wstring FileNamePart(const std::wstring& path);
// A backslash or colon anywhere makes a name a path.
bool HasDirectoryPart(const std::wstring& name);

enum class TVersionClass { Other, NT31, NT35, NT351, NT40 };

TVersionClass VersionClassOf(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor);
// NT 3.x and 4.0 have no Tool Help: their processes come from EnumProcesses.
bool UsesProcessIdMethod(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor);

} // namespace vtx
