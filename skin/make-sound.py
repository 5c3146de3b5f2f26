#!/usr/bin/env python3
"""Writes "complete.wav", the sound of a finished install: two soft rising
notes (E6 then A6), 16-bit mono at 22050 Hz, about 0.4 s.

    make-sound.py OUT.wav
"""
import math
import struct
import sys
import wave

RATE = 22050


def note(frequency, seconds, volume):
    count = int(RATE * seconds)
    samples = []
    for i in range(count):
        t = i / RATE
        envelope = min(1.0, i / (RATE * 0.01)) * math.exp(-6.0 * t)
        value = math.sin(2 * math.pi * frequency * t) + 0.3 * math.sin(4 * math.pi * frequency * t)
        samples.append(int(volume * envelope * value / 1.3 * 32767))
    return samples


def main():
    samples = note(1318.5, 0.16, 0.45) + note(1760.0, 0.26, 0.45)
    with wave.open(sys.argv[1], "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", s) for s in samples))


if __name__ == "__main__":
    main()
