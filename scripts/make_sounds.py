#!/usr/bin/python3
"""Regenerate the program's WAVE sounds (180, 181, 182) into resources/sounds/.

Standard library only, so the sounds can be rebuilt on any machine:
    /usr/bin/python3 scripts/make_sounds.py [output-folder]

All sounds are 16-bit PCM mono at 44.1 kHz, peak about -6 dBFS, with short
raised-cosine fades at every edge so playback never starts or stops with a click.
"""
import math
import os
import random
import struct
import sys
import wave

RATE = 44100
PEAK = 10 ** (-6.0 / 20.0)  # -6 dBFS


def fade_gain(i, n, fade_in, fade_out):
    """Raised-cosine fade at both ends of an n-sample note."""
    g = 1.0
    if fade_in > 0 and i < fade_in:
        g *= 0.5 - 0.5 * math.cos(math.pi * i / fade_in)
    if fade_out > 0 and i >= n - fade_out:
        g *= 0.5 - 0.5 * math.cos(math.pi * (n - 1 - i) / fade_out)
    return g


def tone(freq, seconds, decay, fade_in=0.004, fade_out=0.02):
    """A soft bell-like tone: fundamental plus a quiet octave, exponential decay."""
    n = int(RATE * seconds)
    fi, fo = int(RATE * fade_in), int(RATE * fade_out)
    out = []
    for i in range(n):
        t = i / RATE
        s = math.sin(2 * math.pi * freq * t) + 0.25 * math.sin(4 * math.pi * freq * t)
        out.append(s * math.exp(-t * decay) * fade_gain(i, n, fi, fo))
    return out


def mix_at(dst, src, offset):
    """Add src into dst starting at sample offset, growing dst as needed."""
    end = offset + len(src)
    if len(dst) < end:
        dst.extend([0.0] * (end - len(dst)))
    for i, s in enumerate(src):
        dst[offset + i] += s


def chime_up():
    """Recording start/stop: two short rising tones (E6 then A6), ~0.25 s."""
    out = []
    mix_at(out, tone(1318.5, 0.13, 14.0), 0)
    mix_at(out, tone(1760.0, 0.16, 12.0), int(RATE * 0.09))
    return out


def chime_down():
    """Recording ended: two gentle descending tones (A5 then E5), ~0.35 s."""
    out = []
    mix_at(out, tone(880.0, 0.19, 9.0), 0)
    mix_at(out, tone(659.3, 0.22, 8.0, fade_out=0.04), int(RATE * 0.13))
    return out


def shutter():
    """Camera shutter: two crisp clicks of filtered noise, ~0.15 s.

    The noise is seeded so every regeneration gives the same file.
    """
    rng = random.Random(181)
    n = int(RATE * 0.15)
    out = [0.0] * n
    for start, length, decay, weight in ((0.0, 0.045, 120.0, 1.0), (0.07, 0.06, 90.0, 0.8)):
        first, count = int(RATE * start), int(RATE * length)
        lp = 0.0
        for i in range(count):
            t = i / RATE
            white = rng.uniform(-1.0, 1.0)
            lp += 0.35 * (white - lp)          # take the harsh top off the noise
            body = math.sin(2 * math.pi * 2200.0 * t)  # a little metallic ring
            s = (0.8 * lp + 0.3 * body) * math.exp(-t * decay) * weight
            out[first + i] += s * fade_gain(i, count, int(RATE * 0.0008), int(RATE * 0.006))
    # overall edges, in case a click body reaches the end of the buffer
    return [s * fade_gain(i, n, int(RATE * 0.0005), int(RATE * 0.01)) for i, s in enumerate(out)]


def write_wav(path, samples):
    peak = max(abs(s) for s in samples) or 1.0
    scale = PEAK * 32767.0 / peak
    frames = b"".join(struct.pack("<h", int(round(s * scale))) for s in samples)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "sounds")
    os.makedirs(folder, exist_ok=True)
    for name, samples in (("180.wav", chime_up()), ("181.wav", shutter()), ("182.wav", chime_down())):
        path = os.path.join(folder, name)
        write_wav(path, samples)
        print("%s  %.3f s" % (path, len(samples) / RATE))


if __name__ == "__main__":
    main()
