#include "engine/SettingsExchange.h"

#include <gtest/gtest.h>

namespace
{

struct Pair
{
    int first = 0;
    int second = 0;
};

} // namespace

TEST(SettingsExchange, PullTakesTheNewestSetOnceAndNothingBeforeIt)
{
    SettingsExchange<Pair> exchange(Pair{1, 2});
    Pair pulled{7, 7};
    EXPECT_FALSE(exchange.pull(pulled));
    EXPECT_EQ(pulled.first, 7);
    // Alternating long enough to pass through every slot, with one skipped set each time.
    for (int i = 1; i < 20; ++i)
    {
        exchange.publish({-i, -i});
        exchange.modify([i](Pair& p) { p.first = i; });
        ASSERT_TRUE(exchange.pull(pulled));
        ASSERT_EQ(pulled.first, i);
        ASSERT_EQ(pulled.second, -i); // modify kept the field it did not change
        ASSERT_FALSE(exchange.pull(pulled));
    }
}
