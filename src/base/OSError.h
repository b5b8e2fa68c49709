// The program's one way to fail on a platform call, after WIL's result
// macros: each helper reads the thread's last-error code first and raises
// the matching error of base/Errors.h.
//
//   ThrowIfWin32BoolFalse(::SetEvent(h));            // EOSError
//   ThrowLastErrorIf(!handle);                       // EOSError
//   ThrowWin32ErrorIf<EVtxEventError>(!handle, L"Failed to create event");
//   ThrowAssertionIf(!::IsValidAcl(acl), Unit, 746); // EAssertionFailed
//
// A BOOL result that is not checked is ignored visibly, with its reason:
//   static_cast<void>(::SomeCall());  // ignored: why
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "base/Errors.h"

namespace vtx {

// The system's message text for an error code, as FormatMessageW gives it.
std::wstring SystemErrorText(std::uint32_t code);

[[noreturn]] void RaiseOSError(std::uint32_t code);
[[noreturn]] void RaiseLastOSError();

// Raises the runtime's OS error from the last-error code when Failed.
inline void ThrowLastErrorIf(bool failed) {
    if (failed) RaiseLastOSError();
}
// Raises the runtime's OS error when a BOOL call answers FALSE; else hands the result back.
inline BOOL ThrowIfWin32BoolFalse(BOOL result) {
    if (!result) RaiseLastOSError();
    return result;
}
// Raises the runtime's OS error when a call answers no pointer or handle.
template <class T>
T* ThrowLastErrorIfNull(T* value) {
    if (!value) RaiseLastOSError();
    return value;
}

// Raises E (EVtxWin32Error or its kin) with the last-error code and the
// resource text when Failed.
template <class E = EVtxWin32Error>
void ThrowWin32ErrorIf(bool failed, const wchar_t* resourceText) {
    if (!failed) return;
    const DWORD code = ::GetLastError();
    throw E(code, resourceText);
}

// Raises the runtime's assertion failure for Unit and Line when Failed.
inline void ThrowAssertionIf(bool failed, const wchar_t* unit, int line) {
    if (failed) throw EAssertionFailed(unit, line);
}

} // namespace vtx
