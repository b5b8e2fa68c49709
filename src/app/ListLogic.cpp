#include "app/ListLogic.h"
#include <algorithm>
#include "base/Text.h"

namespace vtx {

void DropFirstDirectory(std::wstring& dir) {
    if (dir == L"\\") {
        dir.clear();
        return;
    }
    bool root = !dir.empty() && dir[0] == L'\\';
    if (root) dir.erase(0, 1);
    if (!dir.empty() && dir[0] == L'.') dir.erase(0, std::min<size_t>(4, dir.size()));
    size_t slash = dir.find(L'\\');
    if (slash != std::wstring::npos) {
        dir = L"...\\" + dir.substr(slash + 1);
    } else {
        dir.clear();
    }
    if (root) dir = L"\\" + dir;
}

std::wstring FitPathToWidth(const std::wstring& fileName, const TTextMeasure& measure, std::int32_t maxWidth) {
    std::wstring result = fileName;
    size_t cut = fileName.find_last_of(L"\\:");
    std::wstring dir = cut == std::wstring::npos ? std::wstring() : fileName.substr(0, cut + 1);
    std::wstring name = cut == std::wstring::npos ? fileName : fileName.substr(cut + 1);
    std::wstring drive;
    if (dir.size() >= 2 && dir[1] == L':') {
        drive = dir.substr(0, 2);
        dir.erase(0, 2);
    }
    while ((!dir.empty() || !drive.empty()) && measure(result) > maxWidth) {
        if (dir == L"\\...\\") {
            drive.clear();
            dir = L"...\\";
        } else if (dir.empty()) {
            drive.clear();
        } else {
            DropFirstDirectory(dir);
        }
        result = drive + dir + name;
    }
    return result;
}

std::wstring ProcessIdText(std::int32_t id) { return HexText(static_cast<std::uint32_t>(id), 4); }

std::int32_t ProcessIdFromText(const std::wstring& text) {
    // Hexadecimal digits only; any 32-bit pattern, so FFFFFFFF reads as -1.
    std::uint32_t value = 0;
    if (!TryParseHex(text, value)) return -1;
    return static_cast<std::int32_t>(value);
}

void TProcessIdIndex::Add(const std::wstring& text, std::uint32_t id) {
    auto value = static_cast<std::int32_t>(id);
    FByText.emplace(FFold(text), value);
    FByName.emplace(FFold(FileNamePart(text)), value);
}

std::int32_t TProcessIdIndex::Find(const std::wstring& fileName) const {
    const auto& map = HasDirectoryPart(fileName) ? FByText : FByName;
    auto it = map.find(FFold(fileName));
    return it == map.end() ? -1 : it->second;
}

std::wstring TableText(const std::vector<std::vector<std::wstring>>& lines) {
    std::wstring text;
    for (size_t line = 0; line < lines.size(); ++line) {
        if (line > 0) text += L"\r\n";
        for (size_t cell = 0; cell < lines[line].size(); ++cell) {
            if (cell > 0) text += L'\t';
            for (wchar_t c : lines[line][cell]) text += (c == L'\t' || c == L'\r' || c == L'\n') ? L' ' : c;
        }
    }
    return text;
}

} // namespace vtx
