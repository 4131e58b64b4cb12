#!/usr/bin/env python3
"""A serial line for trying the desktop program without a receiver unit.

Usage: pty_line.py LINK [FIFO]

Opens a pseudo-terminal and links its device as LINK (for example
~/.config/vostel/ports/com5, which makes it port 5). What the program sends
is read and dropped. Each line written to FIFO holds bytes in hexadecimal
(for example "FE 0A 14 1E FF"), which are sent to the program as they are.
Runs until it is killed; removes LINK when it ends.
"""
import os
import pty
import select
import signal
import sys
import tty


def main():
    link = sys.argv[1]
    fifo_path = sys.argv[2] if len(sys.argv) > 2 else None
    master, slave = pty.openpty()
    tty.setraw(slave)
    os.makedirs(os.path.dirname(link) or ".", exist_ok=True)
    if os.path.lexists(link):
        os.unlink(link)
    os.symlink(os.ttyname(slave), link)

    def stop(*_):
        if os.path.lexists(link):
            os.unlink(link)
        sys.exit(0)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    sources = [master]
    fifo = None
    if fifo_path:
        if not os.path.exists(fifo_path):
            os.mkfifo(fifo_path)
        fifo = os.open(fifo_path, os.O_RDONLY | os.O_NONBLOCK)
        os.open(fifo_path, os.O_WRONLY)  # keeps the FIFO from reporting end of file
        sources.append(fifo)
    pending = b""
    while True:
        ready, _, _ = select.select(sources, [], [])
        if master in ready:
            try:
                os.read(master, 4096)
            except OSError:
                pass
        if fifo is not None and fifo in ready:
            pending += os.read(fifo, 4096)
            while b"\n" in pending:
                line, pending = pending.split(b"\n", 1)
                data = bytes(int(h, 16) for h in line.split())
                if data:
                    os.write(master, data)


if __name__ == "__main__":
    main()
