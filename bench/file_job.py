#!/usr/bin/env python3
"""Times the whole file job against `openssl enc -aes-256-cbc` and against two floors, in one run.

Every round runs each case once, in an order that rotates from round to round, so that a busy
minute of the machine hits all cases alike; ratios are taken within a round and reported as the
median over the rounds with their range. Cases, for each direction, on a file in tmpfs:

  io       the I/O floor: `cat in > out` of the same bytes
  cipher   the cipher floor: `openssl enc` of the same bytes to /dev/null
  openssl  `openssl enc` into a file
  native   vexmora-cli, the file job of vexmora.exe without a window
  wine     vexmora.exe under Wine, less an empty job (a 0-byte file) of the same round

Usage: file_job.py SIZE_MIB ROUNDS CLI [EXE WINE_EXEC]   (Wine cases only when EXE is given)
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

PASSWORD = "benchmark password"


def run(command):
    """Wall time of one command, and the peak resident size of its process in KiB (0 unknown).

    The size comes from /usr/bin/time: a process started from this one would count this one's
    own resident size as its own (a forked child inherits the parent's peak).
    """
    with tempfile.NamedTemporaryFile("r") as peak:
        timed = (["/usr/bin/time", "-f", "%M", "-o", peak.name] + command
                 if os.path.exists("/usr/bin/time") else command)
        start = time.perf_counter()
        code = subprocess.run(timed, stderr=subprocess.DEVNULL).returncode
        elapsed = time.perf_counter() - start
        text = peak.read().strip().splitlines()
    return elapsed, int(text[-1]) if text and text[-1].isdigit() else 0, code


def shell(command):
    return run(["sh", "-c", command])


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def main():
    size_mib, rounds, cli = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
    exe = sys.argv[4] if len(sys.argv) > 5 else None
    wine = sys.argv[5] if exe else None
    base = "/dev/shm" if os.path.isdir("/dev/shm") else None
    work = tempfile.mkdtemp(prefix="vexmora-bench.", dir=base)
    try:
        measure(work, size_mib, rounds, cli, exe, wine)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def measure(work, size_mib, rounds, cli, exe, wine):
    def path(name):
        return os.path.join(work, name)

    # Made by other processes: a child inherits this one's peak resident size, which must stay
    # small for the children's figures to mean anything.
    subprocess.run(["sh", "-c", f"head -c {size_mib * 2**20} /dev/urandom > '{path('plain.bin')}'"
                   f" && : > '{path('empty.bin')}'"], check=True)
    subprocess.run([cli, "E", path("plain.bin"), path("container.vx"), PASSWORD], check=True)
    key = subprocess.run(["sh", "-c", f"printf '%s' '{PASSWORD}' | sha256sum | cut -c1-64"],
                         capture_output=True, text=True, check=True).stdout.strip()
    with open(path("container.vx"), "rb") as container:
        iv = container.read(16).hex()
    subprocess.run(["sh", "-c", f"tail -c +17 '{path('container.vx')}' > '{path('body.bin')}'"],
                   check=True)
    openssl = ["openssl", "enc", "-aes-256-cbc", "-K", key, "-iv", iv]
    out = path("out")

    cases = {}
    for direction, flag, source, cipher_in in (("encrypt", "E", "plain.bin", "plain.bin"),
                                               ("decrypt", "D", "container.vx", "body.bin")):
        d = [] if flag == "E" else ["-d"]
        cases[(direction, "io")] = lambda s=source: shell(f"cat '{path(s)}' > '{out}'")
        cases[(direction, "cipher")] = lambda c=cipher_in, d=d: run(
            openssl + d + ["-in", path(c), "-out", "/dev/null"])
        cases[(direction, "openssl")] = lambda c=cipher_in, d=d: run(
            openssl + d + ["-in", path(c), "-out", out])
        cases[(direction, "native")] = lambda f=flag, s=source: run(
            [cli, f, path(s), out, PASSWORD])
        if exe:
            cases[(direction, "wine")] = lambda f=flag, s=source: run(
                [wine, exe, f, windows_path(path(s)), windows_path(out), PASSWORD])
    if exe:
        cases[("both", "empty")] = lambda: run(
            [wine, exe, "E", windows_path(path("empty.bin")), windows_path(out), PASSWORD])

    # The outputs are right before anything is timed (and the files are in the page cache).
    for name in [n for n in cases if n[1] in ("native", "wine") and n[0] == "decrypt"]:
        cases[name]()
        if subprocess.run(["cmp", "-s", out, path("plain.bin")]).returncode != 0:
            sys.exit(f"{name}: decryption gave other bytes")
        os.remove(out)

    names = list(cases)
    times = {name: [] for name in names}
    peak = {name: 0 for name in names}
    for r in range(rounds):
        order = names[r % len(names):] + names[:r % len(names)]
        for name in order:
            if os.path.exists(out):
                os.remove(out)  # every run writes a new file, as a job does
            elapsed, rss, code = cases[name]()
            if code != 0:
                sys.exit(f"{name} failed with exit code {code}")
            times[name].append(elapsed)
            peak[name] = max(peak[name], rss)
    report(size_mib, rounds, times, peak, exe is not None)


def spread(values, digits=2, unit=""):
    values = sorted(values)
    median = statistics.median(values)
    return f"{median:.{digits}f}{unit} ({values[0]:.{digits}f}–{values[-1]:.{digits}f})"


def report(size_mib, rounds, times, peak, with_wine):
    directions = ("encrypt", "decrypt")
    if with_wine:
        for d in directions:
            times[(d, "wine net")] = [w - e for w, e in
                                      zip(times[(d, "wine")], times[("both", "empty")])]
    rows = [("I/O floor: `cat in > out`", "io"),
            ("cipher floor: `openssl enc` to /dev/null", "cipher"),
            ("`openssl enc` to a file", "openssl"),
            ("native job (`vexmora-cli`)", "native")]
    if with_wine:
        rows.append(("`vexmora.exe` under Wine, net of an empty job", "wine net"))
    print(f"| {size_mib} MiB in tmpfs, seconds, median (range) of {rounds} rounds "
          "| encrypt | decrypt |")
    print("|---|---|---|")
    for label, case in rows:
        print(f"| {label} | {spread(times[(directions[0], case)])} "
              f"| {spread(times[(directions[1], case)])} |")
    if with_wine:
        print(f"| empty job under Wine (0-byte file) | {spread(times[('both', 'empty')])} | |")
    print()

    def ratio(d, top, bottom):
        return [a / b for a, b in zip(top(d), bottom(d))]

    def case(name):
        return lambda d: times[(d, name)]

    def floor(d):
        return [max(i, c) for i, c in zip(times[(d, "io")], times[(d, "cipher")])]

    print(f"| ratio, median (range) of {rounds} rounds | encrypt | decrypt | goal |")
    print("|---|---|---|---|")
    lines = [
        ("`openssl enc` / native job (speed-up)", case("openssl"), case("native"),
         "≥ 1.5× / ≥ 3× when the I/O is cheap"),
        ("native job / max(I/O floor, cipher floor)", case("native"), floor,
         "encrypt ≤ 1.15"),
        ("native job / I/O floor", case("native"), case("io"), "decrypt ≤ 1.15"),
    ]
    if with_wine:
        lines += [("`openssl enc` / exe under Wine (net)", case("openssl"), case("wine net"), ""),
                  ("exe under Wine (net) / native job", case("wine net"), case("native"),
                   "≤ 1.3")]
    for label, top, bottom, goal in lines:
        print(f"| {label} | {spread(ratio('encrypt', top, bottom), unit='×')} "
              f"| {spread(ratio('decrypt', top, bottom), unit='×')} | {goal} |")
    print()
    print("peak resident size: " + ", ".join(
        f"{label} {peak[(d, name)] / 1024:.0f} MiB ({d})"
        for label, name in (("native job", "native"), ("openssl enc", "openssl"))
        for d in directions))
    if with_wine:
        print("peak resident size of vexmora.exe under Wine: " + ", ".join(
            f"{peak[(d, 'wine')] / 1024:.0f} MiB ({d})" for d in directions))


if __name__ == "__main__":
    main()
