// The engine against the plain model of the same arithmetic, for random settings and signals.
#include "tests/audio/AudioFixture.h"
#include "tests/audio/ReferenceLimiter.h"

#include <cmath>

namespace
{
class AgainstTheModel : public InProcessPlugin
{
  protected:
    // Sets a parameter and returns the real value the engine received from it.
    float apply(int index, double real)
    {
        const float normalized = float(realToNormalized(real, index));
        plugin_->setParameter(index, normalized);
        return float(normalizedToReal(normalized, index));
    }
};
} // namespace

TEST_F(AgainstTheModel, AgreesToSinglePrecisionRoundingForRandomSettings)
{
    std::mt19937 generator(2024);
    auto uniform = [&generator](double low, double high)
    { return std::uniform_real_distribution<double>(low, high)(generator); };
    for (int trial = 0; trial < 12; ++trial)
    {
        SetUp();
        ReferenceSettings settings;
        const int rates[] = {44100, 48000, 96000, 22050};
        settings.sampleRate = rates[trial % 4];
        plugin_->dispatch(effSetSampleRate, 0, 0, nullptr, float(settings.sampleRate));
        for (int band = 0; band < 3; ++band)
        {
            settings.thresholdDb[band] = apply(14 + band, uniform(-18, 18));
            settings.bandGainDb[band] = apply(17 + band, uniform(-18, 18));
        }
        settings.crossoverLow =
            apply(20, trial == 3 ? 10 : std::exp(uniform(std::log(10), std::log(640))));
        settings.crossoverHigh =
            apply(21, trial == 5 ? 20000 : std::exp(uniform(std::log(640), std::log(20000))));
        settings.attackMs = apply(22, std::exp(uniform(std::log(0.5), std::log(20))));
        settings.releaseMs = apply(23, std::exp(uniform(std::log(5), std::log(500))));
        settings.limiterGainDb = apply(24, uniform(-6, 18));
        settings.outputGainDb = apply(25, uniform(-12, 12));
        settings.safeClip = trial % 3 != 0;
        apply(26, settings.safeClip ? 1 : 0);
        settings.sens = trial % 2 == 1;
        apply(27, settings.sens ? 1 : 0);

        StereoBuffer input = noise(6000, float(uniform(0.01, 2.0)), unsigned(trial));
        const StereoBuffer output = render(input, 1000);
        StereoBuffer expected(input.frames());
        ReferenceLimiter model(settings);
        model.process(input.left.data(), input.right.data(), expected.left.data(),
                      expected.right.data(), input.frames());

        double worst = 0;
        for (size_t i = 0; i < size_t(input.frames()); ++i)
        {
            const double scale = std::max(1e-3, double(std::fabs(expected.left[i])));
            worst = std::max(worst, std::fabs(output.left[i] - expected.left[i]) / scale);
            const double scaleRight = std::max(1e-3, double(std::fabs(expected.right[i])));
            worst = std::max(worst, std::fabs(output.right[i] - expected.right[i]) / scaleRight);
        }
        EXPECT_LT(worst, 2e-6) << "trial " << trial << " at " << settings.sampleRate << " Hz";
    }
}
