#include "fileinfo/KbxFileInfoClasses.h"
#include <shellapi.h>
#include "fileinfo/FileInfoText.h"
#include "fileinfo/VtxFileUtils.h"
#include "system/DynamicCalls.h"
#include "system/SystemLogic.h"

namespace vtx {

namespace {

// Freed by static destruction at program end, and with it every icon.
std::unique_ptr<TFileInfoCache> gFileInfoCache;

HICON ExtensionIcon(const std::wstring& fileName) noexcept {
    const std::wstring extension = FileExtensionOf(fileName);
    SHFILEINFOW info{};
    if (!dyn::SHGetFileInfoW(extension.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                          SHGFI_ICON | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON))
        return nullptr;
    return info.hIcon;
}

// The file's first icon at the large size, as ExtractIconW gives it, read by
// user32 itself: no shell32 needed.
HICON FileIcon(const std::wstring& fileName) noexcept {
    HICON icon = nullptr;
    UINT id = 0;
    const int size = ::GetSystemMetrics(SM_CXICON);
    UINT found = ::PrivateExtractIconsW(fileName.c_str(), 0, size, size, &icon, &id, 1, 0);
    return found != 0 && found != 0xFFFFFFFF ? icon : nullptr;
}

} // namespace

TFileInfoItem::TFileInfoItem(const std::wstring& aFilename, const std::wstring& aID, TIconType aIconType)
    : FFilename(aFilename), FID(aID) {
    // A bare name (System, Registry, a process whose path is unknown) would
    // be looked up in the current folder and on the search path by both the
    // icon and the version reader, and show another file's icon and texts.
    if (!HasDirectoryPart(aFilename)) return;
    if (aIconType == TIconType::itFile)
        FIcon.reset(FileIcon(aFilename));
    else
        FIcon.reset(ExtensionIcon(aFilename));
    // The reader's own checks cover everything a separate readability test
    // would: whatever fails there leaves the texts empty, so one fetch does.
    try {
        const TVtxFileVersionInfo info(aFilename);
        FProduct = TrimBlanks(info.ProductName());
        FCompany = TrimBlanks(info.CompanyName());
        FDescription = TrimBlanks(info.FileDescription());
        FVersion = TrimBlanks(info.FileVersion());
    } catch (...) {
        FProduct.clear();
        FCompany.clear();
        FDescription.clear();
        FVersion.clear();
    }
}

const TFileInfoItem* TFileInfoCache::Find(const std::wstring& fileName) const noexcept {
    const auto found = FIndex.find(fileName);
    return found == FIndex.end() ? nullptr : found->second;
}

const TFileInfoItem& TFileInfoCache::Add(std::unique_ptr<TFileInfoItem> item) {
    const TFileInfoItem* added = item.get();
    FItems.push_back(std::move(item));
    // emplace keeps an earlier item of the same name: that one answers.
    return *FIndex.emplace(added->Filename(), added).first->second;
}

TFileInfoCache& FileInfoCache() {
    if (!gFileInfoCache) gFileInfoCache = std::make_unique<TFileInfoCache>();
    return *gFileInfoCache;
}

bool FileInfoCacheCreated() noexcept { return gFileInfoCache != nullptr; }

const TFileInfoItem& GetFileInfoItem(const std::wstring& fileName, const std::wstring& id, TIconType iconType) {
    TFileInfoCache& cache = FileInfoCache();
    if (const TFileInfoItem* item = cache.Find(fileName)) return *item;
    return cache.Add(std::make_unique<TFileInfoItem>(fileName, id, iconType));
}

} // namespace vtx
