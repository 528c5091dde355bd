"""Reads raw 48 kHz mono s16le sound from standard input as it is recorded and
prints the steady-clock time (ns) at which each stroke starts.

Each chunk is stamped when it arrives; a sample's time is the arrival time
less the frames that follow it in the chunk, so the figure still includes the
recorder's own latency (a few tens of ms at most with a 10 ms fragment).
"""
import array
import os
import sys
import time

RATE = 48000
ON, QUIET_FRAMES = 1500, RATE // 5  # a stroke after at least 200 ms without one

since_loud = QUIET_FRAMES
fd = sys.stdin.fileno()
pending = b""
recording = False
while True:
    data = os.read(fd, 1 << 20)  # all that has arrived, so the last sample is the newest
    arrived = time.monotonic_ns()
    if not data:
        break
    if not recording:
        recording = True
        print("recording", flush=True)  # the first sound has come
    data = pending + data
    usable = len(data) - len(data) % 2
    pending = data[usable:]
    samples = array.array("h", data[:usable])
    n = len(samples)
    for i, v in enumerate(samples):
        if abs(v) < ON:
            since_loud += 1
            continue
        if since_loud >= QUIET_FRAMES:
            print("onset", arrived - (n - i) * 1_000_000_000 // RATE, flush=True)
        since_loud = 0
