#include "plugin/vst2/AudioEffect.h"

#include "editor/AEffEditor.h"
#include "plugin/Version.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

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

bool AudioEffect::reportEditorRect(ERect** rect)
{
    if (!editor_)
        return false;
    EditorRect* shown = nullptr;
    if (!editor_->getRect(&shown) || !shown)
    {
        *rect = nullptr;
        return false;
    }
    editorRect_ = {shown->top, shown->left, shown->bottom, shown->right};
    *rect = &editorRect_;
    return true;
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
    openEdits_.push_back(index);
    return callHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffect::endEdit(VstInt32 index)
{
    const auto open = std::find(openEdits_.begin(), openEdits_.end(), index);
    if (open != openEdits_.end())
        openEdits_.erase(open);
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

void AudioEffect::retain()
{
    references_.fetch_add(1, std::memory_order_relaxed);
}

void AudioEffect::release()
{
    if (references_.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}

void AudioEffect::closeForHost()
{
    if (closedByHost_)
        return;
    closedByHost_ = true;
    dispatcher(effClose, 0, 0, nullptr, 0.0f);
    // A gesture running on the stack ends with the editor; the host hears its end now.
    if (editor_)
        editor_->close();
    for (const VstInt32 index : std::exchange(openEdits_, {}))
        callHost(audioMasterEndEdit, index);
    host_ = nullptr;
    release();
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
        return ptr && reportEditorRect(static_cast<ERect**>(ptr)) ? 1 : 0;
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
    // Every call holds the instance: a host may close it from inside a call made during this
    // one, and it goes when the outermost call returns. effClose answers 1.
    instance->retain();
    VstIntPtr answer = 1;
    if (opcode == effClose)
        instance->closeForHost();
    else
        answer = instance->dispatcher(opcode, index, value, ptr, opt);
    instance->release();
    return answer;
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
