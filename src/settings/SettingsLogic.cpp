#include "settings/SettingsLogic.h"

namespace vtx {

std::wstring RegistryKeyName(const std::wstring& title) { return TitleKeyName(title); }

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
        const int digit = HexDigitValue(text[i]);
        if (digit < 0 || static_cast<unsigned>(digit) >= base) return false;
        magnitude = magnitude * base + static_cast<unsigned>(digit);
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
