// The audio engine: band split, band limiters, output stage.
#pragma once

class CLimiterEngine
{
public:
    explicit CLimiterEngine(int sampleRate);

    void setSampleRate(int sampleRate);
    // Clears every running state: filter histories, limiter gains, the output delay.
    void reset();

private:
    int sampleRate_;
};
