#include "toolkit/Errors.h"
#include "toolkit/Text.h"

namespace vtx {

std::string NarrowUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = static_cast<std::uint16_t>(text[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            std::uint32_t low = static_cast<std::uint16_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring FormatErrorText(const wchar_t* format, std::initializer_list<std::wstring> args) {
    std::wstring out;
    auto next = args.begin();
    for (const wchar_t* p = format; *p; ++p) {
        if (p[0] == L'%' && p[1] == L'%') {
            out += L'%';
            ++p;
        } else if (p[0] == L'%' && (p[1] == L's' || p[1] == L'd' || p[1] == L'u')) {
            if (next != args.end()) out += *next++;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

std::wstring OSErrorMessage(std::uint32_t code, const std::wstring& systemText) {
    if (code == 0) return kOSErrorNoCode;
    return FormatErrorText(kOSErrorFormat, {std::to_wstring(code), systemText, std::wstring()});
}

std::wstring Win32ErrorMessage(std::wstring systemText, std::uint32_t code, const std::wstring& resourceText) {
    return FormatErrorText(kWin32ErrorFormat,
                           {TrimEndBlanksAndFullStops(systemText), std::to_wstring(code), L"\r\n", resourceText});
}

std::wstring AssertionMessage(const std::wstring& unit, int line) {
    return FormatErrorText(kAssertionFormat, {kAssertionFailure, unit, std::to_wstring(line)});
}

std::wstring WithFinalPeriod(std::wstring message) {
    if (!message.empty() && message.back() > L'.') message += L'.';
    return message;
}

EVtxWin32Error::EVtxWin32Error(std::uint32_t lastError, std::wstring lastErrorMsg, const std::wstring& resourceText)
    : EVtxError(Win32ErrorMessage(lastErrorMsg, lastError, resourceText)),
      FLastError(lastError),
      FLastErrorMsg(TrimEndBlanksAndFullStops(lastErrorMsg)) {}

} // namespace vtx
