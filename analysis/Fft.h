// Split-radix complex transform of the spectrum analyser.
#pragma once

constexpr int kFftMinFloats = 4;
constexpr int kFftMaxFloats = 8192;

// Transforms the n / 2 complex points held in data (real and imaginary parts interleaved) in
// place: X[k] = sum over j of x[j] * exp(+2 pi i j k / (n / 2)), unscaled, in natural order.
// n counts floats and must be a power of two from 4 to 8192. Keeps no state and allocates
// nothing, so it may run on any thread. Returns false, leaving the data untouched, for a null
// array or any other n.
bool fftForward(float* data, int n);
