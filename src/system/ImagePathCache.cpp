#include "system/ImagePathCache.h"
#include <utility>

namespace vtx {

void TImagePathCache::BeginListing(TStartTimes startTimes) {
    FStartTimes = std::move(startTimes);
    FSeen.clear();
}

std::wstring TImagePathCache::FullPath(std::uint32_t processId, const TQuery& query) {
    const auto started = FStartTimes.find(processId);
    if (started == FStartTimes.end() || started->second == 0) return query(processId);
    const auto known = FEntries.find(processId);
    if (known != FEntries.end() && known->second.StartTime == started->second) {
        FSeen.insert(*known);
        return known->second.Path;
    }
    std::wstring path = query(processId);
    if (!path.empty()) FSeen[processId] = TEntry{started->second, path};
    return path;
}

void TImagePathCache::EndListing() {
    FEntries.swap(FSeen);
    FSeen.clear();
}

} // namespace vtx
