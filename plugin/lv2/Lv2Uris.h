// The names the LV2 edition is known by: the plug-in, its user interface, its presets and
// the keys of its saved state. They are kept forever: hosts store them in sessions.
#pragma once

#include "engine/ControlTable.h"

namespace lv2
{
#define VRN07_LV2_URI "urn:norvik:vrn07"
constexpr char kPluginUri[] = VRN07_LV2_URI;
constexpr char kUiUri[] = VRN07_LV2_URI "#ui";
// Followed by the program's name.
constexpr char kPresetUriPrefix[] = VRN07_LV2_URI "#preset-";

// The editor-only settings (parameters 4 to 11), saved in the host's session.
struct SettingKey
{
    int index;
    const char* uri;
};
constexpr SettingKey kSettingKeys[] = {
    {kParamViewerTime, VRN07_LV2_URI "#viewer_time"},
    {kParamViewerLevel, VRN07_LV2_URI "#viewer_level"},
    {kParamViewerMode, VRN07_LV2_URI "#viewer_mode"},
    {kParamViewerPause, VRN07_LV2_URI "#viewer_pause"},
    {kParamViewerSource, VRN07_LV2_URI "#viewer_source"},
    {kParamViewerLimited, VRN07_LV2_URI "#viewer_limited"},
    {kParamViewerOutput, VRN07_LV2_URI "#viewer_output"},
    {kParamMeterMode, VRN07_LV2_URI "#meter_mode"},
};
constexpr int kSettingCount = int(sizeof(kSettingKeys) / sizeof(kSettingKeys[0]));
constexpr int kFirstSetting = kParamViewerTime;
constexpr bool isSetting(int index)
{
    return index >= kFirstSetting && index < kFirstSetting + kSettingCount;
}
#undef VRN07_LV2_URI
} // namespace lv2
