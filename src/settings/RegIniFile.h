// The registry seen as an ini file: sections are subkeys of the open key,
// idents are value names in them, every value is text.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "base/Handle.h"

namespace vtx {

class TRegIniFile {
public:
    // Opens (creating as needed) path under root; Opened() tells whether it worked.
    TRegIniFile(HKEY root, const std::wstring& path, REGSAM access);
    bool Opened() const noexcept { return static_cast<bool>(FKey); }

    // Missing subkey or value, empty text, another registry type, or a text
    // that does not convert: the default.
    std::int32_t ReadInteger(const std::wstring& section, const std::wstring& ident, std::int32_t def) const;
    bool ReadBool(const std::wstring& section, const std::wstring& ident, bool def) const;
    bool ReadString(const std::wstring& section, const std::wstring& ident, std::wstring& value) const;
    // Raises "Failed to create key %s" when the section cannot be created.
    // Without an open key nothing is written: the settings live in memory only.
    void WriteInteger(const std::wstring& section, const std::wstring& ident, std::int32_t value);
    void WriteBool(const std::wstring& section, const std::wstring& ident, bool value);
    void WriteString(const std::wstring& section, const std::wstring& ident, const std::wstring& value);

private:
    unique_hkey FKey;
};

} // namespace vtx
