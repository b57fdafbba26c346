#include "resources/generator/Artwork.h"

const Artwork* findArtwork(int32_t id)
{
    for (const Artwork& art : kArtworks)
    {
        if (art.id == id)
            return &art;
    }
    return nullptr;
}

int imageHeight(const Artwork& art)
{
    return art.images > 0 ? art.height / art.images : art.height;
}

std::string artworkFileName(const Artwork& art)
{
    return std::to_string(art.id) + "-" + art.name + ".bmp";
}
