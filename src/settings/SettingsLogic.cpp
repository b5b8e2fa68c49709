#include "settings/SettingsLogic.h"

namespace vtx {

std::wstring TrimBlanks(const std::wstring& text) {
    size_t first = 0, last = text.size();
    while (first < last && text[first] <= L' ') ++first;
    while (last > first && text[last - 1] <= L' ') --last;
    return text.substr(first, last - first);
}

std::wstring RegistryKeyName(const std::wstring& title) {
    std::wstring noSpaces;
    for (wchar_t c : title)
        if (c != L' ') noSpaces += c;
    std::wstring result;
    for (wchar_t c : TrimBlanks(noSpaces))
        if (c != L'\'') result += c;
    return result;
}

std::wstring RegistryKeyPath(const std::wstring& title) { return L"\\Software\\Quelmar\\" + RegistryKeyName(title); }

bool TryParseInt32(const std::wstring& text, std::int32_t& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == L' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    unsigned base = 10;
    if (i < text.size() && text[i] == L'$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return false;
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        wchar_t c = text[i];
        unsigned digit;
        if (c >= L'0' && c <= L'9') digit = static_cast<unsigned>(c - L'0');
        else if (base == 16 && c >= L'a' && c <= L'f') digit = static_cast<unsigned>(c - L'a' + 10);
        else if (base == 16 && c >= L'A' && c <= L'F') digit = static_cast<unsigned>(c - L'A' + 10);
        else return false;
        magnitude = magnitude * base + digit;
        // Hexadecimal texts may use all 32 bits (FFFFFFFF is -1).
        if (magnitude > (base == 16 ? 0xFFFFFFFFull : 0x80000000ull)) return false;
    }
    if (base == 16) {
        std::int32_t bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
        value = negative ? -bits : bits;
        return true;
    }
    if (!negative && magnitude > 0x7FFFFFFFull) return false;
    value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                     : static_cast<std::int32_t>(magnitude);
    return true;
}

} // namespace vtx
