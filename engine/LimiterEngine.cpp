#include "engine/LimiterEngine.h"

CLimiterEngine::CLimiterEngine(int sampleRate) : sampleRate_(sampleRate) {}

void CLimiterEngine::setSampleRate(int sampleRate)
{
    sampleRate_ = sampleRate;
}

void CLimiterEngine::reset() {}
