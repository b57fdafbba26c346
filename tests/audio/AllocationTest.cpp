// The audio path must not allocate: every operator new of the process is counted while
// processReplacing runs.
#include "tests/audio/AudioFixture.h"
#include "tests/audio/CountingAllocator.h"

namespace
{
class Allocations : public InProcessPlugin
{
  protected:
    int countDuring(StereoBuffer& input, int block)
    {
        StereoBuffer output(input.frames());
        allocationCount::start();
        for (int offset = 0; offset < input.frames(); offset += block)
            plugin_->process(input.pointers(offset), output.pointers(offset),
                             std::min(block, input.frames() - offset));
        return allocationCount::stop();
    }
};
} // namespace

TEST_F(Allocations, NoneWhileProcessingWithTheEditorClosedOrOpenAndEveryViewerFed)
{
    StereoBuffer input = noise(20000, 2.0f);
    EXPECT_EQ(countDuring(input, 4096), 0);
    effect().waveformCapture().reset(338);
    effect().editorOpened();
    EXPECT_EQ(countDuring(input, 1300), 0);
    setReal(6, 0); // spectrum viewer
    EXPECT_EQ(countDuring(input, 4096), 0);
    setReal(13, 0); // bypass
    EXPECT_EQ(countDuring(input, 512), 0);
}
