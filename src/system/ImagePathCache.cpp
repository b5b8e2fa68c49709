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

std::wstring TImagePathCache::Known(std::uint32_t processId) {
    const auto started = FStartTimes.find(processId);
    if (started == FStartTimes.end() || started->second == 0) return {};
    const auto known = FEntries.find(processId);
    if (known == FEntries.end() || known->second.StartTime != started->second) return {};
    FSeen.insert(*known);
    return known->second.Path;
}

std::wstring TImagePathCache::FullPathLater(std::uint32_t processId, std::uint64_t startTime, const TQuery& query) {
    const auto known = FEntries.find(processId);
    if (startTime != 0 && known != FEntries.end() && known->second.StartTime == startTime) return known->second.Path;
    std::wstring path = query(processId);
    if (!path.empty() && startTime != 0) FEntries[processId] = TEntry{startTime, path};
    return path;
}

} // namespace vtx
