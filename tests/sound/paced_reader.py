"""Reads raw 48 kHz mono s16le sound from a FIFO at the pace it would play,
into a file, as a sound card would: ALSA's file plugin writes as fast as it
is fed, so the program's output is paced by this reader instead.
Usage: paced_reader.py FIFO OUT [ONSETS]
While a file OUT.hold exists the reader takes nothing, as a hung device.
With ONSETS, the steady-clock time (ns) at which each stroke starts playing
is written there, one "onset NS" line each.
"""
import array
import fcntl
import os
import select
import sys
import time

F_SETPIPE_SZ = 1031
RATE = 48000
BYTES_PER_SECOND = RATE * 2
STEP = BYTES_PER_SECOND // 100  # 10 ms
ON, QUIET_FRAMES = 1500, RATE // 5  # a stroke after at least 200 ms without one

# Shrunk before the writer opens it, or its first 64 KiB would stay queued.
fd = os.open(sys.argv[1], os.O_RDONLY | os.O_NONBLOCK)
fcntl.fcntl(fd, F_SETPIPE_SZ, 4096)  # the writer runs at most a page ahead
os.set_blocking(fd, True)


def first_sound():
    """Until a writer opens the FIFO, reads find its end at once."""
    while True:
        select.select([fd], [], [])
        if data := os.read(fd, STEP):
            return data
        time.sleep(0.01)


pending = first_sound()
hold = sys.argv[2] + ".hold"
onsets = open(sys.argv[3], "w") if len(sys.argv) > 3 else None
since_loud = QUIET_FRAMES
due = time.monotonic()
with open(sys.argv[2], "wb") as out:
    while True:
        if os.path.exists(hold):
            time.sleep(0.005)
            due = time.monotonic()
            continue
        data, pending = pending or os.read(fd, STEP), b""
        if not data:
            break
        played = time.monotonic_ns()  # this chunk plays from now on
        out.write(data)
        if onsets:
            samples = array.array("h", data[: len(data) - len(data) % 2])
            for i, v in enumerate(samples):
                if abs(v) < ON:
                    since_loud += 1
                    continue
                if since_loud >= QUIET_FRAMES:
                    print("onset", played + i * 1_000_000_000 // RATE, file=onsets, flush=True)
                since_loud = 0
        due += len(data) / BYTES_PER_SECOND
        time.sleep(max(0.0, due - time.monotonic()))
