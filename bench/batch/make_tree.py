#!/usr/bin/env python3
"""Generates a template tree of N .wav files (about N/50 folders, up to 4 levels deep, some
Japanese names, some whose CP932 form holds a 0x5C trail byte) and a flat folder of the matching
.mp3 files: the input of one restructuring run."""
import os
import random
import sys


def main():
    count = int(sys.argv[1])
    root = sys.argv[2]
    rng = random.Random(20261208)
    words = ["track", "take", "mix", "曲", "表現", "ソナタ", "十番", "能楽", "café", "live"]
    folders = [""]
    while len(folders) < max(1, count // 50):
        parent = rng.choice(folders)
        if parent.count("/") >= 3:
            continue
        name = f"{rng.choice(words)} {len(folders)}"
        folders.append(f"{parent}/{name}" if parent else name)
    template = os.path.join(root, "template")
    flat = os.path.join(root, "flat")
    os.makedirs(flat, exist_ok=True)
    for folder in folders:
        os.makedirs(os.path.join(template, folder), exist_ok=True)
    for i in range(count):
        title = f"{rng.choice(words)} {i:07d}"
        folder = folders[i % len(folders)]
        open(os.path.join(template, folder, title + ".wav"), "wb").close()
        open(os.path.join(flat, title + ".mp3"), "wb").close()


if __name__ == "__main__":
    main()
