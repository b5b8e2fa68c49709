#include "instances/VtxAppInst.h"
#include "instances/VtxSecurity.h"
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>
#include "system/VtxSysInfo.h"
#include "base/ModulePath.h"
#include "base/OSError.h"

namespace vtx {

namespace {

constexpr DWORD TableAccess = 0xF001F;  // full access to a mapping
constexpr DWORD TableSize = sizeof(TInstanceTable);

class TOptexLock {
public:
    explicit TOptexLock(TVtxOptex& optex) noexcept : FOptex(optex) { FOptex.Enter(); }
    TOptexLock(const TOptexLock&) = delete;
    TOptexLock& operator=(const TOptexLock&) = delete;
    ~TOptexLock() { FOptex.Leave(); }

private:
    TVtxOptex& FOptex;
};

TInstanceTable& TableOf(TVtxFileMappingView* view) noexcept { return *static_cast<TInstanceTable*>(view->Memory()); }

void AccountFromSid(PSID sid, std::wstring& account, std::wstring& domain) {
    account.clear();
    domain.clear();
    if (SystemFacts().PlatformId != VER_PLATFORM_WIN32_NT) return;
    DWORD nameLength = 0, domainLength = 0;
    SID_NAME_USE use = SidTypeUnknown;
    // Ignored: this call only asks for the sizes and fails by design.
    static_cast<void>(::LookupAccountSidW(nullptr, sid, nullptr, &nameLength, nullptr, &domainLength, &use));
    std::vector<wchar_t> name(nameLength > 0 ? nameLength : 1, L'\0');
    std::vector<wchar_t> dom(domainLength > 0 ? domainLength : 1, L'\0');
    ThrowIfWin32BoolFalse(::LookupAccountSidW(nullptr, sid, nameLength > 0 ? name.data() : nullptr, &nameLength,
                                              domainLength > 0 ? dom.data() : nullptr, &domainLength, &use));
    account = name.data();
    domain = dom.data();
}

DWORD OwnSessionId() noexcept {
    DWORD session = 0;
    // A failed query leaves session 0, the one session there then is.
    if (!::ProcessIdToSessionId(::GetCurrentProcessId(), &session)) return 0;
    return session;
}

struct TFindAppWindow {
    DWORD ProcessId;
    HWND Found;
};

BOOL CALLBACK FindApplicationWindow(HWND wnd, LPARAM param) noexcept {
    auto* ctx = reinterpret_cast<TFindAppWindow*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(wnd, &owner);
    if (owner != ctx->ProcessId) return TRUE;
    // 14 characters: a longer class name arrives cut and never matches.
    wchar_t className[14] = {};
    if (::GetClassNameW(wnd, className, 14) > 0 && std::wcscmp(className, L"TApplication") == 0) {
        ctx->Found = wnd;
        return FALSE;
    }
    return TRUE;
}

struct TNotify {
    UINT Message;
    WPARAM Code;
    LPARAM Param;
};

BOOL CALLBACK NotifyThreadWindow(HWND wnd, LPARAM param) noexcept {
    auto* n = reinterpret_cast<TNotify*>(param);
    // Ignored: a window that cannot take the notice is passed over.
    static_cast<void>(::SendNotifyMessageW(wnd, n->Message, n->Code, n->Param));
    return TRUE;
}

BOOL PlatformPostThreadMessage(DWORD thread, UINT message, WPARAM code, LPARAM param) {
    return ::PostThreadMessageW(thread, message, code, param);
}

std::unique_ptr<TVtxAppInstances>& GlobalSlot() {
    static std::unique_ptr<TVtxAppInstances> slot;
    return slot;
}

} // namespace

std::wstring OwnExecutablePath() {
    // The application ID is built from at most MAX_PATH characters of the path.
    return ModuleFileName().substr(0, MAX_PATH);
}

std::wstring AppIdFromPath(const std::wstring& exePath) {
    return AppIdFromUpperCased(FoldFileNameCase(L"Vtx" + exePath));
}

TVtxAppInstances::TVtxAppInstances() : TVtxAppInstances(OwnExecutablePath()) {}

TVtxAppInstances::TVtxAppInstances(const std::wstring& exePath) {
    FCPID = ::GetCurrentProcessId();
    try {
        InitRegistry(exePath);
    } catch (...) {
        Teardown();
        throw;
    }
}

TVtxAppInstances::~TVtxAppInstances() { Teardown(); }

void TVtxAppInstances::InitRegistry(const std::wstring& exePath) {
    FUniqueAppID = AppIdFromPath(exePath);
    FMessageID = ::RegisterWindowMessageW(MessageNameOf(FUniqueAppID).c_str());
    FOptex = std::make_unique<TVtxOptex>(OptexNameOf(FUniqueAppID), TVtxOptex::DefaultSpinCount);
    OpenAllTable();
    OpenSessionTable();
    OpenUserTable();
}

void TVtxAppInstances::OpenTable(const std::wstring& name, SECURITY_ATTRIBUTES* secAttr,
                                 std::unique_ptr<TVtxSwapFileMapping>& mapping, TVtxFileMappingView*& view) {
    // Creation and zero-filling under the lock, so no process that has
    // already entered itself is wiped out.
    TOptexLock lock(*FOptex);
    mapping = std::make_unique<TVtxSwapFileMapping>(name, PAGE_READWRITE, TableSize, secAttr);
    view = &mapping->GetView(mapping->Add(TableAccess, TableSize, 0));
    if (!mapping->Existed()) std::memset(view->Memory(), 0, TableSize);
}

void TVtxAppInstances::OpenAllTable() {
    TObjectSecurity sec;
    BuildEveryoneSecurity(sec, TableAccess);
    OpenTable(AllTableNameOf(FUniqueAppID), &sec.Attributes, FAllMapping, FAllMappingView);
}

void TVtxAppInstances::OpenSessionTable() {
    TObjectSecurity sec;
    BuildEveryoneSecurity(sec, TableAccess);
    DWORD session = OwnSessionId();
    OpenTable(SessionTableNameOf(FUniqueAppID, session), &sec.Attributes, FSessionMapping, FSessionMappingView);
}

void TVtxAppInstances::OpenUserTable() {
    TObjectSecurity sec;
    BuildOwnerOnlySecurity(sec, TableAccess);
    std::wstring account, domain;
    AccountFromSid(sec.UserSid(), account, domain);
    OpenTable(UserTableNameOf(FUniqueAppID, account, domain), &sec.Attributes, FUserMapping, FUserMappingView);
}

bool TVtxAppInstances::CheckInstance(std::uint16_t maxInstances, std::uint16_t maxSessionInstances,
                                     std::uint16_t maxUserInstances) {
    const DWORD pid = ::GetCurrentProcessId();
    bool admitted;
    {
        TOptexLock lock(*FOptex);
        admitted = RegisterInTable(TableOf(FAllMappingView), maxInstances, pid);
        admitted = RegisterInTable(TableOf(FSessionMappingView), maxSessionInstances, pid) && admitted;
        admitted = RegisterInTable(TableOf(FUserMappingView), maxUserInstances, pid) && admitted;
    }
    if (admitted) NotifyInstances(MsgInstanceCreated, static_cast<LPARAM>(FCPID));
    return admitted;
}

void TVtxAppInstances::CheckMultipleInstances(std::uint16_t maxInstances, std::uint16_t maxSessionInstances,
                                              std::uint16_t maxUserInstances) {
    if (CheckInstance(maxInstances, maxSessionInstances, maxUserInstances)) return;
    SwitchTo(0);
    KillInstance();
}

std::uint32_t TVtxAppInstances::GetAllProcessIDs(std::int32_t index) {
    TOptexLock lock(*FOptex);
    return TableProcessId(TableOf(FAllMappingView), index);
}

void TVtxAppInstances::NotifyInstances(WPARAM code, LPARAM param) noexcept {
    TOptexLock lock(*FOptex);
    const TInstanceTable& table = TableOf(FAllMappingView);
    const std::size_t count = TableEntryCount(table);
    TNotify notify{FMessageID, code, param};
    for (std::size_t i = 0; i < count; ++i) {
        HWND wnd = GetApplicationWnd(table.ProcessIDs[i]);
        if (!wnd) continue;  // no thread, so no window to reach either
        DWORD thread = ::GetWindowThreadProcessId(wnd, nullptr);
        // Bounded: the lock is held, and a thread that never takes the post
        // must not stall every other start.
        for (int attempt = 0; attempt < PostTries; ++attempt) {
            if (PostThreadMessageSeam()(thread, FMessageID, code, param)) break;
            // An ended thread, or one of a higher integrity level that the
            // system will never let this process post to.
            const DWORD error = ::GetLastError();
            if (error == ERROR_INVALID_THREAD_ID || error == ERROR_ACCESS_DENIED) break;
            ::Sleep(1);
        }
        // Ignored: a thread without windows has nothing more to tell.
        static_cast<void>(::EnumThreadWindows(thread, NotifyThreadWindow, reinterpret_cast<LPARAM>(&notify)));
    }
}

HWND TVtxAppInstances::GetApplicationWnd(DWORD processId) noexcept {
    if (processId == 0) return nullptr;
    TFindAppWindow ctx{processId, nullptr};
    // Ignored: FALSE only says the callback stopped the walk at the window found.
    static_cast<void>(::EnumWindows(FindApplicationWindow, reinterpret_cast<LPARAM>(&ctx)));
    return ctx.Found;
}

bool TVtxAppInstances::BringAppWindowToFront(HWND wnd) noexcept {
    if (::IsIconic(wnd)) {
        // Sent, not posted, so the window is restored before it is activated;
        // but a program that stopped answering must not stop this one too.
        DWORD_PTR result = 0;
        // Ignored: a request that timed out is still handled when the window
        // answers again, and activation does not depend on it.
        static_cast<void>(::SendMessageTimeoutW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                                RestoreTimeout, &result));
    }
    return SetForegroundWindow98(wnd);
}

bool TVtxAppInstances::SetForegroundWindow98(HWND wnd) noexcept {
    HWND foreground = ::GetForegroundWindow();
    if (wnd == foreground) return true;
    DWORD foregroundThread = ::GetWindowThreadProcessId(foreground, nullptr);
    DWORD targetThread = ::GetWindowThreadProcessId(wnd, nullptr);
    if (foregroundThread == targetThread) return ::SetForegroundWindow(wnd) != FALSE;
    // Sharing this thread's input with the target's would make the
    // activation wait on the target's thread, which may never answer; and a
    // thread in the foreground may hand the foreground on by itself. Nor is
    // a hung thread's input joined to the foreground program's.
    if (foregroundThread == ::GetCurrentThreadId() || ::IsHungAppWindow(wnd))
        return ::SetForegroundWindow(wnd) != FALSE;
    // Joining the input of the foreground thread lifts the foreground lock.
    // Ignored: without the join SetForegroundWindow is merely likelier to
    // fail, and its own result is the answer.
    static_cast<void>(::AttachThreadInput(foregroundThread, targetThread, TRUE));
    bool done = ::SetForegroundWindow(wnd) != FALSE;
    static_cast<void>(::AttachThreadInput(foregroundThread, targetThread, FALSE));  // ignored: as above
    return done && ::SetForegroundWindow(wnd) != FALSE;
}

void TVtxAppInstances::KillInstance() {
    DestroyGlobalAppInstances();
    std::exit(0);
}

TInstanceTable TVtxAppInstances::ReadTable(TVtxFileMappingView* view) const noexcept {
    TInstanceTable copy{};
    if (!view) return copy;
    TOptexLock lock(*FOptex);
    std::memcpy(&copy, view->Memory(), sizeof copy);
    return copy;
}

TInstanceTable TVtxAppInstances::AllTable() const noexcept { return ReadTable(FAllMappingView); }
TInstanceTable TVtxAppInstances::SessionTable() const noexcept { return ReadTable(FSessionMappingView); }
TInstanceTable TVtxAppInstances::UserTable() const noexcept { return ReadTable(FUserMappingView); }

void TVtxAppInstances::RemoveFromTable(TVtxFileMappingView* view) noexcept {
    if (!view) return;
    TOptexLock lock(*FOptex);
    vtx::RemoveFromTable(TableOf(view), FCPID);
}

void TVtxAppInstances::Teardown() noexcept {
    RemoveFromTable(FAllMappingView);
    RemoveFromTable(FSessionMappingView);
    RemoveFromTable(FUserMappingView);
    if (FOptex && FAllMappingView) NotifyInstances(MsgInstanceDestroyed, static_cast<LPARAM>(FCPID));
    FAllMappingView = FSessionMappingView = FUserMappingView = nullptr;
    FAllMapping.reset();
    FSessionMapping.reset();
    FUserMapping.reset();
    FOptex.reset();
}

bool IsInstanceAccessDenied(const std::exception& e) noexcept {
    // The lock's event, a table or its view (the EVtxWin32Error family), or the lock's block.
    if (const auto* win32 = dynamic_cast<const EVtxWin32Error*>(&e)) return win32->LastError() == ERROR_ACCESS_DENIED;
    if (const auto* block = dynamic_cast<const EOptexBlockError*>(&e)) return block->LastError() == ERROR_ACCESS_DENIED;
    return false;
}

std::function<BOOL(DWORD, UINT, WPARAM, LPARAM)>& PostThreadMessageSeam() {
    static std::function<BOOL(DWORD, UINT, WPARAM, LPARAM)> seam = PlatformPostThreadMessage;
    return seam;
}

TVtxAppInstances& GlobalAppInstances() {
    auto& slot = GlobalSlot();
    if (!slot) slot = std::make_unique<TVtxAppInstances>();
    return *slot;
}

void DestroyGlobalAppInstances() noexcept {
    std::unique_ptr<TVtxAppInstances> instances = std::move(GlobalSlot());
    instances.reset();
}

} // namespace vtx
