#!/usr/bin/python3
"""Overwrites a recorded take's channel files with the channels of an audio file.

    replace-take.py INPUT LEFT_TAKE_FILE RIGHT_TAKE_FILE

Each take file becomes a mono 32-bit float WAV at the input's rate holding one channel of
INPUT; a mono input goes to both, as vrn07-render plays it to both inputs.
"""

import sys

import soundfile


def main():
    source, take_files = sys.argv[1], sys.argv[2:]
    samples, rate = soundfile.read(source, dtype="float32", always_2d=True)
    for channel, path in enumerate(take_files):
        column = samples[:, min(channel, samples.shape[1] - 1)]
        soundfile.write(path, column, rate, subtype="FLOAT", format="WAV")


if __name__ == "__main__":
    main()
