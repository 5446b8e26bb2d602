#!/usr/bin/env python3
"""Runs tessaly-batch and floor_move one after the other on the same generated tree, so that a
noisy machine slows both alike, and prints the medians of their wall, user and system times.
Usage: bench/batch/alternate.py [runs] [files] [build folder]   (defaults: 11, 10000, build-bench;
the build folder must hold a Release build of tessaly-batch and floor_move). The tree goes under
BENCH_DIR (default /tmp)."""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def run_once(cmd):
    """Wall, user and system seconds of one run, its output discarded."""
    with open(os.devnull, "wb") as devnull:
        start = time.perf_counter()
        pid = os.posix_spawn(cmd[0], cmd, os.environ,
                             file_actions=[(os.POSIX_SPAWN_DUP2, devnull.fileno(), 1),
                                           (os.POSIX_SPAWN_DUP2, devnull.fileno(), 2)])
        _, _, usage = os.wait4(pid, 0)
        return time.perf_counter() - start, usage.ru_utime, usage.ru_stime


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 11
    files = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
    build = sys.argv[3] if len(sys.argv) > 3 else "build-bench"
    here = os.path.dirname(os.path.abspath(__file__))
    work = tempfile.mkdtemp(prefix="tessaly-alternate-", dir=os.environ.get("BENCH_DIR", "/tmp"))
    try:
        gen, run = os.path.join(work, "gen"), os.path.join(work, "run")
        subprocess.run([sys.executable, os.path.join(here, "make_tree.py"), str(files), gen],
                       stdout=subprocess.DEVNULL, check=True)
        tools = {
            "tessaly": [os.path.join(build, "tools/batch/tessaly-batch"), "-t",
                        os.path.join(run, "flat"), os.path.join(gen, "template")],
            "floor": [os.path.join(build, "bench/floor_move"), os.path.join(gen, "template"),
                      os.path.join(run, "flat"), "mp3"],
        }
        times = {name: [] for name in tools}
        for _ in range(runs):
            for name, cmd in tools.items():
                shutil.rmtree(run, ignore_errors=True)
                os.makedirs(run)
                subprocess.run(["cp", "-al", os.path.join(gen, "flat"), os.path.join(run, "flat")],
                               check=True)
                os.sync()
                times[name].append(run_once(cmd))
        medians = {name: [statistics.median(t[i] for t in times[name]) for i in range(3)]
                   for name in tools}
        print(f"{files} files, {runs} runs each, medians in seconds")
        for name, (wall, user, system) in medians.items():
            print(f"{name:8} wall {wall:.3f}  user {user:.3f}  system {system:.3f}")
        tess, floor = medians["tessaly"], medians["floor"]
        print(f"tessaly / floor: wall {tess[0] / floor[0]:.2f}, "
              f"user + system {(tess[1] + tess[2]) / (floor[1] + floor[2]):.2f}")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
