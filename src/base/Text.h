// Small text rules said once for the whole program. Platform-free: no
// <windows.h>, so the same code runs natively and under Wine.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace vtx {

// ---- Trimming ----

// A blank is a character up to and including U+0020: a space or a control character.
constexpr bool IsBlank(wchar_t c) noexcept { return static_cast<std::uint32_t>(c) <= 0x20; }
// Without leading and trailing blanks.
std::wstring TrimBlanks(const std::wstring& text);
// Without trailing blanks and full stops (the system's error texts).
std::wstring TrimEndBlanksAndFullStops(std::wstring text);

// ---- ASCII letter case ----

constexpr wchar_t AsciiUpper(wchar_t c) noexcept {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}
constexpr wchar_t AsciiLower(wchar_t c) noexcept {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}
std::wstring AsciiUpperCase(std::wstring text);
std::wstring AsciiLowerCase(std::wstring text);
// Equal when ASCII letter case is ignored; other characters must match exactly.
bool SameAsciiText(const std::wstring& a, const wchar_t* b) noexcept;

// ---- Hexadecimal ----

// 0 to 15 for "0"-"9", "A"-"F" and "a"-"f"; -1 for any other character.
constexpr int HexDigitValue(wchar_t c) noexcept {
    return (c >= L'0' && c <= L'9')   ? c - L'0'
           : (c >= L'A' && c <= L'F') ? c - L'A' + 10
           : (c >= L'a' && c <= L'f') ? c - L'a' + 10
                                      : -1;
}
// Upper-case hexadecimal digits of Value, zero-padded to at least MinDigits.
std::wstring HexText(std::uint32_t value, std::size_t minDigits = 1);
// A non-empty text of hexadecimal digits only, read as unsigned 32 bits;
// false when it holds anything else or needs more than 32 bits.
bool TryParseHex(const std::wstring& text, std::uint32_t& value) noexcept;

// ---- Names ----

// The name an application title gives to its settings key and web pages:
// spaces removed, then blanks trimmed at both ends, then apostrophes removed.
std::wstring TitleKeyName(const std::wstring& title);

// ---- Encoding ----

// UTF-8 of a UTF-16 text; a lone surrogate is encoded as it stands.
std::string NarrowUtf8(const std::wstring& text);

} // namespace vtx
