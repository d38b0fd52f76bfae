#!/usr/bin/env python3
"""Makes Tessaly's alert sound: three rising bell-like tones, under a second.

    scripts/make-alert-sound.py [--root DIR]

writes DIR/assets/alert.wav (DIR defaults to the repository): 16-bit mono
PCM at 22050 Hz. The output is the same byte for byte on every run and
machine: the waves use only IEEE arithmetic (a sine of our own from its
series, decays by repeated multiplication), no libm function whose last bit
varies between C libraries.
"""

import argparse
import os
import struct
import wave

RATE = 22050
PI = 3.141592653589793

# (frequency Hz, start s, length s): G5, C6, E6, a major chord's notes
# going up, which reads as "attention" without the harshness of a siren.
NOTES = [(784.0, 0.00, 0.30), (1046.5, 0.14, 0.30), (1318.5, 0.28, 0.45)]
TOTAL_S = 0.74
ATTACK_S = 0.006
PEAK = 0.5  # of full scale, per note; the overlaps stay below full scale


def sine(x):
    """sin(x) from its Taylor series after reduction to [-pi, pi]."""
    x = x - 2 * PI * int(x / (2 * PI))
    if x > PI:
        x -= 2 * PI
    elif x < -PI:
        x += 2 * PI
    term, total, x2 = x, x, x * x
    for k in range(1, 12):
        term *= -x2 / ((2 * k) * (2 * k + 1))
        total += term
    return total


def note(freq, length_s):
    """A tone with a quick attack and a bell's decay, its octave softly above."""
    n = int(length_s * RATE)
    attack = int(ATTACK_S * RATE)
    # About 1/e every 0.09 s: 1 - 1/(0.09 * RATE) per sample.
    decay_step = 1.0 - 1.0 / (0.09 * RATE)
    out, level = [], 1.0
    for i in range(n):
        t = i / RATE
        env = (i / attack) if i < attack else level
        if i >= attack:
            level *= decay_step
        # The last 10 ms fade to nothing, so no click at the end.
        tail = n - i
        if tail < int(0.01 * RATE):
            env *= tail / (0.01 * RATE)
        out.append(env * (sine(2 * PI * freq * t) + 0.25 * sine(4 * PI * freq * t)) / 1.25)
    return out


def samples():
    mix = [0.0] * int(TOTAL_S * RATE)
    for freq, start, length in NOTES:
        first = int(start * RATE)
        for i, v in enumerate(note(freq, length)):
            if first + i < len(mix):
                mix[first + i] += PEAK * v
    return [max(-32767, min(32767, int(round(v * 32767)))) for v in mix]


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--root", default=os.path.join(os.path.dirname(__file__), ".."))
    args = ap.parse_args()
    path = os.path.join(args.root, "assets", "alert.wav")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    data = b"".join(struct.pack("<h", s) for s in samples())
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(data)
    print(f"{path}: {len(data) // 2} samples, {len(data) / 2 / RATE:.2f} s")


if __name__ == "__main__":
    main()
