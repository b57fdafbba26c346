#include "tools/render/DeliveryPresets.h"

#include <cstdio>
#include <strings.h>

const DeliveryPreset* findDeliveryPreset(const std::string& name)
{
    for (const DeliveryPreset& preset : kDeliveryPresets)
        if (name == preset.name)
            return &preset;
    for (const DeliveryPreset& preset : kDeliveryPresets)
        if (strcasecmp(name.c_str(), preset.name) == 0)
            return &preset;
    return nullptr;
}

std::string deliveryListText()
{
    std::string text;
    for (const DeliveryPreset& preset : kDeliveryPresets)
    {
        char line[128];
        if (preset.targetLufs)
            std::snprintf(line, sizeof(line), "      %-10s %6.1f LUFS %5.1f dBTP   %s\n",
                          preset.name, *preset.targetLufs, preset.ceilingDb, preset.use);
        else
            std::snprintf(line, sizeof(line), "      %-10s %11s %5.1f dBTP   %s\n", preset.name, "",
                          preset.ceilingDb, preset.use);
        text += line;
    }
    return text;
}
