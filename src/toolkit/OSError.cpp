#include "toolkit/OSError.h"
#include <windows.h>

namespace vtx {

std::wstring SystemErrorText(std::uint32_t code) {
    wchar_t buffer[512] = {};
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                    buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
    return std::wstring(buffer, length);
}

void RaiseOSError(std::uint32_t code) {
    throw EOSError(code, OSErrorMessage(code, code ? SystemErrorText(code) : std::wstring()));
}

void RaiseLastOSError() { RaiseOSError(::GetLastError()); }

} // namespace vtx
