#!/usr/bin/python3
"""Writes the program's three event sounds into resources/sounds/.

Each sound is a short chime: a few sine notes with a soft second harmonic,
a 5 ms attack and an exponential decay, overlapping like struck bells.
Run it again after changing a note; the files are committed.
"""
import math
import os
import struct
import wave

RATE = 22050
PEAK = 0.45

# (frequency in Hz, start in seconds, length in seconds)
SOUNDS = {
    "connect.wav": [(659.25, 0.00, 0.45), (987.77, 0.12, 0.55)],
    "complete.wav": [(523.25, 0.00, 0.40), (659.25, 0.10, 0.40), (783.99, 0.20, 0.60)],
    "error.wav": [(440.00, 0.00, 0.35), (329.63, 0.16, 0.50)],
}


def note_sample(frequency, t, length):
    attack = min(1.0, t / 0.005)
    decay = math.exp(-5.0 * t / length)
    tone = math.sin(2 * math.pi * frequency * t) + 0.25 * math.sin(4 * math.pi * frequency * t)
    return attack * decay * tone / 1.25


def render(notes):
    total = max(start + length for _, start, length in notes)
    samples = [0.0] * int(total * RATE)
    for frequency, start, length in notes:
        first = int(start * RATE)
        for i in range(int(length * RATE)):
            samples[first + i] += note_sample(frequency, i / RATE, length)
    loudest = max(abs(s) for s in samples)
    return [s * PEAK / loudest for s in samples]


def write(path, samples):
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", int(s * 32767)) for s in samples))


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "sounds")
    os.makedirs(folder, exist_ok=True)
    for name, notes in SOUNDS.items():
        write(os.path.join(folder, name), render(notes))


if __name__ == "__main__":
    main()
