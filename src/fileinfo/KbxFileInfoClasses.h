// One icon and four version texts per distinct file name, cached for the
// whole run.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>
#include "base/Handle.h"

namespace vtx {

enum class TIconType { itFile, itExtension };

// An icon handle owned once and held by every item that shows it: the items
// of one extension share the shell's icon for it.
using TSharedIcon = std::shared_ptr<const unique_hicon>;

// The size items make their first icon at: the small icon at the system's dpi.
int DefaultIconSize() noexcept;

// Complete after its constructor; later it only gains icons of other sizes.
class TFileInfoItem {
public:
    // Swallows every error of the version step; the texts stay empty then.
    TFileInfoItem(const std::wstring& aFilename, const std::wstring& aID, TIconType aIconType);
    // The icon made at iconSize x iconSize pixels.
    TFileInfoItem(const std::wstring& aFilename, const std::wstring& aID, TIconType aIconType, int iconSize);
    TFileInfoItem(const TFileInfoItem&) = delete;
    TFileInfoItem& operator=(const TFileInfoItem&) = delete;

    const std::wstring& Filename() const noexcept { return FFilename; }
    TIconType IconType() const noexcept { return FIconType; }
    // The icon at the size the item was made with; nullptr when the platform
    // gave none. Held by the item, with the other items of its extension
    // (itExtension), until the last of them goes.
    HICON Icon() const noexcept;
    int IconSize() const noexcept { return FIcons.front().Size; }
    // The icon at size x size pixels, for a list at another dpi: made on the
    // first request of that size and held like Icon(), so each handle stays
    // valid as long as the item.
    HICON IconAt(int size) const;
    // Every icon handle the item holds, one per size asked for; none for sizes
    // the platform gave no icon at.
    std::vector<HICON> IconHandles() const;
    const std::wstring& Product() const noexcept { return FProduct; }
    const std::wstring& Company() const noexcept { return FCompany; }
    const std::wstring& Description() const noexcept { return FDescription; }
    const std::wstring& Version() const noexcept { return FVersion; }
    const std::wstring& ID() const noexcept { return FID; }

private:
    struct TSizedIcon {
        int Size = 0;
        TSharedIcon Icon;  // empty when the platform gave none
    };
    TSharedIcon MakeIcon(int size) const;

    std::wstring FFilename;
    TIconType FIconType;
    // The first is the size the item was made with. Grows from const calls:
    // the cache is used from the user-interface thread alone.
    mutable std::vector<TSizedIcon> FIcons;
    std::wstring FProduct;
    std::wstring FCompany;
    std::wstring FDescription;
    std::wstring FVersion;
    std::wstring FID;
};

// Items in creation order, owned. The index beside the list answers the
// same as a scan from the first item would: exact names, first one wins.
class TFileInfoCache {
public:
    TFileInfoCache() = default;
    TFileInfoCache(const TFileInfoCache&) = delete;
    TFileInfoCache& operator=(const TFileInfoCache&) = delete;

    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    const TFileInfoItem& Items(int index) const { return *FItems.at(static_cast<std::size_t>(index)); }
    // nullptr when no item has exactly this name.
    const TFileInfoItem* Find(const std::wstring& fileName) const noexcept;
    // Appends the item; returns the item that answers for its name from now on.
    const TFileInfoItem& Add(std::unique_ptr<TFileInfoItem> item);
    // Distinct icon handles held by the items: what they cost in user and
    // GDI objects (one icon and two bitmaps each).
    std::size_t IconHandleCount() const;

private:
    std::vector<std::unique_ptr<TFileInfoItem>> FItems;
    std::unordered_map<std::wstring, const TFileInfoItem*> FIndex;
};

// The process-wide cache, created on first use and freed at program end.
TFileInfoCache& FileInfoCache();
// Test hook: whether anything has created the cache yet.
bool FileInfoCacheCreated() noexcept;

// The cached item for the exact file name, created on its first lookup; the
// ID and icon kind of later lookups are ignored. Valid to program end.
const TFileInfoItem& GetFileInfoItem(const std::wstring& fileName, const std::wstring& id, TIconType iconType);

} // namespace vtx
