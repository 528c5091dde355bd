"""Holds the strokes heard on the recorded monitor against the strokes the
program logged as rung: each rung stroke heard once, from EARLY ms before to
LIMIT ms after its line, no stroke heard besides, and the rung strokes grouped
into bells as COUNTS says (say 1,2,3).
Usage: bell_session_check.py STDERR ONSETS LIMIT EARLY COUNTS
"""
import re
import sys

stderr, onsets, limit, early, counts = sys.argv[1], sys.argv[2], float(sys.argv[3]), float(sys.argv[4]), sys.argv[5]
want = [int(n) for n in counts.split(",")]
# "%{time boot}" is CLOCK_MONOTONIC in ms, padded with blanks in front.
rung_line = re.compile(r"^\s*(\d+\.\d{3}) bellwarden\.sound: stroke rung$")
rung = [float(m.group(1)) * 1000 for m in map(rung_line.match, open(stderr)) if m]
heard = [int(l.split()[1]) / 1e6 for l in open(onsets) if l.startswith("onset")]

# A bell's strokes come one a second; bells are far further apart.
bells = []
for i, t in enumerate(rung):
    if not bells or t - rung[bells[-1][-1]] > 1500:
        bells.append([])
    bells[-1].append(i)
failures = []
if [len(b) for b in bells] != want:
    failures.append(f"strokes rung per bell {[len(b) for b in bells]}, want {want}")

matched = set()
for n, bell in enumerate(bells, 1):
    for k, i in enumerate(bell, 1):
        near = [j for j, h in enumerate(heard) if -early <= h - rung[i] <= limit and j not in matched]
        if near:
            matched.add(near[0])
            print(f"bell {n} stroke {k}: heard {heard[near[0]] - rung[i]:.0f} ms after it was rung")
        else:
            nearest = min((h - rung[i] for h in heard), key=abs, default=None)
            what = "nothing heard" if nearest is None else f"nearest onset {nearest:.0f} ms away"
            failures.append(f"bell {n} stroke {k}: not heard within {-early:.0f}..{limit:.0f} ms ({what})")
for j, h in enumerate(heard):
    if j not in matched:
        before = [t for t in rung if t <= h + early]
        since = f"{h - before[-1]:.0f} ms after the last stroke rung" if before else "before any stroke rung"
        failures.append(f"a stroke heard that was not rung ({since})")
print(f"{len(rung)} strokes rung, {len(heard)} heard")
if failures:
    sys.exit("\n".join(failures))
