#include <gtest/gtest.h>

#include "game/ClassicRand.h"

TEST(ClassicRand, FirstValuesOfTheUnseededRuntime) {
    ClassicRand r;
    EXPECT_EQ(r.Next(), 41);
    EXPECT_EQ(r.Next(), 18467);
    EXPECT_EQ(r.Next(), 6334);
}
