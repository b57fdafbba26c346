// The choice of the least processing on loudness curves of known shape: which processing is
// kept, and which renders it took to know.
#include "tools/render/LeastProcessing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace
{
// An input at -20 LUFS whose plain gain keeps the ceiling up to peakRoomDb, whose stage
// takes stageCostDb of the loudness (with the fast release fastStageCostDb), and whose
// maximizer reaches at most maximizerMaxLufs.
struct Input
{
    double peakRoomDb;
    double stageCostDb;
    double maximizerMaxLufs;
    double fastStageCostDb;

    std::set<Processing> tried;
    int renders = 0;

    ProcessingChoice choose(double target)
    {
        const auto loudnessAt = [this](Processing processing, double driveDb)
        {
            tried.insert(processing);
            ++renders;
            const double plain = driveDb - 20.0;
            if (processing == Processing::stage)
                return plain - stageCostDb;
            if (processing == Processing::maximizer)
                return std::min(plain - 2.0, maximizerMaxLufs);
            if (processing == Processing::fastStage)
                return plain - fastStageCostDb;
            return plain;
        };
        return findLeastProcessing(target, target + 20.0, {loudnessAt, [this](double gainDb) {
                                                               return gainDb <= peakRoomDb;
                                                           }});
    }
};
} // namespace

TEST(LeastProcessing, TakesTheFirstProcessingThatMeetsTheTargetAndRendersNoMore)
{
    // The plain gain keeps the ceiling: nothing else is rendered.
    Input quiet{10.0, 0.5, 0.0, 0.0, {}};
    EXPECT_EQ(quiet.choose(-14.0).processing, Processing::gain);
    EXPECT_EQ(quiet.tried, (std::set<Processing>{Processing::gain}));
    // The stage takes a little: it is kept without trying the maximizer.
    Input peaky{3.0, kMostStageCostDb / 2, 0.0, 0.0, {}};
    const ProcessingChoice stage = peaky.choose(-14.0);
    EXPECT_EQ(stage.processing, Processing::stage);
    EXPECT_NEAR(stage.search.driveDb, 6.0 + kMostStageCostDb / 2, kTargetToleranceLu);
    EXPECT_EQ(peaky.tried, (std::set<Processing>{Processing::stage}));
    // The stage would take more: the maximizer shares the work where it reaches the target.
    Input dense{3.0, kMostStageCostDb + 1.0, 0.0, 0.0, {}};
    EXPECT_EQ(dense.choose(-9.0).processing, Processing::maximizer);
    // A maximizer that cannot get that loud leaves the stage that can.
    Input saturating{3.0, kMostStageCostDb + 1.0, -12.0, 0.0, {}};
    EXPECT_EQ(saturating.choose(-9.0).processing, Processing::stage);
    EXPECT_EQ(saturating.tried.count(Processing::fastStage), 0u);
    // Sparse material: the stage would need more than +24 dB, the maximizer saturates, the
    // fast release reaches the target.
    Input sparse{0.0, 14.0, -12.0, 8.0, {}};
    const ProcessingChoice fast = sparse.choose(-9.0);
    EXPECT_EQ(fast.processing, Processing::fastStage);
    EXPECT_NEAR(fast.search.driveDb, 19.0, kTargetToleranceLu);
    // The report counts the trials of every processing tried.
    EXPECT_EQ(fast.search.trials, sparse.renders);
}

TEST(LeastProcessing, KeepsTheCloserRenderWhenNeitherReachesTheTarget)
{
    // The stage would need a drive beyond +24 dB, the maximizer saturates closer.
    Input far{0.0, 14.0, -8.5, 14.0, {}};
    const ProcessingChoice choice = far.choose(-8.0);
    EXPECT_EQ(choice.processing, Processing::maximizer);
    EXPECT_NE(choice.search.outcome, DriveOutcome::reached);
    EXPECT_NEAR(choice.search.loudness, -8.5, 0.01);
}
