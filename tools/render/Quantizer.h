// Reduces float samples to the word length of an integer output format: TPDF dither of one
// least significant bit (the difference of two uniform values, so the noise is independent
// of the signal), then rounding to the format's grid. The samples it leaves are exactly the
// ones the file stores, so that what is measured is what is written. The dither comes from
// a fixed seed: the same input gives the same file.
#pragma once

#include <cstdint>

class Quantizer
{
  public:
    // bits: 16 or 24. dither: add the TPDF dither before rounding.
    Quantizer(int bits, bool dither);

    // How far quantizing may move a signal's true peak, as a linear amount: the largest
    // change of one sample (the dither's peak of one step plus half a step of rounding), times
    // the gain the meters' interpolators can give a signal that changes by that much from
    // sample to sample.
    double peakChange() const;

    // Quantizes interleaved samples in place; samples beyond full scale are clipped to it.
    void process(float* samples, int64_t count);

  private:
    double uniform();

    double steps_;   // grid steps per unit of full scale: 2^(bits - 1)
    double highest_; // the largest value the format stores: 1 - one step
    bool dither_;
    uint64_t random_; // xorshift64* state
};
