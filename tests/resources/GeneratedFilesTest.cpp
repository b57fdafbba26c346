// The committed files are what the generator draws now: a change to the drawing code that
// was not followed by a regeneration fails here.
#include "CommittedFiles.h"

#include "resources/generator/ArtworkPainter.h"
#include "resources/generator/BmpWriter.h"
#include "resources/generator/ResourceScript.h"

#include <gtest/gtest.h>

TEST(GeneratedFiles, MatchTheCommittedBitmapsByteForByte)
{
    const TextRenderer text;
    ASSERT_TRUE(text.ok());
    for (const Artwork& art : kArtworks)
    {
        const std::vector<uint8_t> committed =
            readBytes(repositoryFile("resources/" + artworkFileName(art)));
        EXPECT_TRUE(encodeBmp(drawArtwork(art, text)) == committed)
            << artworkFileName(art) << " is out of date: build the target vrn07-artwork";
    }
}

TEST(GeneratedFiles, MatchTheCommittedResourceScript)
{
    EXPECT_EQ(resourceScript(), readText(repositoryFile("resources/resources.rc")));
}
