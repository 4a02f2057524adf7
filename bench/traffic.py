#!/usr/bin/env python3
"""Loopback traffic for the desktop cost bench, made inside its namespace.

  traffic.py trickle   20,000 bytes to the discard port every 100 ms
  traffic.py heavy [MBPS]   a TCP stream over loopback, paced to MBPS
                       megabytes a second (default 1000), or as fast as the
                       machine goes if it cannot keep up
Runs until killed.
"""
import socket
import os
import sys
import time


def trickle():
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    payload = b"x" * 20000
    next_at = time.monotonic()
    while True:
        try:
            s.sendto(payload, ("127.0.0.1", 9))
        except OSError:
            pass
        next_at += 0.1
        time.sleep(max(0.0, next_at - time.monotonic()))


def heavy(mbps):
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.bind(("127.0.0.1", 0))
    server.listen(1)
    port = server.getsockname()[1]

    # The receiving end is a process of its own, so the two ends do not share
    # one interpreter lock; it ends when the sender's socket closes.
    if os.fork() == 0:
        conn, _ = server.accept()
        buf = bytearray(1 << 20)
        while conn.recv_into(buf):
            pass
        os._exit(0)
    out = socket.create_connection(("127.0.0.1", port))
    chunk = b"x" * (1 << 20)
    rate = mbps * 1e6
    sent = 0
    start = time.monotonic()
    while True:
        out.sendall(chunk)
        sent += len(chunk)
        ahead = sent / rate - (time.monotonic() - start)
        if ahead > 0:
            time.sleep(ahead)


if __name__ == "__main__":
    mode = sys.argv[1] if len(sys.argv) > 1 else ""
    if mode == "trickle":
        trickle()
    elif mode == "heavy":
        heavy(float(sys.argv[2]) if len(sys.argv) > 2 else 1000.0)
    else:
        sys.exit(__doc__)
