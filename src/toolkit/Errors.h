// The program's exception family. Platform-free: the OS error text is filled in
// by OSError.cpp on Windows.
#pragma once
#include <cstdint>
#include <exception>
#include <string>

namespace vtx {

std::string NarrowUtf8(const std::wstring& text);

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

// The runtime's input/output error ("I/O error %d").
class EInOutError : public EVtxError {
public:
    explicit EInOutError(int code) : EVtxError(L"I/O error " + std::to_wstring(code)), FErrorCode(code) {}
    int ErrorCode() const noexcept { return FErrorCode; }

private:
    int FErrorCode;
};

// The runtime's assertion failure: "%s (%s, line %d)".
class EAssertionFailed : public EVtxError {
public:
    EAssertionFailed(const std::wstring& unit, int line)
        : EVtxError(L"Assertion failure (" + unit + L", line " + std::to_wstring(line) + L")") {}
};

// The message of an OS error for a code and the system's text for it.
std::wstring OSErrorMessage(std::uint32_t code, const std::wstring& systemText);

// Appends "." by the error display's rule: only when the last character's
// code is above that of ".".
std::wstring WithFinalPeriod(std::wstring message);

} // namespace vtx
