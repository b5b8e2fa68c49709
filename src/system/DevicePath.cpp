#include "system/DevicePath.h"
#include "base/Text.h"

namespace vtx {

namespace {

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (AsciiUpper(text[i]) != AsciiUpper(prefix[i])) return false;
    return true;
}

// Prefix followed by a backslash or the end: \Device\HarddiskVolume1 is not
// a prefix of \Device\HarddiskVolume10\x.
bool StartsWithComponent(const std::wstring& text, const std::wstring& prefix) {
    return StartsWithNoCase(text, prefix) && (text.size() == prefix.size() || text[prefix.size()] == L'\\');
}

// "\\?\C:\x" and "\??\C:\x" give "C:\x"; "...\UNC\server\share" gives "\\server\share".
std::wstring WithoutObjectPrefix(const std::wstring& rest) {
    if (StartsWithComponent(rest, L"UNC")) return L"\\" + rest.substr(3);
    return rest;
}

} // namespace

std::wstring DosPathFromNtPath(const std::wstring& ntPath, const std::vector<TDosDevice>& devices) {
    if (StartsWithNoCase(ntPath, L"\\??\\") || StartsWithNoCase(ntPath, L"\\\\?\\"))
        return WithoutObjectPrefix(ntPath.substr(4));
    // The redirector's share paths: \Device\Mup\server\share\dir.
    if (StartsWithComponent(ntPath, L"\\Device\\Mup")) {
        std::wstring rest = ntPath.substr(11);
        return rest.size() > 1 ? L"\\" + rest : std::wstring();
    }
    for (const TDosDevice& device : devices) {
        if (device.Device.empty() || device.Drive.empty() || !StartsWithComponent(ntPath, device.Device)) continue;
        std::wstring rest = ntPath.substr(device.Device.size());
        return device.Drive + (rest.empty() ? L"\\" : rest);
    }
    return {};
}

} // namespace vtx
