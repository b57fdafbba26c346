#include "analysis/SpectrumAnalyzer.h"

CSpectrumAnalyzer::CSpectrumAnalyzer(int sampleRate) : sampleRate_(sampleRate) {}

void CSpectrumAnalyzer::setSampleRate(int sampleRate)
{
    sampleRate_ = sampleRate;
}

void CSpectrumAnalyzer::clear() {}
