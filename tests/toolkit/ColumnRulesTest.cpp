#include <gtest/gtest.h>
#include "toolkit/ColumnRules.h"

TEST(ColumnWidthRule, MinimumMaximumAndNegativeWidths) {
    struct Case { int w, min, max, stored; };
    const Case cases[] = {
        {0, 0, 20, 0},     {10, 0, 20, 10},   {20, 0, 20, 20},  {21, 0, 20, 20},  // icon column, process list
        {0, 20, 20, 20},   {5, 20, 20, 20},                                        // icon column, module list
        {400, 0, 300, 300}, {1000, 0, 0, 1000},                                    // no maximum (Process ID)
        {-1, 0, 500, -1},  {-138, 20, 20, -138},                                   // negative: unchanged
    };
    for (const auto& c : cases) EXPECT_EQ(vtx::ApplyColumnWidthRule(c.w, c.min, c.max), c.stored) << c.w;
    EXPECT_EQ(vtx::FillColumnWidth(900, 745), 155);
}
