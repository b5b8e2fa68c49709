#include "base/OSError.h"

namespace vtx {

std::wstring SystemErrorText(std::uint32_t code) {
    wchar_t buffer[512] = {};
    // Inserts stay as they are: there are no arguments to fill them with.
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                    buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
    return std::wstring(buffer, length);
}

void RaiseOSError(std::uint32_t code) {
    throw EOSError(code, OSErrorMessage(code, code ? SystemErrorText(code) : std::wstring()));
}

void RaiseLastOSError() { RaiseOSError(::GetLastError()); }

EVtxWin32Error::EVtxWin32Error(const std::wstring& resourceText) : EVtxWin32Error(::GetLastError(), resourceText) {}

EVtxWin32Error::EVtxWin32Error(std::uint32_t lastError, const std::wstring& resourceText)
    : EVtxWin32Error(lastError, SystemErrorText(lastError), resourceText) {}

} // namespace vtx
