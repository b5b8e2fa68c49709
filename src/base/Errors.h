// The program's exception family and the builder of the texts of the
// operating system's, Win32's and the runtime's errors; a unit's own error
// messages stand where it raises them.
// Platform-free: the system's text for a code is filled in by OSError.cpp on
// Windows, which also holds the raising helpers (ThrowLastErrorIf and kin).
#pragma once
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include "base/Text.h"  // NarrowUtf8

namespace vtx {

// ---- The mandated texts ----

// The runtime's operating-system error: code, system text, addition.
inline constexpr const wchar_t* kOSErrorFormat = L"System Error.  Code: %d.\r\n%s%s";
// The same error when the last-error code is 0.
inline constexpr const wchar_t* kOSErrorNoCode = L"A call to an OS function failed";
// EVtxWin32Error and its kin: system text, code, line break, resource text.
inline constexpr const wchar_t* kWin32ErrorFormat = L"Win32 error: %s (%u)%s%s";
// The runtime's assertion failure: kind, unit, line.
inline constexpr const wchar_t* kAssertionFormat = L"%s (%s, line %d)";
inline constexpr const wchar_t* kAssertionFailure = L"Assertion failure";

// Fills each "%s", "%d" or "%u" of Format with the next argument, in order;
// "%%" is a percent sign. The one builder of every error text above.
std::wstring FormatErrorText(const wchar_t* format, std::initializer_list<std::wstring> args);

// The message of an OS error for a code and the system's text for it.
std::wstring OSErrorMessage(std::uint32_t code, const std::wstring& systemText);
// "Win32 error: %s (%u)%s%s" from the system's text (trailing control
// characters, spaces and full stops cut), the code and the resource text.
std::wstring Win32ErrorMessage(std::wstring systemText, std::uint32_t code, const std::wstring& resourceText);
// "Assertion failure (unit, line n)".
std::wstring AssertionMessage(const std::wstring& unit, int line);

// Appends "." by the error display's rule: only when the last character's
// code is above that of ".".
std::wstring WithFinalPeriod(std::wstring message);

// ---- The classes ----

// Base of every error the program raises; carries only its message.
class EVtxError : public std::exception {
public:
    explicit EVtxError(std::wstring message) : FMessage(std::move(message)), FWhat(NarrowUtf8(FMessage)) {}
    const std::wstring& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FWhat.c_str(); }

private:
    std::wstring FMessage;
    std::string FWhat;
};

// The runtime's operating-system error: "System Error.  Code: %d.\r\n%s%s".
class EOSError : public EVtxError {
public:
    EOSError(std::uint32_t code, std::wstring message) : EVtxError(std::move(message)), FErrorCode(code) {}
    std::uint32_t ErrorCode() const noexcept { return FErrorCode; }

private:
    std::uint32_t FErrorCode;
};

// The runtime's assertion failure: "%s (%s, line %d)".
class EAssertionFailed : public EVtxError {
public:
    EAssertionFailed(const std::wstring& unit, int line) : EVtxError(AssertionMessage(unit, line)) {}
};

// A failed platform call of the library classes: the last-error code, the
// system's text for it (trimmed) and the message "Win32 error: %s (%u)%s%s".
class EVtxWin32Error : public EVtxError {
public:
    // The thread's last error, read first, and the system's text for it
    // (these two are defined on Windows only, in OSError.cpp).
    explicit EVtxWin32Error(const std::wstring& resourceText);
    EVtxWin32Error(std::uint32_t lastError, const std::wstring& resourceText);
    EVtxWin32Error(std::uint32_t lastError, std::wstring lastErrorMsg, const std::wstring& resourceText);
    std::uint32_t LastError() const noexcept { return FLastError; }
    const std::wstring& LastErrorMsg() const noexcept { return FLastErrorMsg; }

private:
    std::uint32_t FLastError;
    std::wstring FLastErrorMsg;
};

} // namespace vtx
