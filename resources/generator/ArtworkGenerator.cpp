// Draws every bitmap of the panel and writes them, with the resource script that numbers
// them, into a folder; optionally renders a preview of the whole panel.
//
//   vrn07-artwork-generator <folder> [--preview <file.png>] [--preview-alternate <file.png>]

#include "resources/generator/Artwork.h"
#include "resources/generator/ArtworkPainter.h"
#include "resources/generator/BmpWriter.h"
#include "resources/generator/PngWriter.h"
#include "resources/generator/Preview.h"
#include "resources/generator/ResourceScript.h"

#include <cstdio>
#include <map>
#include <string>
#include <string_view>

namespace
{
int usage()
{
    std::fprintf(stderr, "usage: vrn07-artwork-generator <folder> [--preview <file.png>] "
                         "[--preview-alternate <file.png>]\n");
    return 2;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    const std::string folder = argv[1];
    std::map<PreviewState, std::string> previews;
    for (int i = 2; i + 1 < argc; i += 2)
    {
        const std::string_view option = argv[i];
        if (option == "--preview")
            previews[PreviewState::Defaults] = argv[i + 1];
        else if (option == "--preview-alternate")
            previews[PreviewState::Alternate] = argv[i + 1];
        else
            return usage();
    }
    if (argc % 2 != 0)
        return usage();

    const TextRenderer text;
    if (!text.ok())
    {
        std::fprintf(stderr, "cannot load the Liberation Sans fonts\n");
        return 1;
    }
    std::map<int, Canvas> images;
    for (const Artwork& art : kArtworks)
    {
        images[art.id] = drawArtwork(art, text);
        const std::string path = folder + "/" + artworkFileName(art);
        if (!writeBmp(images[art.id], path))
        {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    if (!writeResourceScript(folder + "/resources.rc"))
    {
        std::fprintf(stderr, "cannot write %s/resources.rc\n", folder.c_str());
        return 1;
    }
    for (const auto& [state, path] : previews)
    {
        if (!writePng(composePreview(images, text, state), path))
        {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
