#include "engine/SettingsExchange.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace
{

constexpr int kPublishes = 20000;

// A set whose fields all derive from (writer, sequence): any mix of two sets shows.
struct Stamped
{
    std::uint64_t writer = 0;
    std::uint64_t sequence = 0;
    std::array<std::uint64_t, 8> copies{};
    std::uint64_t count[2] = {0, 0}; // per writer, changed with modify
};

Stamped stamped(std::uint64_t writer, std::uint64_t sequence)
{
    Stamped s;
    s.writer = writer;
    s.sequence = sequence;
    for (size_t i = 0; i < s.copies.size(); ++i)
    {
        s.copies[i] = writer * 1000003 + sequence * 31 + i;
    }
    return s;
}

bool whole(const Stamped& s)
{
    for (size_t i = 0; i < s.copies.size(); ++i)
    {
        if (s.copies[i] != s.writer * 1000003 + s.sequence * 31 + i)
        {
            return false;
        }
    }
    return true;
}

// Holds every thread at the line until all have started, so that they really overlap.
class StartLine
{
  public:
    explicit StartLine(int threads) : waiting_(threads) {}
    void arrive()
    {
        waiting_.fetch_sub(1);
        while (waiting_.load() > 0)
        {
        }
    }

  private:
    std::atomic<int> waiting_;
};

} // namespace

TEST(SettingsExchange, ReaderNeverSeesATornSetWhileTwoWritersPublish)
{
    SettingsExchange<Stamped> exchange(stamped(0, 0));
    std::atomic<int> writersDone{0};
    StartLine start(3);

    auto writer = [&](std::uint64_t id)
    {
        start.arrive();
        for (std::uint64_t sequence = 1; sequence <= kPublishes; ++sequence)
        {
            exchange.publish(stamped(id, sequence));
        }
        writersDone.fetch_add(1);
    };

    int torn = 0;
    int pulls = 0;
    std::uint64_t lastSequence[3] = {0, 0, 0};
    int backwards = 0;
    std::thread reader(
        [&]
        {
            start.arrive();
            Stamped s;
            while (writersDone.load() < 2)
            {
                if (exchange.pull(s))
                {
                    ++pulls;
                    torn += whole(s) ? 0 : 1;
                    backwards += s.sequence < lastSequence[s.writer] ? 1 : 0;
                    lastSequence[s.writer] = s.sequence;
                }
            }
            if (exchange.pull(s))
            {
                torn += whole(s) ? 0 : 1;
            }
        });
    std::thread first(writer, 1);
    std::thread second(writer, 2);
    first.join();
    second.join();
    reader.join();

    EXPECT_EQ(torn, 0);
    EXPECT_EQ(backwards, 0); // each writer's sets arrive in the order it published them
    EXPECT_GT(pulls, 0);
}

TEST(SettingsExchange, ConcurrentModifiesAllSurvive)
{
    SettingsExchange<Stamped> exchange;
    StartLine start(3);
    auto counter = [&](int field)
    {
        start.arrive();
        for (int i = 0; i < kPublishes; ++i)
        {
            exchange.modify([field](Stamped& s) { ++s.count[field]; });
        }
    };
    std::thread reader(
        [&]
        {
            start.arrive();
            Stamped s;
            for (int i = 0; i < kPublishes; ++i)
            {
                exchange.pull(s);
            }
        });
    std::thread first(counter, 0);
    std::thread second(counter, 1);
    first.join();
    second.join();
    reader.join();

    Stamped last;
    exchange.modify([](Stamped&) {});
    ASSERT_TRUE(exchange.pull(last));
    EXPECT_EQ(last.count[0], static_cast<std::uint64_t>(kPublishes));
    EXPECT_EQ(last.count[1], static_cast<std::uint64_t>(kPublishes));
}
