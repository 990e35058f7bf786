#!/usr/bin/env python3
"""One table from the outputs of a benchmark run: benchmark, figure, goal,
and whether the goal is met.

Usage: bench_table.py DIR   (DIR holds command_loop.json, file_tree.json,
                            profile_read.json and, when Wine ran, wine.json)

Every figure is a median over the repetitions of the run; a comparison
divides two medians measured in the same program, one after the other.
"""
import json
import os
import sys

# Goals of the figures that have one. The tree operations are to stay close
# to the system's own tools. The interpreter's cost per command is to stay
# flat as the script grows. A profile file is parsed at 100 MB/s or faster
# (cold), a whole 1 MB section is handed out in a few milliseconds although
# the reader asks for it again at every doubling of its buffer, one key is
# found without a walk of the file (warm), and a read needs no more than
# five times the file's size in memory at its peak.
COPY_DELETE_RATIO = 1.2
FLAT_RATIO = 1.25          # largest script against 1,000 commands
GROWTH_RATIO = 2.0         # largest script against the smallest
PROFILE_COLD_MS = {0: 10.0, 1: 100.0}     # by file: 1 MB section, 10 MB script
PROFILE_WARM_MS = {"BM_ReadSection": 5.0, "BM_GetPrivateProfileString": 0.1}
PEAK_PER_FILE = 5.0


def medians(path):
    """{run name: median entry} of a Google Benchmark JSON file."""
    if not os.path.exists(path):
        return {}
    with open(path) as f:
        data = json.load(f)
    found = {}
    for entry in data.get("benchmarks", []):
        if entry.get("aggregate_name") == "median":
            found[entry["run_name"].split("/iterations:")[0]] = entry
        elif entry.get("run_type") == "iteration" and "error_occurred" in entry:
            found.setdefault(entry["run_name"].split("/iterations:")[0], entry)
    return found


def ms(entry):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[entry.get("time_unit", "ns")]
    return entry["real_time"] * scale


def status(ok):
    return "met" if ok else "MISSED"


def command_loop_rows(runs):
    rows = []
    for sections in (1, 100):
        per_command = {}
        for name, entry in runs.items():
            if name.startswith("BM_Interpreter/") and name.endswith("sections:%d" % sections):
                commands = int(name.split("commands:")[1].split("/")[0])
                per_command[commands] = entry["time_per_command"] * 1e6
        if not per_command:
            continue
        for commands in sorted(per_command):
            rows.append(("interpreter, %d section(s), %d commands" % (sections, commands),
                         "%.1f us/command" % per_command[commands], "", ""))
        # Against 1,000 commands where the run went beyond, else the smallest
        # script: the first sizes also hold the cost of starting the run.
        large = max(per_command)
        small = 1000 if 1000 in per_command and large > 1000 else min(per_command)
        flat = per_command[large] / per_command[small]
        rows.append(("interpreter, %d section(s): %d vs %d commands" % (sections, large, small),
                     "%.2fx per command" % flat, "<= %.2fx" % FLAT_RATIO,
                     status(flat <= FLAT_RATIO)))
        smallest = min(per_command)
        if smallest != small:
            growth = per_command[large] / per_command[smallest]
            rows.append(("interpreter, %d section(s): %d vs %d commands" % (sections, large, smallest),
                         "%.2fx per command" % growth, "<= %.1fx" % GROWTH_RATIO,
                         status(growth <= GROWTH_RATIO)))
    return rows


def tree_rows(runs):
    rows = []
    labels = {0: "small files", 1: "large files"}
    for operation, tool, system in (("copy", "BM_CopyTree_Tool", "BM_CopyTree_Cp"),
                                    ("delete", "BM_DeleteTree_Tool", "BM_DeleteTree_Rm")):
        for tree in (0, 1):
            ours = runs.get("%s/tree:%d" % (tool, tree))
            theirs = runs.get("%s/tree:%d" % (system, tree))
            if ours is None or theirs is None:
                continue
            label = "%s tree, %s (%d files, %.0f MB)" % (operation, labels[tree], ours["files"],
                                                          ours["MB"])
            reference = "cp -r" if operation == "copy" else "rm -rf"
            ratio = ms(ours) / ms(theirs)
            rows.append((label, "tool %.0f ms, %s %.0f ms: %.2fx" % (ms(ours), reference,
                                                                    ms(theirs), ratio),
                         "<= %.1fx" % COPY_DELETE_RATIO, status(ratio <= COPY_DELETE_RATIO)))
    return rows


def profile_rows(runs):
    rows = []
    files = {0: "1 MB section", 1: "10 MB script"}
    for call, label in (("BM_ReadSection", "ReadSection"),
                        ("BM_GetPrivateProfileString", "GetPrivateProfileStringA")):
        for file in (0, 1):
            for cold in (1, 0):
                entry = runs.get("%s/file:%d/cold:%d" % (call, file, cold))
                if entry is None:
                    continue
                limit = PROFILE_COLD_MS[file] if cold else PROFILE_WARM_MS[call]
                peak_limit = PEAK_PER_FILE * entry["file_MB"]
                ok = ms(entry) <= limit and entry["peak_heap_MB"] <= peak_limit
                rows.append(("%s, %s, %s" % (label, files[file], "cold" if cold else "warm"),
                             "%.2f ms, peak heap %.1f MB (held %.1f MB)" %
                             (ms(entry), entry["peak_heap_MB"], entry["held_MB"]),
                             "<= %g ms, <= %.0f MB" % (limit, peak_limit), status(ok)))
    return rows


def wine_rows(path):
    if not os.path.exists(path):
        return []
    with open(path) as f:
        data = json.load(f)
    rows = []
    for row in data["rows"]:
        if "ratio" in row:
            figure = "host %.1f, Wine %.1f us/command: %.2fx" % (
                row["host_us_per_command"], row["wine_us_per_command"], row["ratio"])
        else:
            figure = "host %.1f us/command, Wine not run (over %d)" % (
                row["host_us_per_command"], data["wine_max"])
        rows.append(("Wine/host, %d commands" % row["commands"], figure, "(figure only)", "-"))
    return rows


def main():
    directory = sys.argv[1]
    rows = (command_loop_rows(medians(os.path.join(directory, "command_loop.json"))) +
            tree_rows(medians(os.path.join(directory, "file_tree.json"))) +
            profile_rows(medians(os.path.join(directory, "profile_read.json"))) +
            wine_rows(os.path.join(directory, "wine.json")))
    header = ("benchmark", "figure (median)", "goal", "met/missed")
    widths = [max(len(r[i]) for r in rows + [header]) for i in range(4)]
    line = "| " + " | ".join("%-*s" % (widths[i], header[i]) for i in range(4)) + " |"
    print(line)
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for r in rows:
        print("| " + " | ".join("%-*s" % (widths[i], r[i]) for i in range(4)) + " |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
