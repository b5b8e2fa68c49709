// One icon and four version texts per distinct file name, cached for the
// whole run.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>
#include "toolkit/Handle.h"

namespace vtx {

enum class TIconType { itFile, itExtension };

// Complete after its constructor, never changed afterwards.
class TFileInfoItem {
public:
    // Swallows every error of the version step; the texts stay empty then.
    TFileInfoItem(const std::wstring& aFilename, const std::wstring& aID, TIconType aIconType);
    TFileInfoItem(const TFileInfoItem&) = delete;
    TFileInfoItem& operator=(const TFileInfoItem&) = delete;

    const std::wstring& Filename() const noexcept { return FFilename; }
    // nullptr when the platform gave none; owned by the item.
    HICON Icon() const noexcept { return FIcon.get(); }
    const std::wstring& Product() const noexcept { return FProduct; }
    const std::wstring& Company() const noexcept { return FCompany; }
    const std::wstring& Description() const noexcept { return FDescription; }
    const std::wstring& Version() const noexcept { return FVersion; }
    const std::wstring& ID() const noexcept { return FID; }

private:
    std::wstring FFilename;
    unique_hicon FIcon;
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
