#include "system/VtxSysInfo.h"
#include <string>
#include "toolkit/Errors.h"

namespace vtx {

namespace {

TSystemFacts ReadSystemFacts() {
    TSystemFacts facts;
    // GetVersionExW is shimmed on current systems; RtlGetVersion tells the truth.
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    if (!rtlGetVersion || rtlGetVersion(&info) != 0) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        ::GetVersionExW(&info);
#pragma GCC diagnostic pop
    }
    facts.PlatformId = info.dwPlatformId;
    facts.MajorVersion = info.dwMajorVersion;
    facts.MinorVersion = info.dwMinorVersion;
    SYSTEM_INFO si{};
    ::GetSystemInfo(&si);
    facts.ProcessorCount = si.dwNumberOfProcessors;
    facts.AllocationGranularity = si.dwAllocationGranularity;
    return facts;
}

TSystemFacts& FactsSlot() {
    static TSystemFacts facts = ReadSystemFacts();
    return facts;
}

// Read at program start, before any enumeration.
[[maybe_unused]] const TSystemFacts& gStartFacts = FactsSlot();

std::wstring Widen(const char* text) {
    std::wstring out;
    for (; *text; ++text) out += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return out;
}

} // namespace

const TSystemFacts& SystemFacts() { return FactsSlot(); }
void SetSystemFacts(const TSystemFacts& facts) { FactsSlot() = facts; }

void ResolveApiFunctionRaw(FARPROC& slot, const wchar_t* module, const char* name) {
    if (slot) return;
    HMODULE lib = ::GetModuleHandleW(module);
    if (!lib) {
        UINT old = ::SetErrorMode(SEM_NOOPENFILEERRORBOX);
        lib = ::LoadLibraryW(module);  // kept loaded for the rest of the run
        ::SetErrorMode(old);
    }
    if (!lib) throw EVtxError(L"Library not found: " + std::wstring(module));
    FARPROC proc = ::GetProcAddress(lib, name);
    if (!proc) throw EVtxError(L"Function not found: " + std::wstring(module) + L"." + Widen(name));
    slot = proc;
}

} // namespace vtx
