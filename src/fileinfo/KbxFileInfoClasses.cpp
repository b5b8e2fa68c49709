#include "fileinfo/KbxFileInfoClasses.h"
#include <shellapi.h>
#include <map>
#include <unordered_set>
#include <utility>
#include "fileinfo/FileInfoText.h"
#include "fileinfo/VtxFileUtils.h"
#include "system/DynamicCalls.h"
#include "system/SystemLogic.h"
#include "system/VtxSysInfo.h"

namespace vtx {

namespace {

// Freed by static destruction at program end, and with it every icon.
std::unique_ptr<TFileInfoCache> gFileInfoCache;

// The shell's icon of an extension, as if a normal file had it; the file itself
// is not opened. The shell has its small and large icon at the system's dpi:
// a list at another dpi gets the small one up to its size, else the large one,
// which the list shrinks rather than blows up.
unique_hicon ShellExtensionIcon(const std::wstring& extension, int size) noexcept {
    const UINT which = size <= ::GetSystemMetrics(SM_CXSMICON) ? SHGFI_SMALLICON : SHGFI_LARGEICON;
    SHFILEINFOW info{};
    if (!dyn::SHGetFileInfoW(extension.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                             SHGFI_ICON | SHGFI_USEFILEATTRIBUTES | which))
        return unique_hicon();
    return unique_hicon(info.hIcon);
}

// Each call of the shell hands over a new copy of the icon (a user object and
// two bitmaps), so the items of one extension and size share one. The table
// only remembers them: the icon goes with the last item that holds it.
TSharedIcon ExtensionIcon(const std::wstring& fileName, int size) {
    static std::map<std::pair<std::wstring, int>, std::weak_ptr<const unique_hicon>> shared;
    const std::wstring extension = FileExtensionOf(fileName);
    std::weak_ptr<const unique_hicon>& slot = shared[{FoldFileNameCase(extension), size}];
    if (TSharedIcon icon = slot.lock()) return icon;
    unique_hicon made = ShellExtensionIcon(extension, size);
    if (!made) return nullptr;
    auto icon = std::make_shared<const unique_hicon>(std::move(made));
    slot = icon;
    return icon;
}

HICON ExtractFirstIcon(const std::wstring& fileName, int size) noexcept {
    HICON icon = nullptr;
    UINT id = 0;
    const UINT found = ::PrivateExtractIconsW(fileName.c_str(), 0, size, size, &icon, &id, 1, 0);
    return found != 0 && found != 0xFFFFFFFF ? icon : nullptr;
}

// The file's first icon at the wanted size, read by user32 itself (no shell32
// needed). User32 reads a path of MAX_PATH characters or more in the extended
// form if at all; Wine reads neither form, but the short (8.3) names of the
// same path, where the volume keeps them.
HICON FileIcon(const std::wstring& fileName, int size) noexcept {
    if (HICON icon = ExtractFirstIcon(fileName, size)) return icon;
    try {
        const std::wstring extended = ExtendedLengthPath(fileName);
        if (extended == fileName) return nullptr;
        if (HICON icon = ExtractFirstIcon(extended, size)) return icon;
        std::wstring shortName(extended.size() + 1, L'\0');
        const DWORD length =
            ::GetShortPathNameW(extended.c_str(), shortName.data(), static_cast<DWORD>(shortName.size()));
        if (length == 0 || length >= shortName.size()) return nullptr;
        shortName = WithoutExtendedPrefix(shortName.substr(0, length));
        return shortName.size() < MAX_PATH ? ExtractFirstIcon(shortName, size) : nullptr;
    } catch (...) {
        return nullptr;
    }
}

} // namespace

int DefaultIconSize() noexcept { return ::GetSystemMetrics(SM_CXSMICON); }

TFileInfoItem::TFileInfoItem(const std::wstring& aFilename, const std::wstring& aID, TIconType aIconType)
    : TFileInfoItem(aFilename, aID, aIconType, DefaultIconSize()) {}

TFileInfoItem::TFileInfoItem(const std::wstring& aFilename, const std::wstring& aID, TIconType aIconType,
                             int iconSize)
    : FFilename(aFilename), FIconType(aIconType), FIcons{{iconSize, nullptr}}, FID(aID) {
    // A bare name (System, Registry, a process whose path is unknown) would
    // be looked up in the current folder and on the search path by both the
    // icon and the version reader, and show another file's icon and texts.
    if (!HasDirectoryPart(aFilename)) return;
    FIcons.front().Icon = MakeIcon(iconSize);
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

TSharedIcon TFileInfoItem::MakeIcon(int size) const {
    if (!HasDirectoryPart(FFilename)) return nullptr;
    if (FIconType == TIconType::itExtension) return ExtensionIcon(FFilename, size);
    unique_hicon icon(FileIcon(FFilename, size));
    return icon ? std::make_shared<const unique_hicon>(std::move(icon)) : nullptr;
}

HICON TFileInfoItem::Icon() const noexcept {
    const TSharedIcon& icon = FIcons.front().Icon;
    return icon ? icon->get() : nullptr;
}

HICON TFileInfoItem::IconAt(int size) const {
    for (const TSizedIcon& sized : FIcons)
        if (sized.Size == size) return sized.Icon ? sized.Icon->get() : nullptr;
    // A size without an icon is remembered too: it is not asked for again.
    const TSizedIcon& added = FIcons.emplace_back(TSizedIcon{size, MakeIcon(size)});
    return added.Icon ? added.Icon->get() : nullptr;
}

std::vector<HICON> TFileInfoItem::IconHandles() const {
    std::vector<HICON> handles;
    for (const TSizedIcon& sized : FIcons)
        if (sized.Icon) handles.push_back(sized.Icon->get());
    return handles;
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

std::size_t TFileInfoCache::IconHandleCount() const {
    std::unordered_set<HICON> handles;
    for (const auto& item : FItems)
        for (HICON icon : item->IconHandles()) handles.insert(icon);
    return handles.size();
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
