#!/usr/bin/python3
"""Compares two renders of the same input and says PASS or FAIL.

    compare-renders.py EXPECTED ACTUAL LABEL

Prints the frame counts, the largest absolute sample difference, the number of samples that
differ at all, and the offset in frames at which ACTUAL lines up best with EXPECTED (found by
cross-correlation). PASS (exit 0) needs the same length, no offset and every difference
below TOLERANCE; otherwise FAIL (exit 1).

Both files are 32-bit float WAV written from the same float samples by deterministic code,
so they should match bit for bit. TOLERANCE leaves room for rounding only: 1e-6 is eight
float steps (2^-23 each) at full scale, far below any real difference (a wrong setting or a
one-frame shift changes samples by 1e-3 or more).
"""

import sys

import numpy
import soundfile

TOLERANCE = 1e-6
# Offsets searched, in frames either way.
MAX_OFFSET = 4096


def best_offset(expected, actual):
    """The shift of ACTUAL against EXPECTED with the highest cross-correlation."""
    a, b = expected.sum(axis=1), actual.sum(axis=1)
    size = 1 << int(len(a) + len(b)).bit_length()
    correlation = numpy.fft.irfft(numpy.fft.rfft(b, size) * numpy.conj(numpy.fft.rfft(a, size)),
                                  size)
    lags = numpy.concatenate((numpy.arange(0, MAX_OFFSET + 1), numpy.arange(-MAX_OFFSET, 0)))
    values = numpy.concatenate((correlation[:MAX_OFFSET + 1], correlation[-MAX_OFFSET:]))
    if not numpy.any(values):
        return 0
    return int(lags[numpy.argmax(values)])


def shifted_difference(expected, actual, offset):
    """The largest difference with ACTUAL[n + offset] against EXPECTED[n]."""
    start, end = max(0, -offset), min(len(expected), len(actual) - offset)
    if end <= start:
        return float("inf")
    return float(numpy.abs(actual[start + offset:end + offset] - expected[start:end]).max())


def main():
    expected_path, actual_path, label = sys.argv[1:4]
    expected, expected_rate = soundfile.read(expected_path, dtype="float32", always_2d=True)
    actual, actual_rate = soundfile.read(actual_path, dtype="float32", always_2d=True)
    if expected.shape[1] == 1:
        # A mono file is played to both channels.
        expected = numpy.repeat(expected, actual.shape[1], axis=1)
    if expected.shape[1] != actual.shape[1]:
        print(f"{label}: FAIL ({actual.shape[1]} channels against {expected.shape[1]})")
        sys.exit(1)
    frames = min(len(expected), len(actual))
    difference = numpy.abs(actual[:frames].astype(numpy.float64) - expected[:frames])
    largest = float(difference.max()) if frames else 0.0
    differing = int(numpy.count_nonzero(difference))
    offset = best_offset(expected, actual)

    print(f"{label}: {len(actual)} frames against {len(expected)}, "
          f"{actual_rate} Hz against {expected_rate} Hz")
    print(f"{label}: max |difference| {largest:.3g}, {differing} of {frames * expected.shape[1]}"
          f" samples differ, best offset {offset} frames")
    if offset != 0:
        print(f"{label}: max |difference| at offset {offset}: "
              f"{shifted_difference(expected, actual, offset):.3g}")
    same = (len(expected) == len(actual) and expected_rate == actual_rate and offset == 0 and
            largest < TOLERANCE)
    print(f"{label}: {'PASS' if same else 'FAIL'} (tolerance {TOLERANCE:g})")
    sys.exit(0 if same else 1)


if __name__ == "__main__":
    main()
