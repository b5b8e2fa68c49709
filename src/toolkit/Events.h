// Firing events: what a handler throws goes to the application's error
// display and never into the platform.
#pragma once
#include <functional>
#include <utility>

namespace vtx {

// Hands the exception being handled to the application's error display. Only
// inside a catch block: window procedures and callbacks end theirs with it.
void ReportCaughtException() noexcept;

// An event may be empty; any other callable is always run.
template <class T>
inline constexpr bool IsEvent = false;
template <class Signature>
inline constexpr bool IsEvent<std::function<Signature>> = true;

// Runs an event's handler if it has one; false when the handler threw (the
// error is shown then). The handler runs from a copy, so one that replaces or
// clears its own event while it runs is not destroyed under itself.
template <class Handler, class... Args>
bool FireEvent(const Handler& event, Args&&... args) noexcept {
    try {
        const Handler handler = event;
        if constexpr (IsEvent<Handler>) {
            if (!handler) return true;
        }
        handler(std::forward<Args>(args)...);
        return true;
    } catch (...) {
        ReportCaughtException();
        return false;
    }
}

} // namespace vtx
