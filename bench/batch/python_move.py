#!/usr/bin/env python3
"""What a user would write instead: walk the template, drop colliding titles, move each flat
file into the mirrored sub-folder unless something is already there."""
import os
import sys


def main():
    template, flat, ext = sys.argv[1], sys.argv[2], sys.argv[3]
    found = {}
    for folder, _dirs, files in os.walk(template):
        rel = os.path.relpath(folder, template)
        for name in files:
            if not name.lower().endswith(".wav"):
                continue
            title = name[:-4]
            found.setdefault(title.lower(), []).append((rel, title))
    moved = 0
    for entries in found.values():
        if len(entries) > 1:
            continue
        rel, title = entries[0]
        src = os.path.join(flat, f"{title}.{ext}")
        dst_folder = flat if rel == "." else os.path.join(flat, rel)
        dst = os.path.join(dst_folder, f"{title}.{ext}")
        if not os.path.isfile(src) or os.path.exists(dst):
            continue
        os.makedirs(dst_folder, exist_ok=True)
        os.rename(src, dst)
        moved += 1
    print(f"moved {moved}")


if __name__ == "__main__":
    main()
