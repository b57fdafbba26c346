// Batches: several inputs or a folder rendered into --out-dir in parallel, one drive per file
// or one for the album, the table and its JSON twin, and a damaged file among good ones.
#include "tests/render/RenderRun.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdio>
#include <map>
#include <sstream>

namespace
{
constexpr int kRate = 44100;

// Three seconds of a song-like signal at a level: a bass and a chord over noise.
Sound song(double level, double root)
{
    Sound sound = sineSound(kRate, 2, 3 * kRate, root, 0.5 * level);
    const Sound fifth = sineSound(kRate, 2, 3 * kRate, root * 1.5, 0.3 * level);
    for (size_t i = 0; i < sound.samples.size(); ++i)
        sound.samples[i] += fifth.samples[i];
    addNoise(sound, 0.1 * level);
    return sound;
}

// A FLAC file whose second half is overwritten: it opens, then fails while decoding.
void writeDamagedFlac(const std::string& path)
{
    Sound noise = song(0.5, 110.0);
    noise.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    writeSound(path, noise);
    std::string flac = fileBytes(path);
    for (size_t i = flac.size() / 2; i < flac.size(); ++i)
        flac[i] = char(i * 7 + 13);
    writeBytes(path, flac);
}

// One row of the table: the seven figures after the file's name, or why it failed.
struct TableRow
{
    bool found = false;
    double figures[7] = {}; // in LUFS, in dBTP, drive, out LUFS, out dBTP, out LRA, band
    std::string rest;
};

TableRow tableRow(const std::string& report, const std::string& name)
{
    std::istringstream lines(report);
    std::string line;
    TableRow row;
    while (std::getline(lines, line))
    {
        if (line.rfind(name + " ", 0) != 0)
            continue;
        row.found = true;
        const char* rest = line.c_str() + name.size();
        row.rest = rest;
        std::sscanf(rest, "%lf %lf %lf %lf %lf %lf %lf", &row.figures[0], &row.figures[1],
                    &row.figures[2], &row.figures[3], &row.figures[4], &row.figures[5],
                    &row.figures[6]);
    }
    return row;
}

// The JSON report's rows, parsed by Python's strict reader (no NaN or Infinity), one line
// per file: input, status, then the seven figures of the table ("None" when null).
std::map<std::string, std::string> jsonRows(const ScratchFolder& folder, const std::string& json)
{
    const std::string script = folder.path("../rows.py");
    writeBytes(
        script,
        "import json, sys\n"
        "def refuse(name):\n"
        "    raise ValueError(name)\n"
        "report = json.load(open(sys.argv[1]), parse_constant=refuse)\n"
        "keys = ['input_lufs', 'input_dbtp', 'drive_db', 'output_lufs', 'output_dbtp',\n"
        "        'output_lra', 'deepest_band_reduction_db']\n"
        "for row in report['files']:\n"
        "    print(row['input'] + '|' + row['status'] + '|' +\n"
        "          ' '.join('%.2f' % row[k] if row[k] is not None else 'None' for k in keys))\n");
    const std::string rows = folder.path("../rows.txt");
    const std::string command = "python3 " + script + " " + folder.path(json) + " > " + rows;
    EXPECT_EQ(std::system(command.c_str()), 0) << "the report is not valid JSON";
    std::map<std::string, std::string> parsed;
    std::istringstream lines(fileBytes(rows));
    std::string line;
    while (std::getline(lines, line))
        parsed[line.substr(0, line.find('|'))] = line.substr(line.find('|') + 1);
    return parsed;
}

// The table row's figures as the JSON rows give them.
std::string figuresText(const TableRow& row)
{
    char line[160];
    std::snprintf(line, sizeof(line), "%.2f %.2f %.2f %.2f %.2f %.2f %.2f", row.figures[0],
                  row.figures[1], row.figures[2], row.figures[3], row.figures[4], row.figures[5],
                  row.figures[6]);
    return line;
}
} // namespace

TEST(RenderBatch, MastersEveryFileOfAFolderToItsTargetKeepingNamesAndFormats)
{
    ScratchFolder folder;
    std::filesystem::create_directory(folder.work() / "mixes");
    Sound quiet = song(0.2, 110.0);
    quiet.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    Sound loud = song(0.7, 146.8);
    loud.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    writeSound(folder.path("mixes/a.wav"), song(0.4, 98.0));
    writeSound(folder.path("mixes/b.flac"), quiet);
    writeSound(folder.path("mixes/c.wav"), loud);
    writeBytes(folder.path("mixes/notes.txt"), "not audio: left out");

    const RunResult result = folder.run({"mixes", "--out-dir", "masters", "--delivery", "streaming",
                                         "--report", "report.json", "--jobs", "3"});

    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(folder.contents(),
              (std::vector<std::string>{"masters", "masters/a.wav", "masters/b.flac",
                                        "masters/c.wav", "mixes", "mixes/a.wav", "mixes/b.flac",
                                        "mixes/c.wav", "mixes/notes.txt", "report-a.wav.png",
                                        "report-b.flac.png", "report-c.wav.png", "report.json"}));
    const std::map<std::string, int> formats = {{"a.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
                                                {"b.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                                                {"c.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24}};
    const std::map<std::string, std::string> json = jsonRows(folder, "report.json");
    for (const auto& [name, format] : formats)
    {
        SCOPED_TRACE(name);
        const Sound output = readSound(folder.path("masters/" + name));
        EXPECT_EQ(output.format, format);
        const Loudness measured = measureLoudness(output);
        EXPECT_NEAR(measured.integrated, -14.0, 0.1);
        EXPECT_LE(measured.truePeakDb, -1.0);
        const TableRow row = tableRow(result.out, "mixes/" + name);
        ASSERT_TRUE(row.found) << result.out;
        // The table prints two decimals.
        EXPECT_NEAR(row.figures[3], measured.integrated, 0.005);
        EXPECT_NEAR(row.figures[4], measured.truePeakDb, 0.005);
        ASSERT_EQ(json.count("mixes/" + name), 1u);
        EXPECT_EQ(json.at("mixes/" + name), "written|" + figuresText(row));
    }
    // The quieter input got the larger drive.
    EXPECT_GT(tableRow(result.out, "mixes/b.flac").figures[2],
              tableRow(result.out, "mixes/c.wav").figures[2] + 6.0);
}

TEST(RenderBatch, GivesAnAlbumOneDriveSoThatTheSongsKeepTheirRelativeLevels)
{
    ScratchFolder folder;
    const std::vector<std::string> names = {"one.wav", "two.wav", "three.wav"};
    const double levels[] = {0.1, 0.2, 0.05}; // 6 dB apart
    std::vector<double> inputLoudness;
    for (size_t i = 0; i < names.size(); ++i)
    {
        const Sound input = song(levels[i], 98.0 + 20.0 * double(i));
        writeSound(folder.path(names[i]), input);
        inputLoudness.push_back(measureLoudness(input).integrated);
    }

    const RunResult result = folder.run({"one.wav", "two.wav", "three.wav", "--out-dir", "album",
                                         "--delivery", "streaming", "--album"});

    ASSERT_EQ(result.status, 0) << result.err;
    std::vector<Sound> outputs;
    for (const std::string& name : names)
        outputs.push_back(readSound(folder.path("album/" + name)));
    EXPECT_NEAR(jointLoudness(outputs), -14.0, 0.1);
    // Every song sits below the limiters' thresholds at this drive, so one gain moves each
    // by the same number of dB; 0.05 LU leaves room for the dither.
    const double firstOutput = measureLoudness(outputs[0]).integrated;
    for (size_t i = 1; i < names.size(); ++i)
        EXPECT_NEAR(measureLoudness(outputs[i]).integrated - firstOutput,
                    inputLoudness[i] - inputLoudness[0], 0.05)
            << names[i];
    EXPECT_EQ(tableRow(result.out, "one.wav").figures[2],
              tableRow(result.out, "two.wav").figures[2]);
    EXPECT_NE(result.out.find("album    joint loudness"), std::string::npos) << result.out;
}

TEST(RenderBatch, ReportsADamagedFileInItsRowAndWritesTheOthers)
{
    ScratchFolder folder;
    writeSound(folder.path("first.wav"), song(0.3, 98.0));
    writeDamagedFlac(folder.path("damaged.flac"));
    writeSound(folder.path("last.wav"), song(0.3, 130.0));

    const RunResult result =
        folder.run({"first.wav", "damaged.flac", "missing.wav", "last.wav", "--out-dir", "out",
                    "--delivery", "streaming", "--report", "report.json"});

    EXPECT_EQ(result.status, 1);
    // Nothing half-written: the damaged file's output and every temporary file are gone.
    EXPECT_EQ(folder.contents(),
              (std::vector<std::string>{"damaged.flac", "first.wav", "last.wav", "out",
                                        "out/first.wav", "out/last.wav", "report-first.wav.png",
                                        "report-last.wav.png", "report.json"}));
    EXPECT_NE(tableRow(result.out, "damaged.flac").rest.find("failed: cannot read damaged.flac"),
              std::string::npos)
        << result.out;
    EXPECT_NE(tableRow(result.out, "missing.wav").rest.find("failed: cannot read missing.wav"),
              std::string::npos)
        << result.out;
    EXPECT_NEAR(tableRow(result.out, "last.wav").figures[3], -14.0, 0.1) << result.out;
    // One line on standard error for each failed file.
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 2) << result.err;
    EXPECT_NE(result.err.find("vrn07-render: cannot read damaged.flac"), std::string::npos)
        << result.err;
    const std::map<std::string, std::string> json = jsonRows(folder, "report.json");
    EXPECT_EQ(json.at("damaged.flac"), "failed|None None None None None None None");
    EXPECT_EQ(json.at("first.wav").rfind("written|", 0), 0u);
}

TEST(RenderBatch, RefusesOutputsThatWouldOverwriteAnInputOrEachOther)
{
    ScratchFolder folder;
    std::filesystem::create_directory(folder.work() / "other");
    writeSound(folder.path("a.wav"), song(0.3, 98.0));
    writeSound(folder.path("other/a.wav"), song(0.3, 98.0));
    const std::vector<std::string> before = folder.contents();

    const RunResult intoItself = folder.run({"a.wav", "--out-dir", "."});
    const RunResult sameName = folder.run({"a.wav", "other/a.wav", "--out-dir", "out"});
    const RunResult reportOverInput =
        folder.run({"a.wav", "--out-dir", "out", "--report", "a.wav"});

    for (const RunResult& result : {intoItself, sameName, reportOverInput})
    {
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    }
    EXPECT_NE(intoItself.err.find("it is the input file"), std::string::npos) << intoItself.err;
    EXPECT_NE(sameName.err.find("it is also the output of a.wav"), std::string::npos)
        << sameName.err;
    EXPECT_NE(reportOverInput.err.find("it is the input file"), std::string::npos)
        << reportOverInput.err;
    EXPECT_EQ(folder.contents(), before);
}
