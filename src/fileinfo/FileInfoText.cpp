#include "fileinfo/FileInfoText.h"

namespace vtx {

std::wstring FileExtensionOf(const std::wstring& fileName) {
    const std::size_t at = fileName.find_last_of(L".\\:");
    if (at == std::wstring::npos || fileName[at] != L'.') return {};
    return fileName.substr(at);
}

} // namespace vtx
