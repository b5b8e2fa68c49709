#include <gtest/gtest.h>
#include "toolkit/Placement.h"

// A form centred on a monitor's work area: any monitor of the desktop, to the
// left of or above the primary one too, and a form too large for the area.
TEST(Placement, CentredOnTheWorkAreaWithTheTopLeftKeptInside) {
    struct Case {
        vtx::TScreenArea Work;
        int Width, Height;
        int X, Y;
    };
    const Case cases[] = {
        {{0, 0, 1280, 770}, 360, 240, 460, 265},          // the primary monitor, task bar below
        {{1280, 0, 3200, 1040}, 360, 240, 2060, 400},     // a second monitor to the right
        {{-1920, -200, 0, 880}, 360, 240, -1140, 220},    // one to the left, set higher
        {{0, -1080, 1920, 0}, 541, 361, 689, -721},       // one above, odd sizes round down
        {{100, 50, 900, 650}, 1000, 700, 100, 50},        // larger than the area: top-left inside
        {{100, 50, 900, 650}, 1000, 300, 100, 200},       // wider only
    };
    for (const Case& c : cases) {
        const vtx::TScreenPoint at = vtx::CenteredOrigin(c.Work, c.Width, c.Height);
        EXPECT_EQ(at.X, c.X) << c.Work.Left << "," << c.Work.Top;
        EXPECT_EQ(at.Y, c.Y) << c.Work.Left << "," << c.Work.Top;
    }
}
