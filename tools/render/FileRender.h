// The render of one input file into its output, as the options say: streamed through the
// chain once, or decoded into memory and rendered at trial drives (measured only) before the
// render that is written.
#pragma once

#include "tools/render/FileResult.h"
#include "tools/render/Processing.h"
#include "tools/render/Quantizer.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/SoundFileWriter.h"
#include "tools/render/StereoSource.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class ProgressBar;
class DeliveryChain;

struct RenderJob
{
    std::string inputPath;
    std::string inputName; // how messages and the report call the input
    std::string outputPath;
    // The output keeps the input's word length where its container can hold it (a batch),
    // instead of taking the container's default; --bits decides before either.
    bool keepWordLength = false;
    // Trial renders play the two halves of the input on two threads (not in a batch, whose
    // files already keep every core busy).
    bool splitTrials = false;
};

// The meters of a trial render, one for each part of the input played.
using TrialMeters = std::vector<std::unique_ptr<LoudnessMeter>>;
// Their integrated loudness taken together.
double integratedOf(const TrialMeters& meters);

class FileRender
{
  public:
    // Opens the input and chooses the output format. Throws RenderError.
    FileRender(const RenderJob& job, const RenderOptions& options);
    ~FileRender();

    FileRender(const FileRender&) = delete;
    FileRender& operator=(const FileRender&) = delete;

    // The frames a render of this file plays through the plug-in, passes times, for the
    // progress bar; 0 when the file does not say how long it is.
    int64_t announcedFrames() const { return source_.reader().frames(); }

    // Reads the whole input into memory, for renders at several drives.
    void decode(ProgressBar& progress);
    // Renders the decoded input at a drive (dB) and measures it without writing. Where the
    // job splits trials, each half has a chain of its own, the second started a few seconds
    // early so that its limiters have settled where its measure starts: the loudness is
    // that of a whole render to a few thousandths of a LU.
    TrialMeters measure(Processing processing, double driveDb, ProgressBar& progress);
    // Renders at a drive into the output file (from memory after decode, else from the file
    // as it is read), with the snapshot when the options ask for one, and gives the file its
    // name. Throws RenderError, leaving nothing behind.
    void write(Processing processing, double driveDb, ProgressBar& progress);

    // After decode: whether the input times a gain (dB) keeps its true peak, and what the
    // output's quantizing may add to it, at or under the ceiling.
    bool gainKeepsCeiling(double gainDb) const;
    // Aims the stage of later renders lower, by what the written output's true peak went over
    // where the stage aimed, in the stage's steps of 0.1 dB.
    void lowerStageCeiling();

    FileResult& result() { return result_; }

  private:
    std::unique_ptr<LoudnessMeter> measurePart(Processing processing, double driveDb, int64_t begin,
                                               int64_t end, int64_t settleFrames,
                                               ProgressBar& progress) const;
    std::optional<Quantizer> quantizer() const;
    double headroom() const;
    void takeSourceFigures();
    void takeChainFigures(const DeliveryChain& chain);
    void writeSnapshot(const DeliveryChain& chain) const;

    const RenderOptions& options_;
    const bool splitTrials_;
    FileStereoSource source_;
    OutputFormat format_;
    std::optional<StereoSignal> signal_;
    FileResult result_;
    double stageMarginDb_;
};

// Renders one file as the options say: finds the drive for the target (when there is one)
// and writes the output. Throws RenderError.
void renderFile(FileRender& render, const RenderOptions& options, ProgressBar& progress);

// The frames of work rendering a file of these frames takes, as an estimate for the
// progress bar: one pass, or the decoding, the usual number of trials and the final render.
int64_t estimatedWork(int64_t frames, const RenderOptions& options);
