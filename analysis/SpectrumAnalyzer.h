// Spectrum analyser of one stereo signal, fed by the audio thread, read by the editor.
#pragma once

class CSpectrumAnalyzer
{
public:
    explicit CSpectrumAnalyzer(int sampleRate);

    void setSampleRate(int sampleRate);
    void clear();

private:
    int sampleRate_;
};
