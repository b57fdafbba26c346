// The audio path must not allocate: every operator new of the process is counted while
// processReplacing runs.
#include "tests/audio/AudioFixture.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
std::atomic<bool> counting{false};
std::atomic<int> allocations{0};

void* allocate(std::size_t size)
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size)
{
    return allocate(size);
}
void* operator new[](std::size_t size)
{
    return allocate(size);
}
void operator delete(void* memory) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}

namespace
{
class Allocations : public InProcessPlugin
{
  protected:
    int countDuring(StereoBuffer& input, int block)
    {
        StereoBuffer output(input.frames());
        allocations = 0;
        counting = true;
        for (int offset = 0; offset < input.frames(); offset += block)
            plugin_->process(input.pointers(offset), output.pointers(offset),
                             std::min(block, input.frames() - offset));
        counting = false;
        return allocations;
    }
};
} // namespace

TEST_F(Allocations, NoneWhileProcessingWithTheEditorClosedOrOpenAndEveryViewerFed)
{
    StereoBuffer input = noise(20000, 2.0f);
    EXPECT_EQ(countDuring(input, 4096), 0);
    effect().waveformCapture().reset(338);
    effect().setEditorOpen(true);
    EXPECT_EQ(countDuring(input, 1300), 0);
    setReal(6, 0); // spectrum viewer
    EXPECT_EQ(countDuring(input, 4096), 0);
    setReal(13, 0); // bypass
    EXPECT_EQ(countDuring(input, 512), 0);
}
