"""Reads raw 48 kHz mono s16le sound from a FIFO at the pace it would play,
into a file, as a sound card would: ALSA's file plugin writes as fast as it
is fed, so the program's output is paced by this reader instead.
Usage: paced_reader.py FIFO OUT
"""
import fcntl
import os
import sys
import time

F_SETPIPE_SZ = 1031
BYTES_PER_SECOND = 48000 * 2
STEP = BYTES_PER_SECOND // 50  # 20 ms

fd = os.open(sys.argv[1], os.O_RDONLY)
try:
    fcntl.fcntl(fd, F_SETPIPE_SZ, 4096)  # the writer runs at most ~20 ms ahead
except OSError:
    pass
due = time.monotonic()
with open(sys.argv[2], "wb") as out:
    while data := os.read(fd, STEP):
        out.write(data)
        due += len(data) / BYTES_PER_SECOND
        time.sleep(max(0.0, due - time.monotonic()))
