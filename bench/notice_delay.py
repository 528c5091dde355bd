"""The time from a fault to the chair's notice.
Usage: notice_delay.py FAULT_STAMP STDERR LABEL
FAULT_STAMP holds the steady-clock time (ns) of the fault; each line of
STDERR begins with the steady-clock time it was written at.
"""
import sys

fault = int(open(sys.argv[1]).read())
told = [int(l.split()[0]) for l in open(sys.argv[2]) if "The bell cannot be heard" in l and int(l.split()[0]) > fault]
print(f"{sys.argv[3]}: " + (f"fault to notice {(told[0] - fault) / 1e6:.0f} ms" if told else "no notice"))
