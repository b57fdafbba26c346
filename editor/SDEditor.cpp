#include "editor/SDEditor.h"

#include "plugin/AKkk.h"

SDEditor::SDEditor(AKkk* effect) : AEffGUIEditor(effect) {}

void SDEditor::setParameter(VstInt32, float) {}

void SDEditor::openInformationDocument() {}
