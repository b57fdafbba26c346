// The extended VST 2.x effect: the opcodes 25 to 79, answered through the virtual
// queries below; every other opcode goes to the basic group of AudioEffect.
#pragma once

#include "plugin/vst2/AudioEffect.h"

class AudioEffectX : public AudioEffect
{
  public:
    using AudioEffect::AudioEffect;

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                         float opt) override;

    virtual bool canParameterBeAutomated(VstInt32) { return false; }
    virtual bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) = 0;
    virtual VstPlugCategory getPlugCategory() { return kPlugCategUnknown; }
    virtual bool getEffectName(char*) { return false; }
    virtual bool getVendorString(char*) { return false; }
    virtual bool getProductString(char*) { return false; }
    virtual VstInt32 getVendorVersion() { return 0; }
};

// The key code of a key opcode: character = index, virtual key = low byte of value,
// modifiers = low byte of opt truncated toward zero (0 when opt is not a usable number).
VstKeyCode keyCodeFromDispatch(VstInt32 index, VstIntPtr value, float opt);
