#include "plugin/lv2/Lv2Ui.h"

#include "core/ParameterAction.h"
#include "editor/SDEditor.h"
#include "gui/CFrame.h"
#include "gui/platform/InputSource.h"
#include "plugin/lv2/Lv2Effect.h"
#include "plugin/lv2/PortValue.h"

#include <lv2/core/lv2_util.h>
#include <lv2/instance-access/instance-access.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace
{
// LV2 hosts have no knob mode of their own: the knobs follow straight mouse moves, as most
// VST hosts ask for.
constexpr int32_t kLinearKnobMode = 2;
// No value written since the port last changed from elsewhere.
constexpr float kNothingWritten = std::numeric_limits<float>::quiet_NaN();

uint32_t nowMs()
{
    return platform::currentInput().ticks();
}

bool hasPort(int index)
{
    return lv2::hasPort(index) || index == kParamCeiling;
}

uint32_t portOf(int index)
{
    return index == kParamCeiling ? uint32_t(lv2::kPortTruePeakCeiling)
                                  : lv2::portOfParameter(index);
}

// The parameter a port carries; -1 for the other ports.
int parameterOf(uint32_t port)
{
    if (port == lv2::kPortTruePeakCeiling)
        return kParamCeiling;
    return lv2::isParameterPort(port) ? lv2::parameterOfPort(port) : -1;
}

// The port's value, in real units, for a normalised one: the control's curve, or the ceiling
// in dBTP on its steps (its off value at 0).
float realOf(int index, float normalized)
{
    if (index == kParamCeiling)
        return static_cast<float>(kCeilingRecord.decibelsOfNormalized(normalized));
    return lv2::realOfNormalized(index, normalized);
}

float normalizedOf(int index, float real)
{
    if (index == kParamCeiling)
        return static_cast<float>(kCeilingRecord.normalizedOf(real));
    return lv2::normalizedOfReal(index, real);
}

// Where the port's writes and echoes are kept: see kWrittenPorts.
int slotOf(int index)
{
    return index == kParamCeiling ? lv2::kParameterPorts : index - lv2::kFirstPortParameter;
}

float defaultNormalized(int index)
{
    if (index == kParamCeiling)
        return static_cast<float>(kCeilingRecord.normalizedOf(kCeilingRecord.offDb));
    return static_cast<float>(realToNormalized(parameterRecord(index).defaultValue, index));
}
} // namespace

Lv2Ui::Lv2Ui(LV2UI_Write_Function write, LV2UI_Controller controller,
             const LV2_Feature* const* features)
    : write_(write), controller_(controller)
{
    parent_ = const_cast<void*>(lv2_features_data(features, LV2_UI__parent));
    resize_ = static_cast<const LV2UI_Resize*>(lv2_features_data(features, LV2_UI__resize));
    touch_ = static_cast<const LV2UI_Touch*>(lv2_features_data(features, LV2_UI__touch));
    effect_ = Lv2Effect::fromHandle(
        const_cast<void*>(lv2_features_data(features, LV2_INSTANCE_ACCESS_URI)));
    for (int index = 0; index < kNumParameters; ++index)
        parameters_[index] =
            static_cast<float>(realToNormalized(parameterRecord(index).defaultValue, index));
    parameters_[kParamCeiling] = defaultNormalized(kParamCeiling);
    std::fill(std::begin(lastWritten_), std::end(lastWritten_), kNothingWritten);
    if (effect_)
        settingsSeen_ = effect_->settings().generation();
    editor_ = std::make_unique<SDEditor>(this, effect_ ? &effect_->published() : nullptr);
    editor_->setKnobMode(kLinearKnobMode);
}

Lv2Ui::~Lv2Ui()
{
    editor_->close();
}

LV2UI_Widget Lv2Ui::open()
{
    if (!parent_ || !editor_->open(parent_) || !editor_->frame())
        return nullptr;
    EditorRect* size = nullptr;
    if (resize_ && editor_->getRect(&size))
        resize_->ui_resize(resize_->handle, size->right - size->left, size->bottom - size->top);
    return editor_->frame()->getWindow()->handle();
}

void Lv2Ui::close()
{
    write_ = nullptr;
    touch_ = nullptr;
    resize_ = nullptr;
    editor_->close();
}

int Lv2Ui::idle()
{
    CFrame* frame = editor_->frame();
    if (!frame || !frame->isOpen())
        return 1;
    followRestoredSettings();
    editor_->idle();
    return 0;
}

// ---------------------------------------------------------------------------- from the host

void Lv2Ui::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    const int index = parameterOf(port);
    if (format != 0 || size != sizeof(float) || !buffer || index < 0)
        return;
    float real = 0.0f;
    std::memcpy(&real, buffer, sizeof(real));
    const int slot = slotOf(index);
    if (echoes_[slot].isEcho(real, nowMs()))
        return;
    lastWritten_[slot] = kNothingWritten;
    parameters_[index] = normalizedOf(index, real);
    editor_->setParameter(index, parameters_[index]);
}

// A restored session changed the settings in the plug-in: show them.
void Lv2Ui::followRestoredSettings()
{
    if (!effect_ || effect_->settings().generation() == settingsSeen_)
        return;
    settingsSeen_ = effect_->settings().generation();
    for (const lv2::SettingKey& key : lv2::kSettingKeys)
        editor_->setParameter(key.index, effect_->settings().value(key.index));
}

// ---------------------------------------------------------------------------- from the editor

float Lv2Ui::getParameter(int32_t index)
{
    if (index < 0 || index > kParamCeiling)
        return 0.0f;
    if (effect_ && lv2::isSetting(index))
        return effect_->settings().value(index);
    return parameters_[index];
}

// As the VST 2.4 effect takes its editor's changes: ports for the host-facing parameters,
// the plug-in's settings for the editor-only ones, a reset, the manual; and the ceiling's port.
void Lv2Ui::setParameterAutomated(int32_t index, float value)
{
    if (index < 0 || index > kParamCeiling || !(value >= 0.0f && value <= 1.0f))
        return;
    if (parameterRecord(index).role == ParameterRole::kAction)
    {
        const ParameterAction action = actionOf(index, value);
        if (action == ParameterAction::kReset)
            resetToDefaults();
        else if (action == ParameterAction::kOpenManual)
            editor_->openInformationDocument();
        return;
    }
    parameters_[index] = value;
    if (hasPort(index))
        writePort(index, value);
    else if (effect_ && lv2::isSetting(index))
        effect_->settings().change(index, value);
    editor_->setParameter(index, value);
}

void Lv2Ui::writePort(int index, float normalized)
{
    const int slot = slotOf(index);
    const float real = realOf(index, normalized);
    // A drag over a stepped control writes each step once.
    if (std::bit_cast<uint32_t>(real) == std::bit_cast<uint32_t>(lastWritten_[slot]))
        return;
    lastWritten_[slot] = real;
    echoes_[slot].wrote(real, nowMs());
    if (write_)
        write_(controller_, portOf(index), sizeof(real), 0, &real);
}

// Everything the panel shows goes back to its default, the ceiling to off.
void Lv2Ui::resetToDefaults()
{
    for (int index = lv2::kFirstSetting; index <= kParamCeiling; ++index)
    {
        if (index != kParamReset)
            setParameterAutomated(index, defaultNormalized(index));
    }
}

bool Lv2Ui::beginEdit(int32_t index)
{
    touch(index, true);
    return touch_ != nullptr;
}

bool Lv2Ui::endEdit(int32_t index)
{
    touch(index, false);
    return touch_ != nullptr;
}

void Lv2Ui::touch(int index, bool grabbed)
{
    if (touch_ && hasPort(index))
        touch_->touch(touch_->handle, portOf(index), grabbed);
}

bool Lv2Ui::sizeWindow(int32_t width, int32_t height)
{
    return resize_ && resize_->ui_resize(resize_->handle, width, height) == 0;
}
