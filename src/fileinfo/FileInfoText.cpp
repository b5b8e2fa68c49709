#include "fileinfo/FileInfoText.h"
#include <string_view>

namespace vtx {

std::wstring FileExtensionOf(const std::wstring& fileName) {
    const std::size_t at = fileName.find_last_of(L".\\:");
    if (at == std::wstring::npos || fileName[at] != L'.') return {};
    return fileName.substr(at);
}

namespace {

constexpr std::size_t LongPathLength = 260;  // MAX_PATH
constexpr std::wstring_view ExtendedPrefix = L"\\\\?\\";
constexpr std::wstring_view ExtendedUncPrefix = L"\\\\?\\UNC\\";

bool IsDriveLetter(wchar_t c) noexcept { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// No "/" and no "." or ".." component: the extended form would keep them as names.
bool Canonical(const std::wstring& path) {
    if (path.find(L'/') != std::wstring::npos) return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find(L'\\', start);
        const std::wstring part = path.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (part == L"." || part == L"..") return false;
        if (end == std::wstring::npos) return true;
        start = end + 1;
    }
}

} // namespace

std::wstring ExtendedLengthPath(const std::wstring& path) {
    if (path.size() < LongPathLength || !Canonical(path)) return path;
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && path[2] == L'\\')
        return std::wstring(ExtendedPrefix) + path;
    // "\\server\share\...", but not "\\?\" or "\\.\" (devices, already extended).
    if (path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' && path[2] != L'.' &&
        path[2] != L'\\')
        return std::wstring(ExtendedUncPrefix) + path.substr(2);
    return path;
}

std::wstring WithoutExtendedPrefix(const std::wstring& path) {
    if (path.compare(0, ExtendedUncPrefix.size(), ExtendedUncPrefix) == 0)
        return L"\\\\" + path.substr(ExtendedUncPrefix.size());
    if (path.compare(0, ExtendedPrefix.size(), ExtendedPrefix) == 0) return path.substr(ExtendedPrefix.size());
    return path;
}

} // namespace vtx
