// Named dispatcher objects and a recursive lock that works across processes.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include "base/Errors.h"
#include "base/Handle.h"

namespace vtx {

// The error of a named event that can be neither created nor opened.
class EVtxEventError : public EVtxWin32Error {
public:
    using EVtxWin32Error::EVtxWin32Error;
};

enum class TVtxWaitResult { wrAbandoned, wrError, wrIoCompletion, wrSignaled, wrTimeout };

TVtxWaitResult MapWaitResult(DWORD result) noexcept;

class TVtxDispatcherObject {
public:
    TVtxDispatcherObject(const TVtxDispatcherObject&) = delete;
    TVtxDispatcherObject& operator=(const TVtxDispatcherObject&) = delete;
    virtual ~TVtxDispatcherObject() = default;

    TVtxWaitResult WaitFor(DWORD timeOut) const noexcept;
    TVtxWaitResult WaitForever() const noexcept { return WaitFor(INFINITE); }

    bool Existed() const noexcept { return FExisted; }
    HANDLE Handle() const noexcept { return FHandle.get(); }
    const std::wstring& Name() const noexcept { return FName; }

protected:
    TVtxDispatcherObject() = default;

    bool FExisted = false;
    unique_handle FHandle;
    std::wstring FName;
};

class TVtxEvent : public TVtxDispatcherObject {
public:
    // An empty name makes an unnamed event. When OpenAccess is not 0 and full
    // access to an existing event of that name is refused, the event is opened
    // with OpenAccess alone. Raises EVtxEventError.
    TVtxEvent(SECURITY_ATTRIBUTES* secAttr, bool manual, bool signaled, const std::wstring& name,
              DWORD openAccess = 0);
    bool SetEvent() noexcept;
};

// The lock's shared block could be neither made nor opened, or not mapped:
// the runtime's assertion failure, with the platform's reason kept.
class EOptexBlockError : public EAssertionFailed {
public:
    EOptexBlockError(const std::wstring& unit, int line, std::uint32_t lastError)
        : EAssertionFailed(unit, line), FLastError(lastError) {}
    std::uint32_t LastError() const noexcept { return FLastError; }

private:
    std::uint32_t FLastError;
};

// The lock's state, shared by every process that opens the lock.
struct TOptexSharedInfo {
    std::int32_t SpinCount;
    std::int32_t LockCount;       // owner's depth + announced waiters; atomic only
    std::uint32_t ThreadId;       // owning thread, 0 = none
    std::int32_t RecursionCount;  // written by the owner only
};
static_assert(sizeof(TOptexSharedInfo) == 16, "the lock block is shared between processes");

class TVtxOptex {
public:
    static constexpr std::int32_t DefaultSpinCount = 4000;

    // What the lock itself needs of an existing named event and block.
    static constexpr DWORD EventUseAccess = SYNCHRONIZE | EVENT_MODIFY_STATE;
    static constexpr DWORD BlockUseAccess = FILE_MAP_READ | FILE_MAP_WRITE;

    // An empty name makes a lock for this process alone. A named lock's event
    // and block belong to the token user, who has full access to them,
    // elevated or not; every other account may use them but not change them.
    // An existing event or block that refuses full access (made by another
    // account, or with another access list) is opened with what the lock needs.
    // Raises EVtxEventError, EOptexBlockError or EOSError.
    explicit TVtxOptex(const std::wstring& name, std::int32_t spinCount = DefaultSpinCount);
    TVtxOptex(const TVtxOptex&) = delete;
    TVtxOptex& operator=(const TVtxOptex&) = delete;
    virtual ~TVtxOptex();

    void Enter() noexcept;
    bool TryEnter() noexcept;
    void Leave() noexcept;

    std::int32_t SpinCount() const noexcept;
    void SetSpinCount(std::int32_t value) noexcept;
    bool Existed() const noexcept { return FExisted; }
    const std::wstring& Name() const noexcept { return FName; }
    bool UniProcess() const noexcept { return !FFileMapping; }
    // The shared block itself, for inspection.
    const TOptexSharedInfo& SharedInfo() const noexcept { return *FSharedInfo; }

    // How long Enter blocks before it looks whether the owner still lives.
    static constexpr DWORD OwnerCheckInterval = 100;

private:
    bool TakeOverFromDeadOwner(std::uint32_t self) noexcept;

    std::unique_ptr<TVtxEvent> FEvent;
    bool FExisted = false;
    unique_handle FFileMapping;
    std::wstring FName;
    unique_view FView;
    std::unique_ptr<TOptexSharedInfo> FLocalInfo;
    TOptexSharedInfo* FSharedInfo = nullptr;
};

} // namespace vtx
