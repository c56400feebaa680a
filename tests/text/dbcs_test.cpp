#include "text/dbcs.h"

#include <gtest/gtest.h>

TEST(IsLeadByte, RangeEnds) {
    EXPECT_EQ(IsLeadByte('\x80'), 0);
    EXPECT_EQ(IsLeadByte('\x81'), 1);
    EXPECT_EQ(IsLeadByte('\x9F'), 1);
    EXPECT_EQ(IsLeadByte('\xA0'), 0);
    EXPECT_EQ(IsLeadByte('\xDF'), 0);
    EXPECT_EQ(IsLeadByte('\xE0'), 1);
    EXPECT_EQ(IsLeadByte('\xFC'), 1);
    EXPECT_EQ(IsLeadByte('\xFD'), 0);
}
