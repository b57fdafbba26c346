#include "gui/platform/InputSource.h"

#include <atomic>

namespace
{
std::atomic<InputSource*> installed{nullptr};
}

namespace platform
{
InputSource& currentInput()
{
    InputSource* source = installed.load(std::memory_order_acquire);
    return source != nullptr ? *source : systemInput();
}

void installInput(InputSource* source)
{
    installed.store(source, std::memory_order_release);
}
} // namespace platform
