#include "resources/generator/ResourceScript.h"

#include "resources/generator/Artwork.h"

#include <fstream>

std::string resourceScript()
{
    std::string script = "// Bitmaps of the editor panel, written by resources/generator.\n";
    for (const Artwork& art : kArtworks)
        script += std::to_string(art.id) + " BITMAP \"" + artworkFileName(art) + "\"\n";
    return script;
}

bool writeResourceScript(const std::string& path)
{
    std::ofstream file(path, std::ios::binary);
    file << resourceScript();
    return bool(file);
}
