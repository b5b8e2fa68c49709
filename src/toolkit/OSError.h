// Raising the runtime's OS error from the thread's last-error code.
#pragma once
#include <cstdint>
#include <string>
#include "toolkit/Errors.h"

namespace vtx {

// The system's message text for an error code, as FormatMessageW gives it.
std::wstring SystemErrorText(std::uint32_t code);

[[noreturn]] void RaiseOSError(std::uint32_t code);
[[noreturn]] void RaiseLastOSError();

} // namespace vtx
