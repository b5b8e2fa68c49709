// Any byte string is either a version resource or refused with the walk's
// own error; nothing is read outside the input.
#include <cstddef>
#include <cstdint>
#include <vector>
#include "fileinfo/VersionResource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so the sanitizer sees the first byte past the end.
    std::vector<std::uint8_t> copy(data, data + size);
    const vtx::TVersionResourceFacts facts = vtx::PortableVersionResourceFacts();
    try {
        const vtx::TVersionResource r = vtx::ParseVersionResource(copy.data(), copy.size(), facts);
        if (r.FixedInfo.dwSignature != vtx::VersionSignature) __builtin_trap();
        for (const auto& item : r.ItemList)
            if (item.Table < 0 || static_cast<std::size_t>(item.Table) >= r.Languages.size()) __builtin_trap();
    } catch (const vtx::EVtxFileVersionInfoError&) {
    }
    return 0;
}
