#include "engine/SettingsExchange.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <thread>

namespace
{

constexpr std::uint64_t kPublishes = 20000;

// A set whose fields all derive from (writer, sequence), so that any mix of two sets shows,
// and one counter per writer that each of its sets increments.
struct Stamped
{
    std::uint64_t writer = 0;
    std::uint64_t sequence = 0;
    std::array<std::uint64_t, 8> copies{};
    std::uint64_t count[3] = {0, 0, 0};

    bool whole() const
    {
        for (size_t i = 0; i < copies.size(); ++i)
        {
            if (copies[i] != writer * 1000003 + sequence * 31 + i)
            {
                return false;
            }
        }
        return true;
    }
};

// Holds every thread until all have started, so that they really overlap.
void arrive(std::atomic<int>& waiting)
{
    waiting.fetch_sub(1);
    while (waiting.load() > 0)
    {
    }
}

} // namespace

TEST(SettingsExchange, ReaderNeverSeesATornSetWhileTwoWritersPublish)
{
    SettingsExchange<Stamped> exchange;
    std::atomic<int> waiting{3};
    std::atomic<int> writersDone{0};
    const auto writer = [&](std::uint64_t id)
    {
        arrive(waiting);
        for (std::uint64_t sequence = 1; sequence <= kPublishes; ++sequence)
        {
            exchange.modify(
                [id, sequence](Stamped& latest)
                {
                    latest.writer = id;
                    latest.sequence = sequence;
                    for (size_t i = 0; i < latest.copies.size(); ++i)
                    {
                        latest.copies[i] = id * 1000003 + sequence * 31 + i;
                    }
                    ++latest.count[id];
                });
        }
        writersDone.fetch_add(1);
    };

    int torn = 0;
    int backwards = 0;
    std::thread reader(
        [&]
        {
            arrive(waiting);
            std::uint64_t lastSequence[3] = {0, 0, 0};
            Stamped s;
            while (writersDone.load() < 2)
            {
                if (exchange.pull(s))
                {
                    torn += s.whole() ? 0 : 1;
                    backwards += s.sequence < lastSequence[s.writer] ? 1 : 0;
                    lastSequence[s.writer] = s.sequence;
                }
            }
        });
    std::thread first(writer, 1);
    std::thread second(writer, 2);
    first.join();
    second.join();
    reader.join();

    EXPECT_EQ(torn, 0);
    EXPECT_EQ(backwards, 0); // each writer's sets arrive in the order it published them
    // No read-modify-publish of one writer lost the other's: the last set has every count.
    Stamped last;
    exchange.modify([](Stamped&) {});
    ASSERT_TRUE(exchange.pull(last));
    EXPECT_EQ(last.count[1], kPublishes);
    EXPECT_EQ(last.count[2], kPublishes);
}
