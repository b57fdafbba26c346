// An instance created in-process with its editor opened without a window, as a host opens
// it with no parent, and a scripted pointer for the controls.
#pragma once

#include "editor/SDEditor.h"
#include "engine/ControlTable.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "plugin/vst2/AKkk.h"
#include "tests/editor/PointerScript.h"
#include "tools/host/HostHarness.h"

#include <gtest/gtest.h>

#include <memory>

extern "C" AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host);

class HeadlessEditor : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        platform::installInput(&pointer_);
        plugin_ = std::make_unique<PluginInstance>(host_.create(VSTPluginMain));
        ASSERT_NE(plugin_->effect(), nullptr);
        plugin_->dispatch(effMainsChanged, 0, 1);
    }
    void TearDown() override
    {
        plugin_.reset();
        platform::installInput(nullptr);
    }

    AKkk& effect() { return *static_cast<AKkk*>(plugin_->effect()->object); }
    SDEditor& editor() { return *effect().sdEditor(); }
    CFrame* frame() { return editor().frame(); }
    bool open() { return plugin_->dispatch(effEditOpen, 0, 0, nullptr) == 1; }
    void close() { plugin_->dispatch(effEditClose); }
    void idle() { plugin_->dispatch(effEditIdle); }
    void setReal(int index, double real)
    {
        plugin_->setParameter(index, float(realToNormalized(real, index)));
    }
    // Presses the left button at a point of the panel, then plays the script.
    void press(const CPoint& where)
    {
        CDrawContext context(frame());
        frame()->onMouseDown(&context, where, pointer_.mouseButtons());
    }

    PointerScript pointer_;
    HostHarness host_;
    std::unique_ptr<PluginInstance> plugin_;
};
