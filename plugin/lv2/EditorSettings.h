// The editor-only settings of the LV2 edition (parameters 4 to 11: the viewer's time, level,
// mode, pause and curves, and the meter mode), kept by the plug-in instance for the host's
// session and applied to what the audio path publishes for the editor. Any thread.
#pragma once

#include "plugin/lv2/Lv2Uris.h"

#include <atomic>
#include <cstdint>

class PublishedState;

class EditorSettings
{
  public:
    // Every setting at its default, applied.
    explicit EditorSettings(PublishedState& published);

    // The normalised value; 0 for an index that is not a setting.
    float value(int index) const;
    // Stores and applies a normalised value the editor set; ignored outside 0 .. 1. A new
    // value leaves a change for the host to learn of.
    void change(int index, float normalized);
    // The same for a value that comes from elsewhere (a restored session): an open editor
    // sees the generation change and follows.
    void restore(int index, float normalized);
    uint32_t generation() const { return generation_.load(); }

    // Whether the editor changed a setting since the host was last told.
    bool editorChangePending() const { return editorChangePending_.load(); }
    // The host was told; a change made meanwhile is covered by the same notice.
    void editorChangeReported() { editorChangePending_.store(false); }

  private:
    // Stores and applies a value; false for one that is ignored.
    bool store(int index, float normalized);

    PublishedState& published_;
    std::atomic<float> values_[lv2::kSettingCount];
    std::atomic<uint32_t> generation_{0};
    std::atomic<bool> editorChangePending_{false};
};
