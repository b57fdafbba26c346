// Loads the built plug-in binary once and creates instances of it through a host harness.
#pragma once

#include "engine/ControlTable.h"
#include "tools/host/HostHarness.h"

#include <gtest/gtest.h>

#include <memory>

class BuiltPlugin : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        library_ = std::make_unique<PluginLibrary>(VRN07_PLUGIN_PATH);
        ASSERT_TRUE(library_->loaded()) << library_->error();
    }
    static void TearDownTestSuite() { library_.reset(); }

    // A new instance of the binary, hosted by host_.
    std::unique_ptr<PluginInstance> createInstance()
    {
        AEffect* effect = host_.create(library_->entry());
        EXPECT_NE(effect, nullptr);
        return std::make_unique<PluginInstance>(effect);
    }

    static std::unique_ptr<PluginLibrary> library_;
    HostHarness host_;
};

inline std::unique_ptr<PluginLibrary> BuiltPlugin::library_;
