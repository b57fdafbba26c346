#include "plugin/lv2/EditorSettings.h"

#include "core/PublishedState.h"
#include "plugin/lv2/PortValue.h"

EditorSettings::EditorSettings(PublishedState& published) : published_(published)
{
    for (const lv2::SettingKey& key : lv2::kSettingKeys)
    {
        const double real = parameterRecord(key.index).defaultValue;
        values_[key.index - lv2::kFirstSetting].store(
            static_cast<float>(realToNormalized(real, key.index)));
        // The default itself is applied, not its round trip through the curve.
        published_.applyViewerSetting(key.index, static_cast<float>(real));
    }
}

float EditorSettings::value(int index) const
{
    return lv2::isSetting(index) ? values_[index - lv2::kFirstSetting].load() : 0.0f;
}

void EditorSettings::change(int index, float normalized)
{
    const bool isNew = value(index) != normalized;
    if (store(index, normalized) && isNew)
        editorChangePending_.store(true);
}

void EditorSettings::restore(int index, float normalized)
{
    store(index, normalized);
    generation_.fetch_add(1);
}

bool EditorSettings::store(int index, float normalized)
{
    if (!lv2::isSetting(index) || !(normalized >= 0.0f && normalized <= 1.0f))
        return false;
    values_[index - lv2::kFirstSetting].store(normalized);
    published_.applyViewerSetting(index, lv2::realOfNormalized(index, normalized));
    return true;
}
