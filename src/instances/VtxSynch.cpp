#include "instances/VtxSynch.h"
#include "instances/VtxFileUtils.h"
#include "instances/VtxSecurity.h"
#include "system/VtxSysInfo.h"
#include "base/OSError.h"

namespace vtx {

namespace {

const wchar_t* const SynchUnit = L"instances\\VtxSynch.cpp";

volatile LONG* AsAtomic(std::int32_t& value) noexcept { return reinterpret_cast<volatile LONG*>(&value); }
volatile LONG* AsAtomic(std::uint32_t& value) noexcept { return reinterpret_cast<volatile LONG*>(&value); }

// A plain 32-bit read that the compiler may neither cache nor tear.
template <class T>
T ReadOnce(const T& value) noexcept {
    return *static_cast<const volatile T*>(&value);
}

// Only a thread that provably no longer exists counts as dead; a thread that
// cannot be opened for another reason (another account) is taken as alive.
bool ThreadHasEnded(DWORD threadId) noexcept {
    unique_handle thread(::OpenThread(SYNCHRONIZE, FALSE, threadId));
    if (!thread) return ::GetLastError() == ERROR_INVALID_PARAMETER;
    return ::WaitForSingleObject(thread.get(), 0) == WAIT_OBJECT_0;
}

[[noreturn]] void ThrowBlockError(int line) {
    const DWORD code = ::GetLastError();  // first, before anything can change it
    throw EOptexBlockError(SynchUnit, line, code);
}

// Creates a named object, or, when full access to an existing one is refused,
// opens it with only the rights its user needs. One more round covers an
// object that was closed by its last holder between the two calls. On
// failure the last-error code is that of the call that failed.
template <class Create, class Open>
HANDLE CreateOrOpen(Create create, Open open, bool& existed) {
    for (int round = 0; round < 2; ++round) {
        if (HANDLE handle = create()) {
            existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
            return handle;
        }
        if (::GetLastError() != ERROR_ACCESS_DENIED) return nullptr;
        if (HANDLE handle = open()) {
            existed = true;
            return handle;
        }
        if (::GetLastError() != ERROR_FILE_NOT_FOUND) return nullptr;
    }
    return nullptr;
}

} // namespace

TVtxWaitResult MapWaitResult(DWORD result) noexcept {
    switch (result) {
    case WAIT_OBJECT_0: return TVtxWaitResult::wrSignaled;
    case WAIT_ABANDONED: return TVtxWaitResult::wrAbandoned;
    case WAIT_IO_COMPLETION: return TVtxWaitResult::wrIoCompletion;
    case WAIT_TIMEOUT: return TVtxWaitResult::wrTimeout;
    default: return TVtxWaitResult::wrError;
    }
}

TVtxWaitResult TVtxDispatcherObject::WaitFor(DWORD timeOut) const noexcept {
    return MapWaitResult(::WaitForSingleObject(FHandle.get(), timeOut));
}

TVtxEvent::TVtxEvent(SECURITY_ATTRIBUTES* secAttr, bool manual, bool signaled, const std::wstring& name,
                     DWORD openAccess) {
    FName = name;
    const wchar_t* objectName = name.empty() ? nullptr : name.c_str();
    auto create = [&] { return ::CreateEventW(secAttr, manual, signaled, objectName); };
    if (openAccess == 0 || !objectName) {
        FHandle.reset(create());
        ThrowWin32ErrorIf<EVtxEventError>(!FHandle, L"Failed to create event");
        FExisted = ::GetLastError() == ERROR_ALREADY_EXISTS;
        return;
    }
    FHandle.reset(CreateOrOpen(create, [&] { return ::OpenEventW(openAccess, FALSE, objectName); }, FExisted));
    ThrowWin32ErrorIf<EVtxEventError>(!FHandle, L"Failed to create event");
}

bool TVtxEvent::SetEvent() noexcept { return ::SetEvent(FHandle.get()) != FALSE; }

TVtxOptex::TVtxOptex(const std::wstring& name, std::int32_t spinCount) : FName(name) {
    if (name.empty()) {
        FEvent = std::make_unique<TVtxEvent>(nullptr, false, false, std::wstring());
        FLocalInfo = std::make_unique<TOptexSharedInfo>();
        FSharedInfo = FLocalInfo.get();
    } else {
        // Default security would be the creator's token's: an elevated
        // creator's grants Administrators and SYSTEM alone, and shuts out
        // the same user's next normal start.
        TObjectSecurity eventSecurity;
        BuildOwnerAndEveryoneSecurity(eventSecurity, EVENT_ALL_ACCESS, EventUseAccess);
        FEvent = std::make_unique<TVtxEvent>(&eventSecurity.Attributes, false, false, L"Optex_Event_" + name,
                                             EventUseAccess);
        FExisted = FEvent->Existed();
        TObjectSecurity blockSecurity;
        BuildOwnerAndEveryoneSecurity(blockSecurity, FILE_MAP_ALL_ACCESS, BlockUseAccess);
        const std::wstring blockName = L"Optex_MMF_" + name;
        bool blockExisted = false;  // an existing block is used as it is
        FFileMapping.reset(CreateOrOpen(
            [&] {
                return ::CreateFileMappingW(INVALID_HANDLE_VALUE, &blockSecurity.Attributes, PAGE_READWRITE, 0,
                                            sizeof(TOptexSharedInfo), blockName.c_str());
            },
            [&] { return ::OpenFileMappingW(BlockUseAccess, FALSE, blockName.c_str()); }, blockExisted));
        if (!FFileMapping) ThrowBlockError(1121);
        FView.reset(::MapViewOfFile(FFileMapping.get(), FILE_MAP_WRITE, 0, 0, 0));
        if (!FView) ThrowBlockError(1123);
        FSharedInfo = static_cast<TOptexSharedInfo*>(FView.get());
    }
    SetSpinCount(spinCount);
}

TVtxOptex::~TVtxOptex() = default;

std::int32_t TVtxOptex::SpinCount() const noexcept { return ReadOnce(FSharedInfo->SpinCount); }

void TVtxOptex::SetSpinCount(std::int32_t value) noexcept {
    if (value < 0) value = DefaultSpinCount;
    // Spinning on one processor only burns the owner's time slice.
    if (SystemFacts().ProcessorCount > 1) ::InterlockedExchange(AsAtomic(FSharedInfo->SpinCount), value);
}

bool TVtxOptex::TryEnter() noexcept {
    const std::uint32_t self = ::GetCurrentThreadId();
    std::int32_t spin = ReadOnce(FSharedInfo->SpinCount);
    for (;;) {
        if (::InterlockedCompareExchange(AsAtomic(FSharedInfo->LockCount), 1, 0) == 0) {
            FSharedInfo->ThreadId = self;
            FSharedInfo->RecursionCount = 1;
            return true;
        }
        if (ReadOnce(FSharedInfo->ThreadId) == self) {
            ::InterlockedIncrement(AsAtomic(FSharedInfo->LockCount));
            ++FSharedInfo->RecursionCount;
            return true;
        }
        if (--spin <= 0) return false;
        YieldProcessor();  // lets a hyper-threaded owner run while this one spins
    }
}

void TVtxOptex::Enter() noexcept {
    if (TryEnter()) return;
    const std::uint32_t self = ::GetCurrentThreadId();
    if (::InterlockedIncrement(AsAtomic(FSharedInfo->LockCount)) == 1) {
        FSharedInfo->ThreadId = self;
        FSharedInfo->RecursionCount = 1;
        return;
    }
    if (ReadOnce(FSharedInfo->ThreadId) == self) {
        ++FSharedInfo->RecursionCount;
        return;
    }
    // Waits in slices: an owner that died inside the lock would otherwise
    // block every later caller for as long as the block exists.
    for (;;) {
        TVtxWaitResult result = FEvent->WaitFor(OwnerCheckInterval);
        if (result != TVtxWaitResult::wrTimeout) break;  // a failed wait takes ownership as well
        if (TakeOverFromDeadOwner(self)) return;
    }
    FSharedInfo->ThreadId = self;
    FSharedInfo->RecursionCount = 1;
}

bool TVtxOptex::TakeOverFromDeadOwner(std::uint32_t self) noexcept {
    std::uint32_t owner = ReadOnce(FSharedInfo->ThreadId);
    if (owner == 0 || owner == self || !ThreadHasEnded(owner)) return false;
    // Only one waiter may win the dead owner's place.
    if (static_cast<std::uint32_t>(::InterlockedCompareExchange(AsAtomic(FSharedInfo->ThreadId),
                                                                static_cast<LONG>(self), static_cast<LONG>(owner))) !=
        owner)
        return false;
    // Drop the dead owner's levels; this waiter's own increment stays as its one level.
    std::int32_t depth = ReadOnce(FSharedInfo->RecursionCount);
    if (depth > 0) ::InterlockedExchangeAdd(AsAtomic(FSharedInfo->LockCount), -depth);
    FSharedInfo->RecursionCount = 1;
    return true;
}

void TVtxOptex::Leave() noexcept {
    if (--FSharedInfo->RecursionCount > 0) {
        ::InterlockedDecrement(AsAtomic(FSharedInfo->LockCount));
        return;
    }
    FSharedInfo->ThreadId = 0;
    // Ignored: Leave has no way to fail; a lost wake-up is caught by the
    // waiters' sliced waits.
    if (::InterlockedDecrement(AsAtomic(FSharedInfo->LockCount)) > 0) static_cast<void>(FEvent->SetEvent());
}

} // namespace vtx
