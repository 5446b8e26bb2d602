#!/usr/bin/env python3
"""Generates a template tree of N .wav files and a flat folder of the matching .mp3 files: the
input of one restructuring run. By default about N/50 folders up to 4 levels deep, some Japanese
names, some whose CP932 form holds a 0x5C trail byte, each file in the next folder in turn.

Usage: make_tree.py N ROOT [--names mixed|track] [--per-folder K] [--depth D]
                           [--place spread|grouped] [--order walk|reverse|shuffled]
  --names track    names of the form track_000123, every 40th Japanese (曲_000123)
  --per-folder K   about N/K folders (default 50)
  --depth D        folders up to D levels deep (default 4)
  --place grouped  consecutive titles share a folder (an album), instead of one folder each in turn
  --order          the order the flat folder's files are created in: as numbered, backwards, or
                   shuffled (the directory's own order follows it on most file systems)"""
import argparse
import os
import random


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("count", type=int)
    parser.add_argument("root")
    parser.add_argument("--names", choices=["mixed", "track"], default="mixed")
    parser.add_argument("--per-folder", type=int, default=50)
    parser.add_argument("--depth", type=int, default=4)
    parser.add_argument("--place", choices=["spread", "grouped"], default="spread")
    parser.add_argument("--order", choices=["walk", "reverse", "shuffled"], default="walk")
    args = parser.parse_args()
    count = args.count
    rng = random.Random(20261208)
    words = ["track", "take", "mix", "曲", "表現", "ソナタ", "十番", "能楽", "café", "live"]
    folders = [""]
    while len(folders) < max(1, count // max(1, args.per_folder)):
        parent = rng.choice(folders)
        if parent.count("/") >= args.depth - 1 and parent:
            continue
        if args.names == "track":
            name = f"disc {len(folders):03d}" if len(folders) % 25 else f"盤 {len(folders):03d}"
        else:
            name = f"{rng.choice(words)} {len(folders)}"
        folders.append(f"{parent}/{name}" if parent else name)
    template = os.path.join(args.root, "template")
    flat = os.path.join(args.root, "flat")
    os.makedirs(flat, exist_ok=True)
    for folder in folders:
        os.makedirs(os.path.join(template, folder), exist_ok=True)
    titles = []
    per_folder = max(1, -(-count // len(folders)))
    for i in range(count):
        if args.names == "track":
            title = f"track_{i:06d}" if i % 40 else f"曲_{i:06d}"
        else:
            title = f"{rng.choice(words)} {i:07d}"
        if args.place == "grouped":
            folder = folders[min(i // per_folder, len(folders) - 1)]
        else:
            folder = folders[i % len(folders)]
        open(os.path.join(template, folder, title + ".wav"), "wb").close()
        titles.append(title)
    if args.order == "reverse":
        titles.reverse()
    elif args.order == "shuffled":
        rng.shuffle(titles)
    for title in titles:
        open(os.path.join(flat, title + ".mp3"), "wb").close()


if __name__ == "__main__":
    main()
