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

TEST(SettingsExchange, PullFindsNothingUntilSomethingIsPublished)
{
    SettingsExchange<Pair> exchange(Pair{1, 2});
    Pair pulled{7, 7};
    EXPECT_FALSE(exchange.pull(pulled));
    EXPECT_EQ(pulled.first, 7);
}

TEST(SettingsExchange, PullTakesTheNewestSetOnce)
{
    SettingsExchange<Pair> exchange;
    exchange.publish({1, 1});
    exchange.publish({2, 2});
    exchange.publish({3, 3});
    Pair pulled;
    ASSERT_TRUE(exchange.pull(pulled));
    EXPECT_EQ(pulled.first, 3);
    EXPECT_EQ(pulled.second, 3);
    EXPECT_FALSE(exchange.pull(pulled));

    // Publish and pull alternating long enough to cycle through every slot.
    for (int i = 4; i < 20; ++i)
    {
        exchange.publish({i, -i});
        ASSERT_TRUE(exchange.pull(pulled));
        ASSERT_EQ(pulled.first, i);
        ASSERT_EQ(pulled.second, -i);
    }
}

TEST(SettingsExchange, ModifyChangesOneFieldAndKeepsTheOthers)
{
    SettingsExchange<Pair> exchange(Pair{5, 6});
    exchange.modify([](Pair& p) { p.first = 50; });
    exchange.modify([](Pair& p) { p.second = 60; });
    Pair pulled;
    ASSERT_TRUE(exchange.pull(pulled));
    EXPECT_EQ(pulled.first, 50);
    EXPECT_EQ(pulled.second, 60);
}
