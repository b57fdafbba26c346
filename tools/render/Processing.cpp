#include "tools/render/Processing.h"

#include "engine/Units.h"

#include <algorithm>
#include <cmath>

std::string processingText(Processing processing)
{
    switch (processing)
    {
    case Processing::gain:
        return "gain only";
    case Processing::stage:
        return "true-peak stage";
    case Processing::maximizer:
        return "maximizer and true-peak stage";
    case Processing::fastStage:
        return "true-peak stage, fast release";
    case Processing::plugin:
        return "plug-in as set";
    }
    return "";
}

void GainHistory::note(int64_t stretch, double gain)
{
    if (lowest.size() <= size_t(stretch))
        lowest.resize(size_t(stretch) + 1, 1.0);
    lowest[size_t(stretch)] = std::min(lowest[size_t(stretch)], gain);
}

double GainHistory::largestReductionDb() const
{
    if (lowest.empty())
        return 0.0;
    return decibelsFromGain(*std::min_element(lowest.begin(), lowest.end()));
}

double GainHistory::medianReductionDb() const
{
    if (lowest.empty())
        return 0.0;
    std::vector<double> sorted = lowest;
    const auto middle = sorted.begin() + std::ptrdiff_t(sorted.size() / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    return decibelsFromGain(*middle);
}
