#include "plugin/AudioEffect.h"

#include "editor/AEffEditor.h"
#include "plugin/Version.h"

#include <cmath>
#include <cstring>

namespace
{
AudioEffect* instanceOf(AEffect* effect)
{
    return effect ? static_cast<AudioEffect*>(effect->object) : nullptr;
}

// A rate the filter and capture designs can work with; anything else is ignored.
bool isUsableSampleRate(float rate)
{
    return std::isfinite(rate) && rate >= 1000.0f && rate <= 1536000.0f;
}
} // namespace

AudioEffect::AudioEffect(audioMasterCallback host, VstInt32 numPrograms, VstInt32 numParams)
    : host_(host), numPrograms_(numPrograms), numParams_(numParams)
{
    std::memset(&effect_, 0, sizeof(effect_));
    effect_.magic = kEffectMagic;
    effect_.dispatcher = dispatchEntry;
    effect_.process = processEntry;
    effect_.setParameter = setParameterEntry;
    effect_.getParameter = getParameterEntry;
    effect_.numPrograms = numPrograms;
    effect_.numParams = numParams;
    effect_.numInputs = 1;
    effect_.numOutputs = 2;
    effect_.flags = effFlagsCanReplacing;
    effect_.ioRatio = 1.0f;
    effect_.object = this;
    effect_.uniqueID = vstFourCharCode('N', 'o', 'E', 'f');
    effect_.version = kEffectVersion;
    effect_.processReplacing = processReplacingEntry;
    effect_.processDoubleReplacing = processDoubleReplacingEntry;
}

AudioEffect::~AudioEffect()
{
    delete editor_;
}

void AudioEffect::setEditor(AEffEditor* editor)
{
    editor_ = editor;
    if (editor)
        effect_.flags |= effFlagsHasEditor;
    else
        effect_.flags &= ~effFlagsHasEditor;
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt)
{
    return host_ ? host_(&effect_, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value)
{
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

bool AudioEffect::beginEdit(VstInt32 index)
{
    return callHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffect::endEdit(VstInt32 index)
{
    return callHost(audioMasterEndEdit, index) != 0;
}

void AudioEffect::masterIdle()
{
    callHost(audioMasterIdle);
}

bool AudioEffect::canHostDo(const char* text)
{
    return callHost(audioMasterCanDo, 0, 0, const_cast<char*>(text)) != 0;
}

bool AudioEffect::sizeWindow(VstInt32 width, VstInt32 height)
{
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt)
{
    switch (opcode)
    {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        if (value >= 0 && value < numPrograms_)
            setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (ptr)
            setProgramName(static_cast<const char*>(ptr));
        return 0;
    case effGetProgramName:
        if (ptr)
            getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        if (ptr)
            getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamLabel:
        if (ptr)
            getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamDisplay:
        if (ptr)
            getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case effSetSampleRate:
        if (isUsableSampleRate(opt))
            setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value != 0)
            resume();
        else
            suspend();
        return 0;
    case effEditGetRect:
        if (editor_ && ptr)
            return editor_->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
        return 0;
    case effEditOpen:
        return editor_ && editor_->open(ptr) ? 1 : 0;
    case effEditClose:
        if (editor_)
            editor_->close();
        return 0;
    case effEditIdle:
        if (editor_)
            editor_->idle();
        return 0;
    case effIdentify:
        return vstFourCharCode('N', 'v', 'E', 'f');
    default:
        // Chunks are not kept.
        return 0;
    }
}

VstIntPtr VSTCALLBACK AudioEffect::dispatchEntry(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                 VstIntPtr value, void* ptr, float opt)
{
    AudioEffect* instance = instanceOf(effect);
    if (!instance)
        return 0;
    if (opcode == effClose)
    {
        instance->dispatcher(opcode, index, value, ptr, opt);
        delete instance;
        return 1;
    }
    return instance->dispatcher(opcode, index, value, ptr, opt);
}

void VSTCALLBACK AudioEffect::processEntry(AEffect*, float**, float**, VstInt32)
{
    // The old accumulating entry is not supported: hosts use processReplacing.
}

void VSTCALLBACK AudioEffect::processReplacingEntry(AEffect* effect, float** inputs,
                                                    float** outputs, VstInt32 sampleFrames)
{
    if (AudioEffect* instance = instanceOf(effect))
        instance->processReplacing(inputs, outputs, sampleFrames);
}

void VSTCALLBACK AudioEffect::processDoubleReplacingEntry(AEffect*, double**, double**, VstInt32)
{
    // Double precision is not announced in the flags.
}

void VSTCALLBACK AudioEffect::setParameterEntry(AEffect* effect, VstInt32 index, float value)
{
    if (AudioEffect* instance = instanceOf(effect))
        instance->setParameter(index, value);
}

float VSTCALLBACK AudioEffect::getParameterEntry(AEffect* effect, VstInt32 index)
{
    AudioEffect* instance = instanceOf(effect);
    return instance ? instance->getParameter(index) : 0.0f;
}
