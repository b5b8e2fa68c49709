// System facts. Processes, modules and windows live in Processes.cpp,
// Modules.cpp and Windows.cpp; the run-time binding in DynamicCalls.cpp.
#include "system/VtxSysInfo.h"
#include "system/DynamicCalls.h"

namespace vtx {

namespace {

TSystemFacts ReadSystemFacts() {
    TSystemFacts facts;
    // GetVersionExW is shimmed on current systems; RtlGetVersion tells the truth.
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (dyn::RtlGetVersion(&info) != 0) {
        // Ignored: on failure the facts stay zero, which no method relies on.
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
        static_cast<void>(::GetVersionExW(&info));
#else
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        static_cast<void>(::GetVersionExW(&info));
#pragma GCC diagnostic pop
#endif
    }
    facts.PlatformId = info.dwPlatformId;
    facts.MajorVersion = info.dwMajorVersion;
    facts.MinorVersion = info.dwMinorVersion;
    facts.SeparateModuleViews = facts.PlatformId == VER_PLATFORM_WIN32_NT && facts.MajorVersion >= 6;
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

} // namespace

const TSystemFacts& SystemFacts() { return FactsSlot(); }
void SetSystemFacts(const TSystemFacts& facts) { FactsSlot() = facts; }

} // namespace vtx
