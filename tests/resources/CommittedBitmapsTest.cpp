// The committed bitmaps are the files the editor's layout is derived from: every id it
// names, at exactly its size, as uncompressed 24-bit bottom-up BMP, numbered by the
// resource script.
#include "CommittedFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace
{
struct ExpectedBitmap
{
    int id;
    int width;
    int height;
};

// The sizes the editor's layout is built from; frame counts follow from them.
constexpr ExpectedBitmap kExpected[] = {
    {131, 391, 151},   {133, 100, 3139},  {11001, 12, 36},   {11002, 12, 36},   {11003, 12, 36},
    {11004, 12, 36},   {11005, 77, 60},   {11006, 72, 72},   {11007, 21, 41},   {11009, 26, 72},
    {11010, 50, 50},   {11011, 50, 50},   {11012, 50, 50},   {11013, 50, 50},   {11024, 49, 2401},
    {11026, 33, 1683}, {11027, 81, 3969}, {11028, 33, 2409}, {11030, 754, 374}, {11043, 61, 32},
};

std::map<int, std::string> scriptEntries()
{
    return resourceScriptEntries(readText(repositoryFile("resources/resources.rc")));
}
} // namespace

TEST(CommittedBitmaps, HaveExactlyTheListedSizesAsUncompressed24BitBottomUpFiles)
{
    for (const ExpectedBitmap& expected : kExpected)
    {
        SCOPED_TRACE("bitmap " + std::to_string(expected.id));
        const auto entries = scriptEntries();
        ASSERT_TRUE(entries.count(expected.id));
        const std::vector<uint8_t> bytes =
            readBytes(repositoryFile("resources/" + entries.at(expected.id)));
        const auto file = parseBmp(bytes);
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(file->width, expected.width);
        EXPECT_EQ(file->height, expected.height); // positive: rows stored bottom-up
        EXPECT_EQ(file->planes, 1);
        EXPECT_EQ(file->bitsPerPixel, 24);
        EXPECT_EQ(file->compression, 0u);
        EXPECT_EQ(file->infoHeaderSize, 40u);
        EXPECT_EQ(file->dataOffset, 54u); // no palette between the headers and the rows
        const size_t rowBytes = (size_t(expected.width) * 3 + 3) / 4 * 4;
        EXPECT_EQ(bytes.size(), 54 + rowBytes * size_t(expected.height));
        EXPECT_EQ(file->declaredFileSize, bytes.size());
    }
}

TEST(ResourceScript, NumbersExactlyTheListedBitmapsWithFilesNamedAfterTheirIds)
{
    const auto entries = scriptEntries();
    std::set<int> listed;
    for (const auto& [id, file] : entries)
    {
        listed.insert(id);
        EXPECT_EQ(file.rfind(std::to_string(id) + "-", 0), 0u) << file;
        EXPECT_TRUE(std::filesystem::exists(repositoryFile("resources/" + file))) << file;
    }
    std::set<int> expected;
    for (const ExpectedBitmap& bitmap : kExpected)
        expected.insert(bitmap.id);
    EXPECT_EQ(listed, expected);
}

TEST(ResourceScript, ListsEveryCommittedBitmapAndEachOnce)
{
    const std::string script = readText(repositoryFile("resources/resources.rc"));
    std::set<std::string> scripted;
    size_t bitmapLines = 0;
    for (const auto& [id, file] : resourceScriptEntries(script))
        scripted.insert(file);
    for (size_t at = script.find(" BITMAP "); at != std::string::npos;
         at = script.find(" BITMAP ", at + 1))
        ++bitmapLines;
    EXPECT_EQ(bitmapLines, scripted.size()); // no id listed twice, no line left unparsed

    std::set<std::string> committed;
    for (const auto& entry : std::filesystem::directory_iterator(repositoryFile("resources")))
    {
        if (entry.path().extension() == ".bmp")
            committed.insert(entry.path().filename().string());
    }
    EXPECT_EQ(committed, scripted);
}
