#!/usr/bin/env python3
"""Writes the emulated machine's initial file system: a cpio archive in the kernel's "newc"
format, made without root (the console device node is an archive entry, not a file).
  mkinitramfs.py OUT BUSYBOX INIT PROGRAM [PROGRAM...]   (programs go to the root as they are named)
"""
import os
import stat
import sys


def entry(out, ino, name, mode, data=b"", rdev=(0, 0)):
    fields = [ino, mode, 0, 0, 1, 0, len(data), 0, 0, rdev[0], rdev[1], len(name) + 1, 0]
    head = b"070701" + b"".join(b"%08X" % f for f in fields)
    out.write(head + name.encode() + b"\0")
    out.write(b"\0" * (-(len(head) + len(name) + 1) % 4))
    out.write(data)
    out.write(b"\0" * (-len(data) % 4))


def main():
    out_path, busybox, init = sys.argv[1:4]
    programs = sys.argv[4:]
    with open(out_path + ".tmp", "wb") as out:
        ino = 1
        for d in ("bin", "dev", "proc", "sys", "tmp"):
            entry(out, ino, d, stat.S_IFDIR | 0o755)
            ino += 1
        entry(out, ino, "dev/console", stat.S_IFCHR | 0o600, rdev=(5, 1))
        ino += 1
        files = [("bin/busybox", busybox), ("init", init)]
        files += [(os.path.basename(p), p) for p in programs]
        for name, path in files:
            with open(path, "rb") as f:
                entry(out, ino, name, stat.S_IFREG | 0o755, f.read())
            ino += 1
        entry(out, 0, "TRAILER!!!", 0)
    os.replace(out_path + ".tmp", out_path)


main()
