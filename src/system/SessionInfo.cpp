#include "system/SessionInfo.h"
#include "system/SystemLogic.h"
#include "base/OSError.h"

namespace vtx {

std::function<BOOL(MEMORYSTATUSEX*)>& MemoryStatusSeam() {
    static std::function<BOOL(MEMORYSTATUSEX*)> seam = [](MEMORYSTATUSEX* status) {
        return ::GlobalMemoryStatusEx(status);
    };
    return seam;
}

std::function<std::uint32_t()>& TickCountSeam() {
    static std::function<std::uint32_t()> seam = [] { return static_cast<std::uint32_t>(::GetTickCount()); };
    return seam;
}

std::wstring LocalUserName() {
    constexpr DWORD Size = 257;  // longest user name, 256, and the terminating zero
    std::wstring buffer(Size, L'\0');
    DWORD size = Size;
    if (!::GetUserNameW(buffer.data(), &size)) return {};
    return CutAtFirstZero(std::move(buffer));
}

std::wstring LocalComputerName() {
    constexpr DWORD Size = MAX_COMPUTERNAME_LENGTH + 1;
    std::wstring buffer(Size, L'\0');
    DWORD size = Size;
    if (!::GetComputerNameW(buffer.data(), &size)) return {};
    return CutAtFirstZero(std::move(buffer));
}

std::uint8_t MemoryLoadPercent() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    ThrowIfWin32BoolFalse(MemoryStatusSeam()(&status));
    return static_cast<std::uint8_t>(status.dwMemoryLoad);
}

std::wstring UptimeText() { return UptimeTextFromTicks(TickCountSeam()()); }

} // namespace vtx
