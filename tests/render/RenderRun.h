// Runs the built vrn07-render in a scratch folder and reads and writes the sound files
// the tests hand it.
#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

struct RunResult
{
    int status;
    std::string out;
    std::string err;
};

// A fresh folder for one test, removed afterwards. The program runs in work(); what it
// prints is kept outside work(), so that work() holds only the files the program made.
class ScratchFolder
{
  public:
    ScratchFolder();
    ~ScratchFolder();

    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& work() const { return work_; }
    std::string path(const std::string& name) const { return (work_ / name).string(); }
    // The names of everything in work() and its subfolders, sorted.
    std::vector<std::string> contents() const;

    // Runs vrn07-render with these arguments, with work() as the current folder.
    RunResult run(const std::vector<std::string>& arguments) const;
    // Starts it as run() does, with every signal at its default action but ignoredSignal (0:
    // none) ignored, and no core file; does not wait.
    pid_t start(const std::vector<std::string>& arguments, int ignoredSignal = 0) const;

  private:
    std::filesystem::path root_;
    std::filesystem::path work_;
};

struct Sound
{
    int sampleRate = 44100;
    int channels = 2;
    int format = 0;             // libsndfile's format code; 0 when writing means 32-bit float WAV
    std::vector<float> samples; // interleaved

    long long frames() const { return (long long)(samples.size()) / channels; }
};

void writeSound(const std::string& path, const Sound& sound);
void writeBytes(const std::string& path, const std::string& bytes);
std::string fileBytes(const std::string& path);
// Fails the current test when the file cannot be read.
Sound readSound(const std::string& path);

// frames of a sine per channel (the same in each), at amplitude.
Sound sineSound(int sampleRate, int channels, long long frames, double frequency, double amplitude);
// Adds fixed-seed uniform noise of the given amplitude to every sample.
void addNoise(Sound& sound, double amplitude);

double peakOf(const std::vector<float>& samples);
double decibels(double amplitude);

// A sound's integrated loudness (LUFS) as libebur128 measures it, and its true peak (dBTP, the
// largest of its channels) as the larger reading of libebur128 and the 16x meter.
struct Loudness
{
    double integrated;
    double truePeakDb;
};
Loudness measureLoudness(const Sound& sound);
// The integrated loudness of the sounds taken together, as of one programme.
double jointLoudness(const std::vector<Sound>& sounds);

// The numbers of one line of the report: "input" and "output" give sample peak (dBFS),
// true peak (dBTP), loudness (LUFS) and range (LU); "deepest band gain reduction:" gives
// the low, mid and high band in dB.
struct ReportLine
{
    bool found;
    double values[4];
};
ReportLine reportLine(const std::string& report, const std::string& label);
