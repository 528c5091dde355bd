"""Finds bell strokes in a raw 48 kHz mono s16le recording.

Prints one line per stroke: start time and length in seconds, and peak level.
"""
import array
import sys

RATE = 48000
FRAME = RATE // 200  # 5 ms


def levels_of(path):
    """Peak level of each 5 ms frame."""
    samples = array.array("h")
    with open(path, "rb") as f:
        samples.frombytes(f.read())
    return [max(abs(v) for v in samples[i:i + FRAME]) / 32768.0
            for i in range(0, len(samples) - FRAME, FRAME)]


def dropouts(path, found, off=0.002):
    """Silences inside the strokes found, as (time, length) in seconds: a
    stroke's sound never falls silent before its end."""
    levels = levels_of(path)
    gaps = []
    for start, length, _ in found:
        first, last = round(start * RATE / FRAME), round((start + length) * RATE / FRAME)
        run = 0
        for i in range(first, min(last, len(levels))):
            if levels[i] < off:
                run += 1
            elif run:
                gaps.append(((i - run) * FRAME / RATE, run * FRAME / RATE))
                run = 0
    return gaps


def strokes(path, on=0.02, off=0.002, min_gap=0.15):
    levels = levels_of(path)
    found, start, quiet, peak = [], None, 0, 0.0
    for i, level in enumerate(levels):
        t = i * FRAME / RATE
        if start is None:
            if level >= on:
                start, quiet, peak = t, 0, level
        else:
            peak = max(peak, level)
            quiet = quiet + 1 if level < off else 0
            if quiet * FRAME / RATE >= min_gap:
                found.append((start, t - quiet * FRAME / RATE - start, peak))
                start = None
    if start is not None:
        found.append((start, len(levels) * FRAME / RATE - start, peak))
    return found


if __name__ == "__main__":
    for start, length, peak in strokes(sys.argv[1]):
        print(f"{start:.3f} {length:.3f} {peak:.3f}")
