#include "plugin/vst2/AudioEffectX.h"

#include "editor/AEffEditor.h"

#include <cmath>

namespace
{
constexpr VstIntPtr kVstVersion = 2400;
constexpr VstIntPtr kNoMidiProgram = -1;

struct VstSpeakerArrangement;

bool isExtendedOpcode(VstInt32 opcode)
{
    return opcode >= effProcessEvents && opcode <= effGetNumMidiOutputChannels;
}

void clearArrangement(VstIntPtr value, void* ptr)
{
    if (auto** input = reinterpret_cast<VstSpeakerArrangement**>(value))
        *input = nullptr;
    if (auto** output = static_cast<VstSpeakerArrangement**>(ptr))
        *output = nullptr;
}
} // namespace

VstKeyCode keyCodeFromDispatch(VstInt32 index, VstIntPtr value, float opt)
{
    VstKeyCode key{};
    key.character = index;
    key.virt = static_cast<unsigned char>(value & 0xff);
    if (std::isfinite(opt) && std::fabs(opt) < 2147483648.0f)
        key.modifier = static_cast<unsigned char>(static_cast<VstInt32>(opt) & 0xff);
    return key;
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt)
{
    if (!isExtendedOpcode(opcode))
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);

    char* text = static_cast<char*>(ptr);
    switch (opcode)
    {
    case effCanBeAutomated:
        return canParameterBeAutomated(index) ? 1 : 0;
    case effGetProgramNameIndexed:
        return text && getProgramNameIndexed(static_cast<VstInt32>(value), index, text) ? 1 : 0;
    case effGetPlugCategory:
        return getPlugCategory();
    case effGetEffectName:
        return text && getEffectName(text) ? 1 : 0;
    case effGetVendorString:
        return text && getVendorString(text) ? 1 : 0;
    case effGetProductString:
        return text && getProductString(text) ? 1 : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effGetVstVersion:
        return kVstVersion;
    case effEditKeyDown:
    case effEditKeyUp:
    {
        if (!editor_)
            return 0;
        const VstKeyCode vstKey = keyCodeFromDispatch(index, value, opt);
        const CKeyCode key{vstKey.character, vstKey.virt, vstKey.modifier};
        const bool used =
            opcode == effEditKeyDown ? editor_->onKeyDown(key) : editor_->onKeyUp(key);
        return used ? 1 : 0;
    }
    case effSetEditKnobMode:
        return editor_ && editor_->setKnobMode(static_cast<int32_t>(value)) ? 1 : 0;
    case effGetCurrentMidiProgram:
        return kNoMidiProgram;
    case effGetSpeakerArrangement:
        clearArrangement(value, ptr);
        return 0;
    case effSetTotalSampleToProcess:
        return value;
    default:
        // Events, chunks of text, offline processing, MIDI programs, speaker
        // arrangements, bypass, tails and "can do" queries are not supported.
        return 0;
    }
}
