// The registry of running instances of this executable: three tables in
// named shared memory (all, this session, this user) under one
// cross-process lock, and the means to bring another instance forward.
#pragma once
#include <windows.h>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include "instances/InstanceTable.h"
#include "instances/VtxFileUtils.h"
#include "instances/VtxSynch.h"

namespace vtx {

// "Vtx" + path, upper-cased by the locale, backslashes turned into underscores.
std::wstring AppIdFromPath(const std::wstring& exePath);
// The main module's full path.
std::wstring OwnExecutablePath();

class TVtxAppInstances {
public:
    // Opens the tables of this executable.
    TVtxAppInstances();
    // Opens the tables of the executable at ExePath (as if this process were it).
    explicit TVtxAppInstances(const std::wstring& exePath);
    TVtxAppInstances(const TVtxAppInstances&) = delete;
    TVtxAppInstances& operator=(const TVtxAppInstances&) = delete;
    // Leaves the tables and tells the other instances.
    virtual ~TVtxAppInstances();

    // Enters this process in all three tables; true when every limit admits it.
    bool CheckInstance(std::uint16_t maxInstances, std::uint16_t maxSessionInstances,
                       std::uint16_t maxUserInstances);
    // A refused start brings the oldest instance forward and ends the process with 0.
    void CheckMultipleInstances(std::uint16_t maxInstances, std::uint16_t maxSessionInstances,
                                std::uint16_t maxUserInstances);
    void CheckSingleInstance() { CheckMultipleInstances(1, 0, 0); }

    bool SwitchTo(std::int32_t index) { return BringAppWindowToFront(GetAllAppWnds(index)); }
    HWND GetAllAppWnds(std::int32_t index) { return GetApplicationWnd(GetAllProcessIDs(index)); }
    std::uint32_t GetAllProcessIDs(std::int32_t index);
    // Posts Code/Param to every registered instance's thread and top-level windows.
    void NotifyInstances(WPARAM code, LPARAM param) noexcept;

    static HWND GetApplicationWnd(DWORD processId) noexcept;
    static bool BringAppWindowToFront(HWND wnd) noexcept;
    static bool SetForegroundWindow98(HWND wnd) noexcept;
    // Destroys the process-wide registry (so this process leaves the tables) and exits with 0.
    [[noreturn]] static void KillInstance();

    const std::wstring& UniqueAppID() const noexcept { return FUniqueAppID; }
    UINT MessageID() const noexcept { return FMessageID; }
    DWORD ProcessID() const noexcept { return FCPID; }
    // Copies of the tables, read under the lock.
    TInstanceTable AllTable() const noexcept;
    TInstanceTable SessionTable() const noexcept;
    TInstanceTable UserTable() const noexcept;
    const TVtxSwapFileMapping* AllMapping() const noexcept { return FAllMapping.get(); }
    const TVtxSwapFileMapping* SessionMapping() const noexcept { return FSessionMapping.get(); }
    const TVtxSwapFileMapping* UserMapping() const noexcept { return FUserMapping.get(); }

    // How often NotifyInstances posts to a thread that refuses the message
    // for a passing reason (a full queue); a refusal for good (no such
    // thread, or one this process may not post to) ends at the first answer.
    static constexpr int PostTries = 100;
    // How long BringAppWindowToFront waits for a minimised window to take its
    // restore request; a window that stopped answering is not waited for at all.
    static constexpr UINT RestoreTimeout = 1000;

private:
    void InitRegistry(const std::wstring& exePath);
    void OpenAllTable();
    void OpenSessionTable();
    void OpenUserTable();
    void OpenTable(const std::wstring& name, SECURITY_ATTRIBUTES* secAttr,
                   std::unique_ptr<TVtxSwapFileMapping>& mapping, TVtxFileMappingView*& view);
    void RemoveFromTable(TVtxFileMappingView* view) noexcept;
    TInstanceTable ReadTable(TVtxFileMappingView* view) const noexcept;
    void Teardown() noexcept;

    DWORD FCPID = 0;
    std::unique_ptr<TVtxSwapFileMapping> FAllMapping;
    TVtxFileMappingView* FAllMappingView = nullptr;
    std::unique_ptr<TVtxSwapFileMapping> FSessionMapping;
    TVtxFileMappingView* FSessionMappingView = nullptr;
    std::unique_ptr<TVtxSwapFileMapping> FUserMapping;
    TVtxFileMappingView* FUserMappingView = nullptr;
    UINT FMessageID = 0;
    std::unique_ptr<TVtxOptex> FOptex;
    std::wstring FUniqueAppID;
};

// True when building the registry failed only because the lock or a table
// exists with an access list that refuses this process (one made by an
// elevated copy or by another account): the single-instance check cannot
// run then, and the program goes on without it.
bool IsInstanceAccessDenied(const std::exception& e) noexcept;

// The post of NotifyInstances; tests replace it to see the refusals that
// only Windows gives (a higher integrity level refuses posts).
std::function<BOOL(DWORD thread, UINT message, WPARAM code, LPARAM param)>& PostThreadMessageSeam();

// The process-wide registry, created on first use. Construction errors leave
// here and the global stays empty.
TVtxAppInstances& GlobalAppInstances();
// Destroys the process-wide registry now (it is also destroyed at program end).
void DestroyGlobalAppInstances() noexcept;

} // namespace vtx
