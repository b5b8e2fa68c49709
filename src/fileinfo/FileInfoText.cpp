#include "fileinfo/FileInfoText.h"

namespace vtx {

std::wstring TrimControl(const std::wstring& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned>(text[first]) <= 0x20) ++first;
    while (last > first && static_cast<unsigned>(text[last - 1]) <= 0x20) --last;
    return text.substr(first, last - first);
}

std::wstring FileExtensionOf(const std::wstring& fileName) {
    const std::size_t at = fileName.find_last_of(L".\\:");
    if (at == std::wstring::npos || fileName[at] != L'.') return {};
    return fileName.substr(at);
}

} // namespace vtx
