#include "editor/AEffGUIEditor.h"

#include "plugin/AudioEffect.h"

#include <atomic>

namespace
{
// The host's knob mode is shared by every editor of the process.
std::atomic<VstInt32> processKnobMode{0};
} // namespace

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect) : AEffEditor(effect)
{
    effect->setEditor(this);
}

bool AEffGUIEditor::getRect(ERect** rect)
{
    *rect = &rect_;
    return true;
}

bool AEffGUIEditor::setKnobMode(VstInt32 mode)
{
    processKnobMode.store(mode, std::memory_order_relaxed);
    return true;
}

VstInt32 AEffGUIEditor::knobMode()
{
    return processKnobMode.load(std::memory_order_relaxed);
}

void AEffGUIEditor::setParameter(VstInt32, float) {}

bool AEffGUIEditor::beginEdit(VstInt32 index)
{
    return effect_->beginEdit(index);
}

bool AEffGUIEditor::endEdit(VstInt32 index)
{
    return effect_->endEdit(index);
}
