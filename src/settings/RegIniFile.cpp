#include "settings/RegIniFile.h"
#include "settings/SettingsLogic.h"
#include "base/Errors.h"

namespace vtx {

TRegIniFile::TRegIniFile(HKEY root, const std::wstring& path, REGSAM access) {
    std::wstring relative = path;
    if (!relative.empty() && relative.front() == L'\\') relative.erase(0, 1);
    HKEY key = nullptr;
    if (::RegCreateKeyExW(root, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                          nullptr) == ERROR_SUCCESS)
        FKey.reset(key);
}

bool TRegIniFile::ReadString(const std::wstring& section, const std::wstring& ident, std::wstring& value) const {
    if (!FKey) return false;
    unique_hkey sub;
    if (::RegOpenKeyExW(FKey.get(), section.c_str(), 0, KEY_READ, sub.put()) != ERROR_SUCCESS) return false;
    DWORD type = 0, bytes = 0;
    if (::RegQueryValueExW(sub.get(), ident.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(sub.get(), ident.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    text.resize(size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    value = text;
    return true;
}

std::int32_t TRegIniFile::ReadInteger(const std::wstring& section, const std::wstring& ident, std::int32_t def) const {
    std::wstring text;
    std::int32_t value = 0;
    if (!ReadString(section, ident, text) || !TryParseInt32(text, value)) return def;
    return value;
}

bool TRegIniFile::ReadBool(const std::wstring& section, const std::wstring& ident, bool def) const {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TRegIniFile::WriteString(const std::wstring& section, const std::wstring& ident, const std::wstring& value) {
    if (!FKey) return;
    unique_hkey sub;
    if (::RegCreateKeyExW(FKey.get(), section.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                          sub.put(), nullptr) != ERROR_SUCCESS)
        throw EVtxError(L"Failed to create key " + section);
    // Ignored: a value that cannot be written keeps the stored one, and the
    // store reports only a section it cannot create.
    static_cast<void>(::RegSetValueExW(sub.get(), ident.c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
}

void TRegIniFile::WriteInteger(const std::wstring& section, const std::wstring& ident, std::int32_t value) {
    WriteString(section, ident, std::to_wstring(value));
}

void TRegIniFile::WriteBool(const std::wstring& section, const std::wstring& ident, bool value) {
    WriteString(section, ident, value ? L"1" : L"0");
}

} // namespace vtx
