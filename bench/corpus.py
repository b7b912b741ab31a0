#!/usr/bin/env python3
"""Makes the benchmarks' names corpus from real material: the names of this machine's own files.

    bench/corpus.py OUT_DIR [SOURCE_DIR]

SOURCE_DIR (default /usr) is read once, in sorted order, without following links. Its entries
are taken again and again under the folders u0/, u1/, ... until there are exactly 1,000,000
entries; then OUT_DIR holds:
  tree-1m/        those entries as a tree of folders and empty files (links become empty files)
  names-1m.txt    the name of every entry of the tree, one per line (UTF-8, find's order)
  names-10m.txt   ten copies of the tree side by side (c0/ .. c9/): their 10,000,000 names
A name that is not valid UTF-8 or holds a line break is left out with its subtree. Nothing is
rebuilt while OUT_DIR/corpus.ready names the same source and sizes.
"""
import os
import sys

TOTAL = 1_000_000
COPIES_10M = 10


def entries(root):
    """(relative path, is folder) of everything below root, parents before children."""
    stack = [""]
    while stack:
        rel = stack.pop()
        try:
            with os.scandir(os.path.join(root, rel)) as it:
                found = sorted(it, key=lambda e: e.name.encode("utf-8", "surrogateescape"), reverse=True)
        except OSError:
            continue
        below = []
        for e in reversed(found):
            name = e.name
            try:
                name.encode("utf-8")
            except UnicodeEncodeError:
                continue
            if "\n" in name or "\r" in name:
                continue
            path = name if not rel else rel + "/" + name
            folder = e.is_dir(follow_symlinks=False)
            yield path, folder
            if folder:
                below.append(path)
        stack.extend(reversed(below))


def main():
    out = sys.argv[1]
    source = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else "/usr")
    stamp = "source=%s total=%d copies=%d v1\n" % (source, TOTAL, COPIES_10M)
    ready = os.path.join(out, "corpus.ready")
    try:
        with open(ready) as f:
            if f.read() == stamp:
                return
    except OSError:
        pass
    os.makedirs(out, exist_ok=True)
    if os.path.exists(ready):
        os.remove(ready)
    base = list(entries(source))
    if not base:
        sys.exit("corpus: nothing found under " + source)
    tree = os.path.join(out, "tree-1m")
    if os.path.exists(tree):
        os.system("rm -rf '%s'" % tree.replace("'", "'\\''"))
    os.makedirs(tree)
    names = []
    copy = 0
    while len(names) < TOTAL:
        top = "u%d" % copy
        os.mkdir(os.path.join(tree, top))
        names.append(top)
        for rel, folder in base:
            if len(names) >= TOTAL:
                break
            target = os.path.join(tree, top, rel)
            if folder:
                os.mkdir(target)
            else:
                open(target, "wb").close()
            names.append(rel.rsplit("/", 1)[-1])
        copy += 1
    text = ("\n".join(names) + "\n").encode("utf-8")
    with open(os.path.join(out, "names-1m.txt"), "wb") as f:
        f.write(text)
    with open(os.path.join(out, "names-10m.txt"), "wb") as f:
        for _ in range(COPIES_10M):
            f.write(text)
    with open(ready, "w") as f:
        f.write(stamp)


if __name__ == "__main__":
    main()
