// Image paths of the running processes, kept from one listing to the next.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

namespace vtx {

// A process's image never changes, so a listing needs to ask only about the
// processes it has not seen before: under Wine, opening and asking a process
// costs three server round trips, most of a refresh. Entries are kept under
// ID and start time: an ID that comes back for another process has another
// start time. A process without a known start time is asked every time.
class TImagePathCache {
public:
    using TStartTimes = std::unordered_map<std::uint32_t, std::uint64_t>;
    using TQuery = std::function<std::wstring(std::uint32_t processId)>;

    // Start times of the processes now running (0 or absent: unknown).
    void BeginListing(TStartTimes startTimes);
    // The start times of the listing under way.
    const TStartTimes& StartTimes() const noexcept { return FStartTimes; }
    // The kept path, or Query's answer, kept when it is not empty.
    std::wstring FullPath(std::uint32_t processId, const TQuery& query);
    // Forgets every process this listing did not ask about.
    void EndListing();

    // A listing that leaves the paths it does not know to be asked later, as
    // the rows that show them are drawn: the kept path (kept on, as FullPath
    // keeps it), or empty without asking.
    std::wstring Known(std::uint32_t processId);
    // After the listing: a listed process's path, kept or asked now and kept
    // under its start time like the others.
    std::wstring FullPathLater(std::uint32_t processId, std::uint64_t startTime, const TQuery& query);

    std::size_t Count() const noexcept { return FEntries.size(); }

private:
    struct TEntry {
        std::uint64_t StartTime = 0;
        std::wstring Path;
    };
    TStartTimes FStartTimes;
    std::unordered_map<std::uint32_t, TEntry> FEntries, FSeen;
};

} // namespace vtx
