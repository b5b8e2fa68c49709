#include "system/SystemLogic.h"

namespace vtx {

namespace {

void AppendTwoDigits(std::wstring& out, std::uint32_t value) {
    std::wstring digits = std::to_wstring(value);
    if (digits.size() < 2) out += L'0';
    out += digits;
}

constexpr std::uint32_t MsPerDay = 86400000;
constexpr std::uint32_t MsPerHour = 3600000;
constexpr std::uint32_t MsPerMinute = 60000;
constexpr std::uint32_t MsPerSecond = 1000;

constexpr std::uint32_t EwxShutdown = 0x1;
constexpr std::uint32_t EwxReboot = 0x2;
constexpr std::uint32_t EwxForce = 0x4;
constexpr std::uint32_t EwxPowerOff = 0x8;

} // namespace

std::wstring UptimeTextFromTicks(std::uint32_t ms) {
    std::uint32_t days = ms / MsPerDay;
    std::uint32_t rest = ms - days * MsPerDay;
    std::uint32_t hours = rest / MsPerHour;
    rest -= hours * MsPerHour;
    std::uint32_t minutes = rest / MsPerMinute;
    rest -= minutes * MsPerMinute;
    std::uint32_t seconds = rest / MsPerSecond;
    std::wstring text;
    AppendTwoDigits(text, hours + days * 24);
    text += L':';
    AppendTwoDigits(text, minutes);
    text += L':';
    AppendTwoDigits(text, seconds);
    return text;
}

std::uint32_t ExitWindowsFlags(bool logoff, bool reboot, bool powerOff, bool force) {
    std::uint32_t flags = 0;
    if (force) flags |= EwxForce;
    flags |= reboot ? EwxReboot : EwxShutdown;
    if (powerOff && !reboot) flags |= EwxPowerOff;
    if (logoff) flags &= 0xF4;  // leaves EWX_LOGOFF (0) and a possible EWX_FORCE
    return flags;
}

bool ExitNeedsShutdownPrivilege(std::uint32_t flags) {
    constexpr std::uint32_t Force = 0x4, ForceIfHung = 0x10, Logoff = 0x0;
    return (flags & ~(Force | ForceIfHung)) != Logoff;
}

std::wstring CutAtFirstZero(std::wstring text) {
    std::wstring::size_type zero = text.find(L'\0');
    if (zero != std::wstring::npos) text.resize(zero);
    return text;
}

std::wstring FileNamePart(const std::wstring& path) {
    std::wstring::size_type cut = path.find_last_of(L"\\:");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

bool HasDirectoryPart(const std::wstring& name) { return name.find_first_of(L"\\:") != std::wstring::npos; }

TVersionClass VersionClassOf(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor) {
    if (platformId != 2) return TVersionClass::Other;
    if (major == 4) return TVersionClass::NT40;
    if (major == 3) {
        switch (minor) {
        case 1: return TVersionClass::NT31;
        case 5: return TVersionClass::NT35;
        case 51: return TVersionClass::NT351;
        default: return TVersionClass::Other;
        }
    }
    return TVersionClass::Other;
}

bool UsesProcessIdMethod(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor) {
    return VersionClassOf(platformId, major, minor) != TVersionClass::Other;
}

} // namespace vtx
