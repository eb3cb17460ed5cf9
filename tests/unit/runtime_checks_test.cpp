// Every build checks integer overflow and indexes: a fault stops the program
// with a report that says what went wrong and where, never a silent wrap.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <vector>

namespace {

std::int32_t Add(std::int32_t a, std::int32_t b) { return a + b; }
std::int32_t Shift(std::int32_t a, std::int32_t by) { return a << by; }
std::int32_t Divide(std::int32_t a, std::int32_t b) { return a / b; }

TEST(RuntimeChecksDeathTest, FaultsStopWithAReportNamingThem)
{
    volatile std::int32_t big = INT32_MAX, one = 1, zero = 0, wide = 40;
    // Results are kept, so the faulty operation is really done.
    [[maybe_unused]] volatile std::int32_t sink = 0;
    EXPECT_DEATH(sink = Add(big, one), "signed integer overflow");
    EXPECT_DEATH(sink = Shift(one, wide), "shift exponent");
    EXPECT_DEATH(sink = Divide(one, zero), "division by zero");
    std::array<int, 4> table{};
    volatile std::size_t past = 4;
    EXPECT_DEATH(table[past] = 1, "__n < this->size()");
    std::vector<int> list(3);
    EXPECT_DEATH(list[past] = 1, "__n < this->size()");
}

}  // namespace
