// The plug-in's editor. Its panel, viewers and meters are built when it opens.
#pragma once

#include "editor/AEffGUIEditor.h"

class AKkk;

class SDEditor : public AEffGUIEditor
{
public:
    explicit SDEditor(AKkk* effect);

    // Moves the control and value display of a parameter; nothing while closed.
    void setParameter(VstInt32 index, float value) override;
    // Opens the user manual when the information button exists (while open).
    void openInformationDocument();
};
