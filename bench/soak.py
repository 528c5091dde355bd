"""The soak's helpers: its timetable, the driver that presses and reads the
window through the accessibility bus, and the report.

Usage:
  soak.py plan M1 M2 M3 OVER            the faults' timetable, seconds after Start
  soak.py drive M1 M2 M3 OVER LOG       sets the intervals, presses Start, reads the
                                        readout every 100 ms, presses End at the end
  soak.py report M1 M2 M3 OVER DIR      the figures from the logs in DIR
"""
import collections
import glob
import os
import sys
import time

SETTINGS = (  # (default, one minute more, one minute less, five more, five less)
    (10, "One minute more before the 1st bell", "One minute less before the 1st bell",
     "Five minutes more before the 1st bell", "Five minutes less before the 1st bell"),
    (5, "One minute more between the 1st and 2nd bell", "One minute less between the 1st and 2nd bell", None, None),
    (5, "One minute more between the 2nd and 3rd bell", "One minute less between the 2nd and 3rd bell", None, None),
)
STOP_CLEAR_OF_BELL, MUTE_S = 10, 10


def bells(m1, m2, m3):
    """(seconds after Start, strokes) of each bell."""
    return [(60 * m1, 1), (60 * (m1 + m2), 2), (60 * (m1 + m2 + m3), 3)]


def plan(m1, m2, m3, over):
    """(time, what) of each fault and reading; the full session gets a stop
    every 90 s, a shorter one proportionally more often."""
    b = bells(m1, m2, m3)
    end = b[2][0] + over
    mute = b[0][0] // 2
    restart = (b[0][0] + b[1][0]) // 2
    events = [(3, "resources start"), (mute, "mute"), (mute + MUTE_S, "unmute"), (restart, "restart"),
              (end // 2, "resources middle"), (end - 2, "resources end")]
    busy = [(t - STOP_CLEAR_OF_BELL, t + n + STOP_CLEAR_OF_BELL) for t, n in b]
    # A stop right beside another fault would blur which one did what.
    busy += [(mute - 5, mute + MUTE_S + 5), (restart - 5, restart + 20)]
    every = int(os.environ.get("SOAK_STOP_EVERY", max(30, 90 * b[2][0] // 1200)))
    t = every
    while t < end - 10:
        s = t
        while any(lo <= s <= hi for lo, hi in busy):
            s = max(hi for lo, hi in busy if lo <= s <= hi) + 1
        if s < end - 10 and all(s - u >= every // 2 for u, w in events if w == "stop"):
            events.append((s, "stop"))
            busy.append((s - 5, s + 5))
        t += every
    return sorted(events)


def drive(m1, m2, m3, over, log_path):
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "app"))
    import atspi
    log = open(log_path, "w", buffering=1)
    app = atspi.find_app(timeout=30)
    for _ in range(100):  # the window may still be being built
        try:
            minutes, seconds = atspi.find(app, description="Minutes"), atspi.find(app, description="Seconds")
            clock = atspi.find(app, description="Time of day")
            break
        except SystemExit:
            time.sleep(0.2)
    else:
        raise SystemExit("the readouts never appeared")
    for want, (default, more, less, more5, less5) in zip((m1, m2, m3), SETTINGS):
        diff = want - default
        while more5 and abs(diff) >= 5:
            atspi.press(app, more5 if diff > 0 else less5)
            diff -= 5 if diff > 0 else -5
        for _ in range(abs(diff)):
            atspi.press(app, more if diff > 0 else less)
    shown = atspi.readout(app)
    if shown != f"{m1 + m2:2d}:00":  # Mode-A shows the time to the 2nd bell
        raise SystemExit(f"the intervals {m1} {m2} {m3} show {shown!r}, not {m1 + m2}:00")
    before = time.monotonic_ns()
    atspi.press(app, "Start")
    print("start", before, time.monotonic_ns(), time.time_ns(), flush=True, file=log)
    end_at = before + (bells(m1, m2, m3)[2][0] + over) * 1_000_000_000
    while time.monotonic_ns() < end_at:
        t0, w0 = time.monotonic_ns(), time.time_ns()
        shown = f"{minutes.name}:{seconds.name}"
        t1, w1 = time.monotonic_ns(), time.time_ns()
        print("read", t0, t1, w0, w1, shown.replace(" ", "_"), clock.name, file=log)
        time.sleep(max(0.0, 0.1 - (time.monotonic_ns() - t0) / 1e9))
    atspi.press(app, " End ")
    print("end", time.monotonic_ns(), atspi.readout(app).replace(" ", "_"), file=log)


def readouts(m1, m2, m3, over):
    """The readout after each count step k (0 = Start pressed) in Mode-A, as
    "MM:SS" with the minutes' leading blank kept."""
    n, tail = 60 * (m1 + m2 + m3), 60 * m3
    out = []
    for k in range(n + over + 5):
        if k <= n:
            r = n - k
            minutes = r // 60 - (m3 if r >= tail else 0)  # Mode-A: to the 2nd bell, then the 3rd
            out.append(f"{minutes:2d}:{r % 60:02d}")
        else:  # over time: the step that enters it leaves " 0:00"
            o = k - n - 1
            out.append(f"{o // 60:2d}:{o % 60:02d}")
    return out


def clock_text(wall_s):
    return time.strftime("%H:%M:%S", time.localtime(wall_s))


def mmss(seconds):
    sign = "-" if seconds < 0 else ""
    seconds = abs(seconds)
    return f"{sign}{int(seconds // 60)}:{seconds % 60:04.1f}"


def report(m1, m2, m3, over, d):
    lines = lambda name: [l.split() for l in open(os.path.join(d, name)) if l.strip()]
    drive_log, events = lines("drive.log"), lines("events.log")
    start = next(int(l[1]) for l in drive_log if l[0] == "start")
    start_done = next(int(l[2]) for l in drive_log if l[0] == "start")
    at = lambda ns: (ns - start) / 1e9  # seconds after the Start press began
    bell_list = bells(m1, m2, m3)
    stops = [(int(e[1]), int(e[2])) for e in events if e[0] == "stop"]
    mutes = [int(e[1]) for e in events if e[0] == "mute"]
    unmutes = [int(e[1]) for e in events if e[0] == "unmute"]
    restarts = [(int(e[1]), int(e[2]), int(e[3])) for e in events if e[0] == "restart"]
    print(f"== Soak: intervals {m1}/{m2}/{m3} min, {over} s over time, Start at "
          f"{time.strftime('%H:%M:%S', time.localtime(next(int(l[3]) for l in drive_log if l[0] == 'start') / 1e9))}; "
          "bells at " + ", ".join(mmss(t) for t, _ in bell_list) + " after it")
    for k, s, r in restarts:
        print(f"sound server killed at {mmss(at(k))}, answering again {(s - k) / 1e6:.0f} ms later, "
              f"monitor recorded again {(r - k) / 1e6:.0f} ms after the kill")
    for a, b in zip(mutes, unmutes):
        print(f"sink muted {mmss(at(a))} to {mmss(at(b))}")
    print(f"program stopped {len(stops)} times, "
          f"{min((b - a) / 1e6 for a, b in stops):.0f}-{max((b - a) / 1e6 for a, b in stops):.0f} ms each, at "
          + ", ".join(mmss(at(a)) for a, _ in stops) if stops else "program never stopped")

    # stderr: each line stamped on arrival (ns), then Qt's own "seconds.millis" stamp.
    err = []
    for l in open(os.path.join(d, "stderr.log")):
        parts = l.split(None, 2)
        try:
            err.append((int(parts[0]), float(parts[1]) * 1e9, parts[2].rstrip("\n")))
        except (IndexError, ValueError):
            err.append((int(parts[0]) if parts and parts[0].isdigit() else 0, None, l.rstrip("\n")))
    lags = [(arr - qt) / 1e6 for arr, qt, _ in err if qt is not None]
    if lags:
        print(f"log stamps against CLOCK_MONOTONIC on arrival: {min(lags):.1f} to {max(lags):.1f} ms earlier "
              f"over {len(lags)} lines (the same clock)")

    # Strokes: each "stroke rung" line against the onsets of all recordings.
    rung = [qt / 1e6 for _, qt, text in err if qt is not None and text.endswith("stroke rung")]
    onsets = sorted(int(l.split()[1]) / 1e6 for f in sorted(glob.glob(os.path.join(d, "onsets-*.txt")))
                    for l in open(f) if l.startswith("onset"))
    used = set()
    heard = 0
    print(f"== Strokes: {len(rung)} rung (6 expected)")
    for (bell_at, strokes), name in zip(bell_list, ("1st", "2nd", "3rd")):
        mine = [r for r in rung if bell_at - 5 <= (r * 1e6 - start) / 1e9 <= bell_at + strokes + 5]
        parts = []
        for r in mine:
            match = [o for o in onsets if -50 <= o - r <= 500 and o not in used]
            if match:
                used.add(match[0])
                heard += 1
                parts.append(f"{match[0] - r:+.1f} ms")
            else:
                parts.append("not heard")
        print(f"{name} bell ({mmss(bell_at)} after Start, {strokes} expected): {len(mine)} rung, "
              f"{sum(p != 'not heard' for p in parts)} heard; delay from 'stroke rung' to the recorded onset: "
              + (", ".join(parts) if parts else "-"))
    near_bell = lambda r: any(t - 5 <= (r * 1e6 - start) / 1e9 <= t + n + 5 for t, n in bell_list)
    astray = [r for r in rung if not near_bell(r)]
    if astray:
        print(f"rung away from any bell: {len(astray)}, at " + ", ".join(mmss((r * 1e6 - start) / 1e9) for r in astray))
    stray = [o for o in onsets if o not in used]
    print(f"strokes heard: {heard} of 6 (recorded onsets: {len(onsets)}; heard with no stroke rung: {len(stray)}"
          + (" at " + ", ".join(mmss((o * 1e6 - start) / 1e9) for o in stray) if stray else "") + ")")

    # Notices: every loss of the bell is false here; "will not be heard" is
    # owed to the deliberate mute only while it lasts (and shortly after).
    print("== Notices")
    false_notices, mute_notices, others = [], [], []
    for arr, qt, text in err:
        t = (qt if qt is not None else arr) / 1e9 - start / 1e9
        if "The bell cannot be heard" in text:
            false_notices.append((t, text))
        elif "The bell will not be heard" in text:
            ns = start + t * 1e9
            if any(a <= ns <= b + 3e9 for a, b in zip(mutes, unmutes)):
                mute_notices.append((t, text))
            else:
                false_notices.append((t, text))
        elif "The bell" in text:
            others.append((t, text))
    print(f"false notices: {len(false_notices)}")
    for t, text in false_notices:
        print(f"  {mmss(t)} {text}")
    print(f"notices of the deliberate mute: {len(mute_notices)} (none expected: the output is closed then)")
    for t, text in mute_notices:
        print(f"  {mmss(t)} {text}")
    if others:
        print(f"all-clear notices: {len(others)}")
        for t, text in others:
            print(f"  {mmss(t)} {text}")

    # Seconds: a reading counts for wall-clock second s when it was asked and
    # answered within [s + 0.25, s + 1), well clear of the step's own lag.
    shown = readouts(m1, m2, m3, over)
    where = collections.defaultdict(list)
    for k, r in enumerate(shown):
        where[r].append(k)
    # Without an End press (the driver failed) the readings stop at the last one.
    end_ns = next((int(l[1]) for l in drive_log if l[0] == "end"), None) or max(
        int(l[2]) for l in drive_log if l[0] == "read")
    exempt = [(a - 50_000_000, b + 1_000_000_000) for a, b in stops]
    per_second, exempt_seconds, slow_reads, unknown, clock_off = {}, set(), [], 0, 0
    for l in drive_log:
        if l[0] != "read":
            continue
        t0, t1, w0, w1 = map(int, l[1:5])
        text, clock = l[5].replace("_", " "), l[6]
        if t0 < start_done or t1 > end_ns:
            continue
        if any(a <= t1 and t0 <= b for a, b in stops):
            slow_reads.append((t1 - t0) / 1e6)
        s, frac = divmod(w0, 1_000_000_000)
        if w1 // 1_000_000_000 != s or frac < 250_000_000:
            continue
        if any(a <= t1 and t0 <= b for a, b in exempt):
            exempt_seconds.add(s)
            continue
        if text not in where:
            unknown += 1
            continue
        if clock != clock_text(s):
            clock_off += 1
        per_second.setdefault(s, []).append(text)
    seconds = sorted(per_second)
    # Start takes effect somewhere within its press: the second it fell in is
    # the one most of the first half minute's readings agree on.
    s0 = collections.Counter(s - min(where[per_second[s][-1]]) for s in seconds[:30]).most_common(1)[0][0]
    late = [s for s in seconds if len(set(per_second[s])) > 1]
    dev = {}
    for s in seconds:  # of the steps this readout stands for, the one nearest the clock is meant
        k_exp = s - s0
        dev[s] = min(where[per_second[s][-1]], key=lambda c: abs(c - k_exp)) - k_exp
    lost = doubled = 0
    prev, faults = None, []
    for s in seconds:
        d0 = dev[prev] if prev is not None else 0
        if dev[s] != d0:
            lost += max(0, d0 - dev[s])
            doubled += max(0, dev[s] - d0)
            across = " (across a stop)" if prev is not None and any(prev < e < s for e in exempt_seconds) else ""
            faults.append(f"  {mmss(s - s0)}: readout {per_second[s][-1].strip()}, count "
                          f"{'behind' if dev[s] < d0 else 'ahead'} by {abs(dev[s] - d0)} s{across}")
        prev = s
    wall_off = next(int(l[3]) - int(l[2]) for l in drive_log if l[0] == "start")  # wall less monotonic
    stop_ok = 0
    for a, b in stops:
        before = [s for s in seconds if s < (a + wall_off) / 1e9]
        after = [s for s in seconds if s > (b + wall_off) / 1e9 + 1]
        stop_ok += bool(before and after) and dev[before[-1]] == dev[after[0]]
    span = (seconds[-1] - seconds[0] + 1) if seconds else 0
    print("== Seconds (readout read through the accessibility bus every 100 ms)")
    left_out = set(range(seconds[0], seconds[0] + span)) - set(seconds) if seconds else set()
    print(f"wall-clock seconds checked: {len(seconds)} of {span} from the first step to End; "
          f"{len(left_out & exempt_seconds)} within a second of a stop left out, judged by the count after it; "
          f"{len(left_out - exempt_seconds)} with no reading clear of the step")
    print(f"lost seconds: {lost}, doubled seconds: {doubled}")
    for f in faults:
        print(f)
    print(f"count consistent across {stop_ok} of {len(stops)} stops; readings during a stop answered after "
          + (f"{max(slow_reads):.0f} ms at most" if slow_reads else "- (none fell in one)"))
    print(f"steps later than 250 ms after the clock's second: {len(late)}"
          + (" at " + ", ".join(mmss(s - s0) for s in late[:10]) if late else ""))
    if unknown or clock_off:
        print(f"readings no session shows: {unknown}; readings whose clock text was not the wall clock's: {clock_off}")

    print("== Resources (VmRSS, threads, open descriptors)")
    res = [e for e in events if e[0] == "resources"]
    for e in res:
        print(f"{e[1]:>6} ({mmss(at(int(e[2])))}): RSS {int(e[3]) / 1024:.1f} MiB, {e[4]} threads, {e[5]} descriptors")
    if len({(e[4], e[5]) for e in res}) > 1:  # say what changed
        for name in ("threads", "fds"):
            kinds = [(e[1], open(os.path.join(d, f"{name}-{e[1]}.txt")).read().split("\n")) for e in res]
            if len({tuple(k) for _, k in kinds}) > 1:
                for label, k in kinds:
                    print(f"  {name} at {label}: " + ", ".join(x for x in k if x))
    for e in events:
        if e[0] == "peak":
            print(f"peak RSS (VmHWM): {int(e[1]) / 1024:.1f} MiB")


if __name__ == "__main__":
    cmd, args = sys.argv[1], sys.argv[2:]
    m1, m2, m3, over = map(int, args[:4])
    if cmd == "plan":
        for t, what in plan(m1, m2, m3, over):
            print(t, what)
    elif cmd == "drive":
        drive(m1, m2, m3, over, args[4])
    elif cmd == "report":
        report(m1, m2, m3, over, args[4])
