// An editor that draws its own window content and reports user gestures to the effect.
#pragma once

#include "editor/AEffEditor.h"

class AEffGUIEditor : public AEffEditor
{
public:
    explicit AEffGUIEditor(AudioEffect* effect);

    bool getRect(ERect** rect) override;
    bool setKnobMode(VstInt32 mode) override;

    // Moves the editor's view of a parameter; called by the effect on any thread.
    virtual void setParameter(VstInt32 index, float value);
    virtual bool beginEdit(VstInt32 index);
    virtual bool endEdit(VstInt32 index);

    static VstInt32 knobMode();

protected:
    ERect rect_{};
};
