#!/usr/bin/env python3
"""The interpreter on the host build and on the Windows build under Wine.

Both programs run the same scripts of CMD05 and CMD32 lines (as
command_loop_bench.cpp makes them, in one section) from the start, as a user
would start them: a new process per run. The cost of one command is the
slope between the smallest script and each larger one, so that neither the
process start nor Wine's own start-up counts. Under Wine every profile call
is Wine's own, which rewrites the whole file on every write, so its sizes
stop lower (--wine-max).

Usage: wine_ratio.py --host BIN --exe EXE [--sizes 100,1000,...]
                     [--wine-max N] [--repeat K] [--json OUT]
"""
import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

WINE = "/usr/lib/wine/wine"  # 32-bit Wine: velsetup.exe is an i386 program
WINESERVER = "/usr/lib/wine/wineserver"


def script(commands):
    lines = ["[DATA]", "Logging=1", "LogFile=C:\\KIT\\bench.log", "[CommandsList]"]
    for i in range(commands):
        lines.append("5" if i % 2 == 0 else "32,command %d of the section" % i)
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


class HostSide:
    """A simulated machine of its own, as BenchMachine makes one."""

    def __init__(self, binary, scratch):
        self.binary = os.path.abspath(binary)
        self.machine = os.path.join(scratch, "host_machine")
        os.makedirs(os.path.join(self.machine, "drive_c", "KIT"))
        with open(os.path.join(self.machine, "machine.ini"), "w") as ini:
            ini.write("[Machine]\nOS=win2000\n[Drives]\nC=drive_c\nZ=\n")
        self.kit = os.path.join(self.machine, "drive_c", "KIT")

    def run(self):
        env = dict(os.environ, VELSETUP_MACHINE=self.machine)
        subprocess.run([self.binary, "C:\\KIT\\BENCH.INI", "-noreboot", "-silent"],
                       env=env, cwd="/", stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=600, check=False)


class WineSide:
    """A Wine prefix of its own, reporting Windows 2000 as the host side does;
    its wineserver is kept running between runs and ended at the close."""

    def __init__(self, exe, scratch):
        self.prefix = os.path.join(scratch, "wine_prefix")
        self.env = dict(os.environ, WINEARCH="win32", WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", DISPLAY="")
        quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL, env=self.env, timeout=600)
        subprocess.run([WINE, "wineboot", "-i"], check=True, **quiet)
        subprocess.run([WINE, "reg", "add", "HKCU\\Software\\Wine", "/v", "Version",
                        "/d", "win2k", "/f"], check=True, **quiet)
        subprocess.run([WINESERVER, "-w"], check=False, **quiet)
        self.server = subprocess.Popen([WINESERVER, "-f", "-p"], env=self.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.kit = os.path.join(self.prefix, "drive_c", "KIT")
        os.makedirs(self.kit, exist_ok=True)
        shutil.copy(exe, os.path.join(self.kit, "velsetup.exe"))

    def run(self):
        subprocess.run([WINE, "C:\\KIT\\velsetup.exe", "C:\\KIT\\BENCH.INI", "-noreboot",
                        "-silent"], env=self.env, cwd=os.path.join(self.prefix, "drive_c"),
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=600, check=False)

    def close(self):
        subprocess.run([WINESERVER, "-k"], env=self.env, check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.server.wait(timeout=60)


def median_run(side, commands, repeat):
    """Median wall time of `repeat` runs of a fresh copy of the script."""
    times = []
    for _ in range(repeat):
        with open(os.path.join(side.kit, "BENCH.INI"), "wb") as f:
            f.write(script(commands))
        log = os.path.join(side.kit, "bench.log")
        if os.path.exists(log):
            os.remove(log)
        start = time.perf_counter()
        side.run()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--sizes", default="10,250,1000")
    parser.add_argument("--wine-max", type=int, default=1000)
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--json")
    args = parser.parse_args()
    sizes = [int(s) for s in args.sizes.split(",")]
    base = sizes[0]

    scratch = tempfile.mkdtemp(prefix="velsetup_wine_ratio_")
    host = HostSide(args.host, scratch)
    wine = None
    results = []
    try:
        try:
            wine = WineSide(args.exe, scratch)
        except (OSError, subprocess.CalledProcessError) as error:
            sys.exit(f"wine_ratio.py: 32-bit Wine cannot start ({WINE}): {error}")
        # One run each first, untimed: Wine's first start fills its caches.
        median_run(host, base, 1)
        median_run(wine, base, 1)
        # The two sides alternate size by size, so load on the machine
        # falls on both alike.
        host_base = median_run(host, base, args.repeat)
        wine_base = median_run(wine, base, args.repeat)
        for n in sizes[1:]:
            row = {"commands": n, "host_run_s": median_run(host, n, args.repeat)}
            row["host_us_per_command"] = (row["host_run_s"] - host_base) / (n - base) * 1e6
            if n <= args.wine_max:
                row["wine_run_s"] = median_run(wine, n, args.repeat)
                row["wine_us_per_command"] = (row["wine_run_s"] - wine_base) / (n - base) * 1e6
                row["ratio"] = row["wine_us_per_command"] / row["host_us_per_command"]
            results.append(row)
        summary = {"base_commands": base, "host_base_run_s": host_base,
                   "wine_base_run_s": wine_base, "wine_max": args.wine_max,
                   "repeat": args.repeat, "rows": results}
    finally:
        if wine is not None:
            wine.close()
        shutil.rmtree(scratch, ignore_errors=True)

    print("base run (%d commands): host %.3f s, Wine %.3f s" % (base, host_base, wine_base))
    print("%10s %12s %12s %8s" % ("commands", "host us/cmd", "Wine us/cmd", "ratio"))
    for row in results:
        wine_text = "%12.1f" % row["wine_us_per_command"] if "ratio" in row else "%12s" % "-"
        ratio_text = "%8.2f" % row["ratio"] if "ratio" in row else "%8s" % "-"
        print("%10d %12.1f %s %s" % (row["commands"], row["host_us_per_command"], wine_text,
                                     ratio_text))
    if args.json:
        with open(args.json, "w") as out:
            json.dump(summary, out, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
