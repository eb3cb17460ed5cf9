#include "runtime/MyRandom.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::int32_t> Draws(std::int32_t n, int count)
{
    std::vector<std::int32_t> out;
    for (int i = 0; i < count; ++i) out.push_back(Random(n));
    return out;
}

TEST(Random, ASeedReplaysTheSameDraws)
{
    RandSeed(20261209);
    const auto first = Draws(1000, 8);
    RandSeed(20261209);
    EXPECT_EQ(Draws(1000, 8), first);
    RandSeed(20261210);
    EXPECT_NE(Draws(1000, 8), first);
}

TEST(Random, DrawsArePinnedSoRecordedRunsStayValid)
{
    // A replay of a recorded run depends on these exact numbers.
    RandSeed(1);
    EXPECT_EQ(Draws(100, 8), (std::vector<std::int32_t>{29, 84, 37, 23, 85, 0, 12, 58}));
}

TEST(Random, DrawsStayInRangeAndCoverIt)
{
    RandSeed(7);
    std::vector<int> seen(6, 0);
    for (int i = 0; i < 6000; ++i) {
        const std::int32_t r = Random(6);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 6);
        ++seen[std::size_t(r)];
    }
    for (int count : seen) EXPECT_GT(count, 800);
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(Random(1), 0);
}

TEST(Random, AScriptedSourceTakesOverUntilRemoved)
{
    SetRandomSource([](std::int32_t) { return 0; });
    EXPECT_EQ(Draws(50, 3), (std::vector<std::int32_t>{0, 0, 0}));
    SetRandomSource(nullptr);
    RandSeed(1);
    EXPECT_EQ(Draws(100, 8), (std::vector<std::int32_t>{29, 84, 37, 23, 85, 0, 12, 58}));
}

}  // namespace
