"""Figures for a run of bell strokes: the delay from each request to its
recorded onset (p50, p99), and dropouts per 100 strokes (silences inside a
stroke, or a stroke cut short).
Usage: bell_strokes.py REQUESTS ONSETS RECORDING LABEL
"""
import statistics
import sys

sys.path.insert(0, sys.argv[5] if len(sys.argv) > 5 else "tests/sound")
from strokes import dropouts, strokes  # noqa: E402

requests_file, onsets_file, recording, label = sys.argv[1:5]
asked = [float(l.split()[3]) for l in open(requests_file) if l.startswith("request")]
heard = [int(l.split()[1]) / 1e6 for l in open(onsets_file) if l.startswith("onset")]
delays = []
for t in asked:
    after = [h - t for h in heard if -50 <= h - t <= 1000]
    if after:
        delays.append(after[0])
found = strokes(recording)
faults = len(dropouts(recording, found)) + sum(1 for _, length, _ in found if length < 0.5)
n = max(len(asked), 1)
q = statistics.quantiles(delays, n=100) if len(delays) >= 2 else [float("nan")] * 99
print(f"{label}: {len(asked)} strokes asked, {len(delays)} heard, {len(found)} recorded; "
      f"delay p50 {q[49]:.1f} ms, p99 {q[98]:.1f} ms (the recording's own latency included); "
      f"dropouts {100 * faults / n:.1f} per 100 strokes")
