#include "base/Errors.h"
#include "base/Text.h"

namespace vtx {

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
