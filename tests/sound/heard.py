"""Checks that each stroke the probe asked for from line FIRST of its output
on has an onset in ONSETS starting between 0 and LIMIT ms after it.
Usage: heard.py REQUESTS FIRST ONSETS LIMIT CASE
"""
import sys

requests, first, onsets, limit, case = sys.argv[1], int(sys.argv[2]), sys.argv[3], float(sys.argv[4]), sys.argv[5]
asked = [l.split() for l in open(requests).read().splitlines()[first:] if l.startswith("request")]
heard = [int(l.split()[1]) / 1e6 for l in open(onsets) if l.startswith("onset")]
assert asked, f"{case}: no requests"
for r in asked:
    t = float(r[3])
    # The request is stamped once the stroke is handed over, which may be a
    # few ms after the output began to play it.
    delays = [h - t for h in heard if -50 <= h - t <= 1000]
    assert delays and delays[0] <= limit, f"{case}: stroke asked at {t:.0f} ms: delays {delays} (limit {limit} ms)"
    print(f"{case}: stroke {r[1]}.{r[2]} heard {delays[0]:.0f} ms after its request")
