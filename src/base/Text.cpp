#include "base/Text.h"

namespace vtx {

std::wstring TrimBlanks(const std::wstring& text) {
    std::size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

std::wstring TrimEndBlanksAndFullStops(std::wstring text) {
    while (!text.empty() && (IsBlank(text.back()) || text.back() == L'.')) text.pop_back();
    return text;
}

std::wstring AsciiUpperCase(std::wstring text) {
    for (wchar_t& c : text) c = AsciiUpper(c);
    return text;
}

std::wstring AsciiLowerCase(std::wstring text) {
    for (wchar_t& c : text) c = AsciiLower(c);
    return text;
}

bool SameAsciiText(const std::wstring& a, const wchar_t* b) noexcept {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return i == a.size() && b[i] == 0;
}

std::wstring HexText(std::uint32_t value, std::size_t minDigits) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring text;
    do {
        text.insert(text.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value);
    if (text.size() < minDigits) text.insert(text.begin(), minDigits - text.size(), L'0');
    return text;
}

bool TryParseHex(const std::wstring& text, std::uint32_t& value) noexcept {
    if (text.empty()) return false;
    std::uint64_t result = 0;
    for (wchar_t c : text) {
        int digit = HexDigitValue(c);
        if (digit < 0) return false;
        result = result * 16 + static_cast<unsigned>(digit);
        if (result > 0xFFFFFFFFull) return false;
    }
    value = static_cast<std::uint32_t>(result);
    return true;
}

std::wstring TitleKeyName(const std::wstring& title) {
    std::wstring noSpaces;
    for (wchar_t c : title)
        if (c != L' ') noSpaces += c;
    std::wstring result;
    for (wchar_t c : TrimBlanks(noSpaces))
        if (c != L'\'') result += c;
    return result;
}

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

} // namespace vtx
