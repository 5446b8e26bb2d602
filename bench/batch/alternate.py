#!/usr/bin/env python3
"""Runs tessaly-batch and floor_move one after the other on the same generated tree, so that a
noisy machine slows both alike, and prints the medians of their wall, user and system times.
Usage: bench/batch/alternate.py [runs] [files] [build folder] [-n] [make_tree.py options]
(defaults: 11, 10000, build-bench; the build folder must hold a Release build of tessaly-batch and
floor_move). -n times the dry runs (tessaly-batch -n against floor_move -n) on the full flat
folder. The options after them shape the tree (see make_tree.py). The tree goes under BENCH_DIR
(default /tmp)."""
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
    positional = []
    args = sys.argv[1:]
    while args and not args[0].startswith("-") and len(positional) < 3:
        positional.append(args.pop(0))
    dry_run = bool(args) and args[0] == "-n"
    shape = args[1:] if dry_run else args
    runs = int(positional[0]) if len(positional) > 0 else 11
    files = int(positional[1]) if len(positional) > 1 else 10000
    build = positional[2] if len(positional) > 2 else "build-bench"
    dry = ["-n"] if dry_run else []
    here = os.path.dirname(os.path.abspath(__file__))
    work = tempfile.mkdtemp(prefix="tessaly-alternate-", dir=os.environ.get("BENCH_DIR", "/tmp"))
    try:
        gen = os.path.join(work, "gen")
        # A dry run changes nothing: it reads the generated flat folder itself (on tmpfs each hard
        # link of a copy takes an inode, and a million files would not fit twice).
        run = gen if dry else os.path.join(work, "run")
        # The journals go beside the trees, on the same disk, and away with them.
        os.environ["XDG_STATE_HOME"] = os.path.join(work, "state")
        subprocess.run([sys.executable, os.path.join(here, "make_tree.py"), str(files), gen]
                       + shape, stdout=subprocess.DEVNULL, check=True)
        tools = {
            "tessaly": [os.path.join(build, "tools/batch/tessaly-batch")] + dry +
                       ["-t", os.path.join(run, "flat"), os.path.join(gen, "template")],
            "floor": [os.path.join(build, "bench/floor_move")] + dry +
                     [os.path.join(gen, "template"), os.path.join(run, "flat"), "mp3"],
        }
        times = {name: [] for name in tools}
        for _ in range(runs):
            for name, cmd in tools.items():
                if not dry:
                    shutil.rmtree(run, ignore_errors=True)
                    os.makedirs(run)
                    subprocess.run(["cp", "-al", os.path.join(gen, "flat"),
                                    os.path.join(run, "flat")], check=True)
                    os.sync()
                times[name].append(run_once(cmd))
        medians = {name: [statistics.median(t[i] for t in times[name]) for i in range(3)]
                   for name in tools}
        print(f"{files} files{' ' + ' '.join(shape) if shape else ''}{', dry run' if dry else ''}, "
              f"{runs} runs each, medians in seconds")
        for name, (wall, user, system) in medians.items():
            print(f"{name:8} wall {wall:.3f}  user {user:.3f}  system {system:.3f}")
        tess, floor = medians["tessaly"], medians["floor"]
        print(f"tessaly / floor: wall {tess[0] / floor[0]:.2f}, "
              f"user + system {(tess[1] + tess[2]) / (floor[1] + floor[2]):.2f}")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
