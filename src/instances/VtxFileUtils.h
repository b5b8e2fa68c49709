// Named shared memory backed by the paging file, its views, and their errors.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "base/Errors.h"
#include "base/Handle.h"

namespace vtx {

// EVtxWin32Error itself is declared with the rest of the family in
// base/Errors.h; its kin of this unit differ in the type only.
class EVtxFileMappingError : public EVtxWin32Error {
public:
    using EVtxWin32Error::EVtxWin32Error;
};
class EVtxFileMappingViewError : public EVtxWin32Error {
public:
    using EVtxWin32Error::EVtxWin32Error;
};

enum class TVtxFileMappingRoundOffset { rvDown, rvUp };

// Offset rounded to a multiple of the allocation granularity.
std::uint64_t RoundToGranularity(std::uint64_t offset, std::uint32_t granularity,
                                 TVtxFileMappingRoundOffset direction) noexcept;

class TVtxFileMappingView;

class TVtxCustomFileMapping {
public:
    TVtxCustomFileMapping(const TVtxCustomFileMapping&) = delete;
    TVtxCustomFileMapping& operator=(const TVtxCustomFileMapping&) = delete;
    virtual ~TVtxCustomFileMapping();

    // Maps Count bytes at Offset and returns the new view's index.
    std::int32_t Add(DWORD access, DWORD count, std::uint64_t offset);
    TVtxFileMappingView& GetView(std::int32_t index) const;
    std::int32_t IndexOf(const TVtxFileMappingView* view) const noexcept;
    // Destroys the views, the newest first.
    void FreeAllViews() noexcept;

    std::int32_t Count() const noexcept { return static_cast<std::int32_t>(FViews.size()); }
    bool Existed() const noexcept { return FExisted; }
    HANDLE Handle() const noexcept { return FHandle.get(); }
    const std::wstring& Name() const noexcept { return FName; }
    TVtxFileMappingRoundOffset RoundViewOffset() const noexcept { return FRoundViewOffset; }
    void SetRoundViewOffset(TVtxFileMappingRoundOffset value) noexcept { FRoundViewOffset = value; }

    // Told of every view just before it is destroyed.
    std::function<void(const TVtxFileMappingView&)> OnFreeView;

protected:
    TVtxCustomFileMapping() = default;

    bool FExisted = false;
    unique_handle FHandle;
    std::wstring FName;
    TVtxFileMappingRoundOffset FRoundViewOffset = TVtxFileMappingRoundOffset::rvDown;

private:
    friend class TVtxFileMappingView;
    std::vector<std::unique_ptr<TVtxFileMappingView>> FViews;
};

class TVtxSwapFileMapping : public TVtxCustomFileMapping {
public:
    // Opens or creates the named mapping; Existed tells which. Raises EVtxFileMappingError.
    TVtxSwapFileMapping(const std::wstring& name, DWORD protect, std::uint64_t maximumSize,
                        SECURITY_ATTRIBUTES* secAttr);
};

// One mapped range of a mapping, read like a memory stream. The mapping owns it.
class TVtxFileMappingView {
public:
    // Maps the range and hands the view to FileMap. Raises EVtxFileMappingViewError.
    static TVtxFileMappingView& Create(TVtxCustomFileMapping* fileMap, DWORD access, DWORD size,
                                       std::uint64_t viewOffset);
    TVtxFileMappingView(const TVtxFileMappingView&) = delete;
    TVtxFileMappingView& operator=(const TVtxFileMappingView&) = delete;
    virtual ~TVtxFileMappingView();

    void* Memory() const noexcept { return FMemory; }
    std::size_t Size() const noexcept { return FSize; }
    std::size_t Position() const noexcept { return FPosition; }
    void SetPosition(std::size_t value) noexcept { FPosition = value < FSize ? value : FSize; }
    // Copies up to Count bytes from the position on; returns how many.
    std::size_t Read(void* buffer, std::size_t count) noexcept;

    std::int32_t Index() const noexcept { return FFileMapping->IndexOf(this); }
    TVtxCustomFileMapping& FileMapping() const noexcept { return *FFileMapping; }
    std::uint64_t Offset() const noexcept { return (std::uint64_t(FOffsetHigh) << 32) | FOffsetLow; }

private:
    TVtxFileMappingView(TVtxCustomFileMapping& fileMap, DWORD access, DWORD size, std::uint64_t viewOffset);

    TVtxCustomFileMapping* FFileMapping;
    DWORD FOffsetHigh = 0;
    DWORD FOffsetLow = 0;
    unique_view FView;
    void* FMemory = nullptr;
    std::size_t FSize = 0;
    std::size_t FPosition = 0;
};

} // namespace vtx
