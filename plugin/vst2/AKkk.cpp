#include "plugin/vst2/AKkk.h"

#include "editor/LinkedInstance.h"
#include "editor/SDEditor.h"
#include "engine/HostValueText.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{
constexpr char kEffectName[] = "QZ [VRN-07] Limiter/Maximizer";
constexpr VstInt32 kUniqueId = vstFourCharCode('0', 'q', '6', '4');

// Host values are normalised: anything else would reach infinite gains or frequencies.
float clampToNormalized(float value)
{
    return value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
}
} // namespace

AKkk::AKkk(audioMasterCallback host)
    : AudioEffectX(host, kNumPrograms, kNumParameters),
      processor_(static_cast<int32_t>(initialSampleRate_), CProcessor::Latency::kUnreported)
{
    programs_ = std::make_unique<ProgramRecord[]>(kNumPrograms);
    for (int i = 0; i < kNumPrograms; ++i)
        std::memcpy(programs_[i].name, kFactoryPresets[i].name, kProgramNameSize);

    for (auto& parameter : parameters_)
        parameter.store(0.0, std::memory_order_relaxed);

    // No editor object exists yet, so this only stores the preset's values.
    setProgram(0);

    effect_.numInputs = 2;
    effect_.numOutputs = 2;
    effect_.uniqueID = kUniqueId;

    sdEditor_ = new SDEditor(this, &published());
    setEditor(sdEditor_);
    resetToDefaults();
    setProgram(0);
    resume();
}

AKkk::~AKkk()
{
    // Take the editor's views down while the effect they read still exists: a frame closed
    // during its own input handling goes only now.
    sdEditor_->close();
    programs_.reset();
}

void AKkk::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (sampleFrames <= 0 || !inputs || !outputs || !inputs[0] || !inputs[1] || !outputs[0] ||
        !outputs[1])
        return;
    processor_.process(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames);
}

// ---------------------------------------------------------------------------- parameters

void AKkk::setParameter(VstInt32 index, float value)
{
    if (!isParameterIndex(index) || !std::isfinite(value))
        return;
    value = clampToNormalized(value);

    if (parameterRecord(index).role == ParameterRole::kAction)
        perform(actionOf(index, value));
    else if (index != 1)
        storeAndApply(index, value);
}

void AKkk::perform(ParameterAction action)
{
    if (action == ParameterAction::kReset)
        resetToDefaults();
    else if (action == ParameterAction::kOpenManual && sdEditor_)
        sdEditor_->openInformationDocument();
}

void AKkk::storeAndApply(VstInt32 index, double normalized)
{
    parameters_[index].store(normalized, std::memory_order_relaxed);
    if (editor_)
        applyParameter(index, static_cast<float>(normalizedToReal(normalized, index)));
    if (sdEditor_)
        sdEditor_->setParameter(index, static_cast<float>(normalized));
}

float AKkk::getParameter(VstInt32 index)
{
    if (!isParameterIndex(index) || index == kParamReset)
        return 0.0f;
    return static_cast<float>(storedParameter(index));
}

double AKkk::storedParameter(int index) const
{
    return isParameterIndex(index) ? parameters_[index].load(std::memory_order_relaxed) : 0.0;
}

void AKkk::getParameterName(VstInt32 index, char* text)
{
    if (index >= kFirstHostControl && index < kNumParameters)
        std::strcpy(text, parameterRecord(index).name);
    else if (index >= 0 && index < kFirstHostControl)
        text[0] = '\0';
    else
        std::strcpy(text, kControlTable[0].name);
}

void AKkk::getParameterLabel(VstInt32 index, char* text)
{
    hostLabelText(index, storedParameter(index), text);
}

void AKkk::getParameterDisplay(VstInt32 index, char* text)
{
    hostDisplayText(index, storedParameter(index), text);
}

void AKkk::resetToDefaults()
{
    for (int index = 0; index < kNumParameters; ++index)
    {
        if (index == kParamReset)
            continue;
        const double real = parameterRecord(index).defaultValue;
        const double normalized = realToNormalized(real, index);
        parameters_[index].store(normalized, std::memory_order_relaxed);
        // The default itself is applied, not its round trip through the curve.
        if (editor_)
            applyParameter(index, static_cast<float>(real));
        if (sdEditor_)
            sdEditor_->setParameter(index, static_cast<float>(normalized));
    }
}

void AKkk::applyParameter(int index, float value)
{
    if (editor_)
        processor_.audio().applyParameter(index, value);
}

// ---------------------------------------------------------------------------- programs

void AKkk::setProgram(VstInt32 program)
{
    if (program < 0 || program >= kNumPrograms)
        return;
    curProgram_.store(program, std::memory_order_relaxed);
    for (const PresetEntry& entry : kFactoryPresets[program].entries)
    {
        if (entry.index < 0)
            break;
        setParameter(entry.index, static_cast<float>(realToNormalized(entry.value, entry.index)));
    }
}

void AKkk::setProgramName(const char* name)
{
    char* stored = programs_[getProgram()].name;
    std::strncpy(stored, name, kProgramNameSize - 1);
    stored[kProgramNameSize - 1] = '\0';
}

void AKkk::getProgramName(char* name)
{
    const VstInt32 program = getProgram();
    const char* stored = programs_[program].name;
    if (std::strcmp(stored, "Init") == 0)
        std::snprintf(name, kProgramNameSize, "Init %d", program + 1);
    else
        std::strcpy(name, stored);
}

bool AKkk::getProgramNameIndexed(VstInt32, VstInt32 index, char* text)
{
    if (index < 0 || index >= kNumPrograms)
        return false;
    std::strcpy(text, programs_[index].name);
    return true;
}

// ---------------------------------------------------------------------------- host state

void AKkk::setSampleRate(float rate)
{
    processor_.setSampleRate(static_cast<int32_t>(rate));
}

void AKkk::resume()
{
    processor_.reset();
}

bool AKkk::getEffectName(char* text)
{
    std::strcpy(text, kEffectName);
    return true;
}

bool AKkk::getVendorString(char* text)
{
    std::strcpy(text, kVendorName);
    return true;
}

bool AKkk::getProductString(char* text)
{
    std::strcpy(text, kProductName);
    return true;
}

LinkedInstance linkedInstance(void* instanceObject)
{
    auto* effect = static_cast<AKkk*>(instanceObject);
    return {&effect->published(), effect->sdEditor()};
}
