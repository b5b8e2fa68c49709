#include <gtest/gtest.h>
#include <functional>
#include <string>
#include "toolkit/Events.h"

// An owner's connections: each event once however often its handler is
// renewed, and every event empty once the owner detaches or goes.
TEST(EventConnections, AttachingAgainRenewsTheHandlerAndDetachingEmptiesEveryEvent) {
    std::function<void()> click, resize;
    std::function<void(int, int)> move;
    std::string calls;
    {
        vtx::TEventConnections connections;
        connections.Attach(click, [&] { calls += "c"; });
        connections.Attach(move, [&](int x, int y) { calls += std::to_string(x + y); });
        for (int i = 0; i < 3; ++i)
            connections.Attach(resize, [&calls, i] { calls.append("r").append(std::to_string(i)); });
        EXPECT_EQ(connections.Count(), 3u);
        click();
        move(1, 2);
        resize();
        EXPECT_EQ(calls, "c3r2");
        connections.Detach();
        EXPECT_FALSE(click || move || resize);
        EXPECT_EQ(connections.Count(), 0u);

        connections.Attach(click, [&] { calls += "c"; });
    }
    EXPECT_FALSE(click);
}
