// The named delivery targets --delivery takes: an integrated loudness and a true-peak
// ceiling that common distribution channels ask masters to meet.
#pragma once

#include <optional>
#include <string>

struct DeliveryPreset
{
    const char* name;
    std::optional<double> targetLufs; // none: the ceiling alone
    double ceilingDb;                 // dBTP
    const char* use;
};

inline constexpr DeliveryPreset kDeliveryPresets[] = {
    {"streaming", -14.0, -1.0, "music streaming services"},
    {"podcast", -16.0, -1.0, "podcasts and spoken word"},
    {"ebu-r128", -23.0, -1.0, "EBU R 128 broadcast"},
    {"cd", std::nullopt, -0.3, "CD masters: no loudness target"},
};

// The preset of that name (exact, else ignoring case), or null.
const DeliveryPreset* findDeliveryPreset(const std::string& name);

// One line per preset, for --help.
std::string deliveryListText();
