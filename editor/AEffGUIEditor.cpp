#include "editor/AEffGUIEditor.h"

#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/KeyCode.h"
#include "gui/platform/InputSource.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace
{
// The host's knob mode is shared by every editor of the process.
std::atomic<int32_t> processKnobMode{0};

constexpr uint32_t kPumpSleepMs = 4;
constexpr uint32_t kPumpSlackMs = 50;
constexpr uint32_t kPumpIntervalMs = 100;
} // namespace

AEffGUIEditor::AEffGUIEditor(EditorHost* effect)
    : AEffEditor(effect), lastTicks_(platform::currentInput().ticks())
{
}

bool AEffGUIEditor::getRect(EditorRect** rect)
{
    *rect = &rect_;
    return true;
}

void AEffGUIEditor::idle()
{
    if (frame_ && !inIdlePump_)
        frame_->idle();
}

bool AEffGUIEditor::onKeyDown(const CKeyCode& key)
{
    return frame_ && frame_->onKeyDown(key) == 1;
}

bool AEffGUIEditor::onKeyUp(const CKeyCode& key)
{
    return frame_ && frame_->onKeyUp(key) == 1;
}

bool AEffGUIEditor::onWheel(float distance)
{
    if (!frame_)
        return false;
    CDrawContext context(frame_);
    CPoint where = platform::currentInput().cursorPosition();
    const CPoint origin = context.getScreenOffset();
    where.h -= origin.h;
    where.v -= origin.v;
    return frame_->onWheel(&context, where, distance);
}

bool AEffGUIEditor::setKnobMode(int32_t mode)
{
    processKnobMode.store(mode, std::memory_order_relaxed);
    return true;
}

int32_t AEffGUIEditor::knobMode() const
{
    return processKnobMode.load(std::memory_order_relaxed);
}

void AEffGUIEditor::setParameter(int32_t, float) {}

void AEffGUIEditor::beginEdit(int32_t index)
{
    effect_->beginEdit(index);
}

void AEffGUIEditor::endEdit(int32_t index)
{
    effect_->endEdit(index);
}

bool AEffGUIEditor::sizeWindow(int32_t width, int32_t height)
{
    return effect_->canHostDo("sizeWindow") && effect_->sizeWindow(width, height);
}

void AEffGUIEditor::inputStarts()
{
    effect_->retain();
}

void AEffGUIEditor::inputEnded()
{
    // The last thing this editor does: a host that closed the effect meanwhile frees it here.
    effect_->release();
}

void AEffGUIEditor::idlePump()
{
    // A drag loop calls this on every turn: pump the host at most every 50 to 100 ms and
    // let the loop breathe in between.
    uint32_t now = platform::currentInput().ticks();
    if (now < lastTicks_)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(kPumpSleepMs));
        now += kPumpSleepMs;
        if (now < lastTicks_ - kPumpSlackMs)
            return;
    }
    idle();
    if (frame_)
        frame_->dispatchPendingPaint();
    lastTicks_ = now + kPumpIntervalMs;
    inIdlePump_ = true;
    effect_->masterIdle();
    inIdlePump_ = false;
}
