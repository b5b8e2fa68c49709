// System facts read once at start, and binding of platform entry points by name.
#pragma once
#include <windows.h>
#include <cstdint>

namespace vtx {

// Facts of the running system, read once before the first enumeration.
struct TSystemFacts {
    std::uint32_t PlatformId = 0;  // 2: NT family, 1: Windows 95 family
    std::uint32_t MajorVersion = 0;
    std::uint32_t MinorVersion = 0;
    std::uint32_t ProcessorCount = 1;
    std::uint32_t AllocationGranularity = 65536;
};

const TSystemFacts& SystemFacts();
// Tests run the older systems' methods by injecting other facts.
void SetSystemFacts(const TSystemFacts& facts);

// Fills an empty slot with the entry point Name of Module; a filled slot is
// left alone. Raises EVtxError "Library not found: %s" or
// "Function not found: %s.%s".
void ResolveApiFunctionRaw(FARPROC& slot, const wchar_t* module, const char* name);

template <class Fn>
void ResolveApiFunction(Fn*& slot, const wchar_t* module, const char* name) {
    FARPROC raw = reinterpret_cast<FARPROC>(slot);
    ResolveApiFunctionRaw(raw, module, name);
    slot = reinterpret_cast<Fn*>(raw);
}

} // namespace vtx
