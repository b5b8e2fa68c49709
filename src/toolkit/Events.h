// Firing events: what a handler throws goes to the application's error
// display and never into the platform. And the connections of one owner to
// other objects' events, all detached when the owner goes.
#pragma once
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

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

// The handlers one owner attached to events of objects that outlive it. Each
// attachment is written once; Detach (and the destructor) empties every event
// attached, in the order they were first attached.
class TEventConnections {
public:
    TEventConnections() = default;
    TEventConnections(const TEventConnections&) = delete;
    TEventConnections& operator=(const TEventConnections&) = delete;
    ~TEventConnections() { Detach(); }

    // Sets the event's handler. An event attached before keeps its one
    // connection, so attaching again (a handler renewed) does not grow the list.
    template <class Event, class Handler>
    void Attach(Event& event, Handler&& handler) {
        bool known = false;
        for (const TConnection& connection : FConnections) known = known || connection.Event == &event;
        if (!known) FConnections.push_back({&event, &Empty<Event>});
        event = std::forward<Handler>(handler);
    }

    void Detach() noexcept {
        for (const TConnection& connection : FConnections) connection.Clear(connection.Event);
        FConnections.clear();
    }

    std::size_t Count() const noexcept { return FConnections.size(); }

private:
    struct TConnection {
        void* Event;
        void (*Clear)(void* event) noexcept;
    };
    template <class Event>
    static void Empty(void* event) noexcept {
        *static_cast<Event*>(event) = nullptr;
    }
    std::vector<TConnection> FConnections;
};

} // namespace vtx
