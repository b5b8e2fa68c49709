#include "instances/VtxFileUtils.h"
#include <algorithm>
#include <cstring>
#include "system/VtxSysInfo.h"
#include "base/OSError.h"

namespace vtx {

std::uint64_t RoundToGranularity(std::uint64_t offset, std::uint32_t granularity,
                                 TVtxFileMappingRoundOffset direction) noexcept {
    if (granularity == 0 || offset % granularity == 0) return offset;
    std::uint64_t below = offset / granularity * granularity;
    return direction == TVtxFileMappingRoundOffset::rvDown ? below : below + granularity;
}

TVtxCustomFileMapping::~TVtxCustomFileMapping() { FreeAllViews(); }

std::int32_t TVtxCustomFileMapping::Add(DWORD access, DWORD count, std::uint64_t offset) {
    return IndexOf(&TVtxFileMappingView::Create(this, access, count, offset));
}

TVtxFileMappingView& TVtxCustomFileMapping::GetView(std::int32_t index) const {
    if (index < 0 || index >= Count())
        throw EVtxError(L"List index out of bounds (" + std::to_wstring(index) + L")");
    return *FViews[index];
}

std::int32_t TVtxCustomFileMapping::IndexOf(const TVtxFileMappingView* view) const noexcept {
    for (std::size_t i = 0; i < FViews.size(); ++i)
        if (FViews[i].get() == view) return static_cast<std::int32_t>(i);
    return -1;
}

void TVtxCustomFileMapping::FreeAllViews() noexcept {
    while (!FViews.empty()) {
        std::unique_ptr<TVtxFileMappingView> view = std::move(FViews.back());
        FViews.pop_back();
        if (OnFreeView) {
            try {
                OnFreeView(*view);
            } catch (...) {
                // an observer's failure must not keep the view mapped
            }
        }
    }
}

TVtxSwapFileMapping::TVtxSwapFileMapping(const std::wstring& name, DWORD protect, std::uint64_t maximumSize,
                                         SECURITY_ATTRIBUTES* secAttr) {
    FName = name;
    FHandle.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, secAttr, protect, static_cast<DWORD>(maximumSize >> 32),
                                       static_cast<DWORD>(maximumSize), name.empty() ? nullptr : name.c_str()));
    ThrowWin32ErrorIf<EVtxFileMappingError>(!FHandle, L"Failed to create FileMapping");
    FExisted = ::GetLastError() == ERROR_ALREADY_EXISTS;
}

TVtxFileMappingView& TVtxFileMappingView::Create(TVtxCustomFileMapping* fileMap, DWORD access, DWORD size,
                                                 std::uint64_t viewOffset) {
    if (!fileMap)
        throw EVtxFileMappingViewError(L"FileMap argument of TVtxFileMappingView constructor cannot be nil");
    std::unique_ptr<TVtxFileMappingView> view(new TVtxFileMappingView(*fileMap, access, size, viewOffset));
    fileMap->FViews.push_back(std::move(view));
    return *fileMap->FViews.back();
}

TVtxFileMappingView::TVtxFileMappingView(TVtxCustomFileMapping& fileMap, DWORD access, DWORD size,
                                         std::uint64_t viewOffset)
    : FFileMapping(&fileMap) {
    std::uint64_t offset =
        RoundToGranularity(viewOffset, SystemFacts().AllocationGranularity, fileMap.RoundViewOffset());
    FOffsetHigh = static_cast<DWORD>(offset >> 32);
    FOffsetLow = static_cast<DWORD>(offset);
    FView.reset(::MapViewOfFile(fileMap.Handle(), access, FOffsetHigh, FOffsetLow, size));
    ThrowWin32ErrorIf<EVtxFileMappingViewError>(!FView, L"Failed to create FileMappingView");
    FMemory = FView.get();
    FSize = size;
}

TVtxFileMappingView::~TVtxFileMappingView() {
    FView.reset();
    FMemory = nullptr;
    FSize = 0;
    // A view destroyed on its own leaves its mapping's list; the mapping
    // takes it out before it frees it, so this finds nothing then.
    auto& views = FFileMapping->FViews;
    auto it = std::find_if(views.begin(), views.end(), [this](const auto& v) { return v.get() == this; });
    if (it != views.end()) {
        it->release();
        views.erase(it);
    }
}

std::size_t TVtxFileMappingView::Read(void* buffer, std::size_t count) noexcept {
    std::size_t available = FSize - FPosition;
    std::size_t n = count < available ? count : available;
    if (n) std::memcpy(buffer, static_cast<const char*>(FMemory) + FPosition, n);
    FPosition += n;
    return n;
}

} // namespace vtx
