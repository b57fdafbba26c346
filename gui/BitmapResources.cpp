#include "gui/BitmapResources.h"

namespace
{
std::span<const BitmapResource> resources;
}

void setBitmapResources(std::span<const BitmapResource> table)
{
    resources = table;
}

const BitmapResource* findBitmapResource(int32_t id)
{
    for (const BitmapResource& entry : resources)
    {
        if (entry.id == id)
        {
            return &entry;
        }
    }
    return nullptr;
}
