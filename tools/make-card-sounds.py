#!/usr/bin/env python3
"""Makes the two card sounds, assets/card-place.wav and assets/card-draw.wav.

Run by hand from the repository root: python3 tools/make-card-sounds.py
Plain python3, no packages. The output is the same on every run: the noise
comes from a fixed xorshift generator, so the files are committed as made.

Each sound is seeded white noise, band-limited by a chain of biquad filters,
shaped by an envelope that starts and ends at zero with zero slope (no click)
and scaled so its largest sample is exactly the wanted peak, which is
positive. Format: mono, 16-bit signed little-endian PCM, 44100 Hz, with the
plain 44-byte header and nothing after the data.
"""

import math
import os
import struct
import sys

RATE = 44100


class Noise:
    """xorshift32: small, and the same on every Python."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF or 1

    def next(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x / 2147483648.0 - 1.0  # -1 .. 1


def biquad(kind, freq, q, gain_db=0.0):
    """Coefficients from the usual audio-EQ formulas, normalised by a0."""
    w = 2.0 * math.pi * freq / RATE
    cw, sw = math.cos(w), math.sin(w)
    alpha = sw / (2.0 * q)
    if kind == "lowpass":
        b = [(1 - cw) / 2, 1 - cw, (1 - cw) / 2]
        a = [1 + alpha, -2 * cw, 1 - alpha]
    elif kind == "highpass":
        b = [(1 + cw) / 2, -(1 + cw), (1 + cw) / 2]
        a = [1 + alpha, -2 * cw, 1 - alpha]
    elif kind == "peak":
        g = 10 ** (gain_db / 40.0)
        b = [1 + alpha * g, -2 * cw, 1 - alpha * g]
        a = [1 + alpha / g, -2 * cw, 1 - alpha / g]
    else:
        raise ValueError(kind)
    return [x / a[0] for x in b], [x / a[0] for x in a]


def run_filter(coeffs, signal):
    (b0, b1, b2), (_, a1, a2) = coeffs
    x1 = x2 = y1 = y2 = 0.0
    out = []
    for x in signal:
        y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2
        x2, x1, y2, y1 = x1, x, y1, y
        out.append(y)
    return out


def envelope(t, peak, tau, end):
    """Swells as sin^2 to 1 at `peak`, decays with time constant `tau`, and a
    cosine taper brings it to exactly 0 at `end` (seconds)."""
    if t <= 0.0 or t >= end:
        return 0.0
    if t < peak:
        return math.sin(0.5 * math.pi * t / peak) ** 2
    decay = math.exp(-(t - peak) / tau)
    taper = 0.5 + 0.5 * math.cos(math.pi * (t - peak) / (end - peak))
    return decay * taper


def make(frames, filters, peak_at, tau, end, peak_value, seed):
    warm = 4096  # let the filters settle before the sound begins
    noise = Noise(seed)
    signal = [noise.next() for _ in range(frames + warm)]
    for f in filters:
        signal = run_filter(f, signal)
    signal = signal[warm:]
    shaped = [s * envelope(i / RATE, peak_at, tau, end) for i, s in enumerate(signal)]
    top = max(shaped, key=abs)
    scale = peak_value / top  # the sign flip makes the peak positive
    samples = [int(round(s * scale)) for s in shaped]
    assert max(samples) == peak_value and min(samples) > -peak_value
    return samples


def pick(frames, filters, peak_at, tau, end, peak_value, window):
    """The first seed whose loudest sample lies within `window` seconds of
    the envelope's peak, so the sound is loudest where it is meant to be."""
    for seed in range(1, 1000):
        samples = make(frames, filters, peak_at, tau, end, peak_value, seed)
        at = samples.index(peak_value) / RATE
        if abs(at - peak_at) <= window:
            return seed, samples
    raise SystemExit("no seed puts the peak in place")


def wav_bytes(samples):
    data = struct.pack("<%dh" % len(samples), *samples)
    header = struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(data), b"WAVE",
                         b"fmt ", 16, 1, 1, RATE, RATE * 2, 2, 16, b"data", len(data))
    return header + data


def fft(values):
    n = len(values)
    if n == 1:
        return values
    even, odd = fft(values[0::2]), fft(values[1::2])
    out = [0j] * n
    for k in range(n // 2):
        t = complex(math.cos(-2 * math.pi * k / n), math.sin(-2 * math.pi * k / n)) * odd[k]
        out[k], out[k + n // 2] = even[k] + t, even[k] - t
    return out


def band_share(samples, low, high):
    n = 1 << (len(samples) - 1).bit_length()
    spectrum = fft([complex(s) for s in samples] + [0j] * (n - len(samples)))
    power = [abs(spectrum[k]) ** 2 for k in range(n // 2)]
    inside = sum(p for k, p in enumerate(power) if low <= k * RATE / n <= high)
    return inside / sum(power)


def describe(name, samples, low, high):
    peak = max(samples)
    last = max(i for i, s in enumerate(samples) if s != 0)
    print("%s: %d frames, peak %d at %.1f ms, last sound at %.1f ms, "
          "%.1f %% of the energy in %d Hz - %d Hz"
          % (name, len(samples), peak, 1000.0 * samples.index(peak) / RATE,
             1000.0 * last / RATE, 100.0 * band_share(samples, low, high), low, high))


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets")

    # Placing: a soft, full slap, 160 ms, body between 200 Hz and 4 kHz with
    # a little weight around 500 Hz.
    place_filters = [biquad("highpass", 200, 0.707), biquad("highpass", 200, 0.707),
                     biquad("lowpass", 4000, 0.707), biquad("lowpass", 4000, 0.707),
                     biquad("peak", 500, 0.8, 5.0), biquad("peak", 2500, 1.0, -3.0)]
    place_seed, place = pick(7056, place_filters, 0.040, 0.024, 0.130, 8639, 0.002)

    # Drawing: a brighter, lighter swish, 140 ms, between 500 Hz and 4 kHz.
    draw_filters = [biquad("highpass", 500, 0.707), biquad("highpass", 500, 0.707),
                    biquad("lowpass", 4000, 0.707), biquad("lowpass", 4000, 0.707),
                    biquad("peak", 2200, 0.9, 4.0)]
    draw_seed, draw = pick(6174, draw_filters, 0.040, 0.022, 0.120, 5991, 0.004)

    for name, samples, size in (("card-place.wav", place, 14156), ("card-draw.wav", draw, 12392)):
        data = wav_bytes(samples)
        assert len(data) == size, (name, len(data))
        with open(os.path.join(root, name), "wb") as f:
            f.write(data)
    print("noise seeds: placing %d, drawing %d" % (place_seed, draw_seed))
    describe("card-place.wav", place, 200, 4000)
    describe("card-draw.wav", draw, 500, 4000)
    return 0


if __name__ == "__main__":
    sys.exit(main())
