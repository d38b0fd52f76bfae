#!/usr/bin/env python3
"""Loopback HTTP server that misbehaves on purpose, for the network tests.

The first path segment picks the behaviour; the rest of the path is ignored:
  /reset/...     headers promise 100000 bytes, 3000 are sent, then a TCP reset
  /silent/...    the connection is accepted and never answered
  /redirect/...  302 back to the same address, without end
  /status/N/...  HTTP status N with a small HTML page
  /huge/N/...    200 with a body of N bytes of XML-looking text, streamed
Prints "PORT <n>" first; stops after --max-seconds.
"""
import argparse
import socket
import struct
import sys
import threading
import time


def handle(conn):
    try:
        conn.settimeout(30)
        req = b""
        while b"\r\n\r\n" not in req:
            chunk = conn.recv(4096)
            if not chunk:
                return
            req += chunk
        path = req.split(b" ")[1].decode("latin-1")
        parts = [p for p in path.split("?")[0].split("/") if p]
        mode = parts[0] if parts else ""
        if mode == "reset":
            conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 100000\r\n\r\n")
            conn.sendall(b"<geonames><geoname><name>Cut" + b" " * 2980)
            time.sleep(0.05)
            conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            conn.close()
            return
        if mode == "silent":
            time.sleep(60)
            return
        if mode == "redirect":
            conn.sendall(("HTTP/1.1 302 Found\r\nLocation: %s\r\nContent-Length: 0\r\n"
                          "Connection: close\r\n\r\n" % path).encode())
            return
        if mode == "status":
            code = int(parts[1])
            body = b"<html><head><title>%d</title></head><body>Error %d</body></html>" % (code, code)
            conn.sendall(b"HTTP/1.1 %d Error\r\nContent-Type: text/html\r\nContent-Length: %d\r\nConnection: close\r\n\r\n" % (code, len(body)) + body)
            return
        if mode == "huge":
            n = int(parts[1])
            conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: %d\r\nConnection: close\r\n\r\n" % n)
            block = b"<geoname><name>x</name></geoname>\n" * 1900  # ~66 KB
            sent = 0
            while sent < n:
                piece = block[: n - sent]
                conn.sendall(piece)
                sent += len(piece)
            return
        conn.sendall(b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")
    except OSError:
        pass
    finally:
        try:
            conn.close()
        except OSError:
            pass


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--max-seconds", type=float, default=120)
    a = ap.parse_args()
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("127.0.0.1", 0))
    s.listen(64)
    print("PORT %d" % s.getsockname()[1], flush=True)
    threading.Timer(a.max_seconds, lambda: sys.exit(0) or __import__("os")._exit(0)).start()
    while True:
        conn, _ = s.accept()
        threading.Thread(target=handle, args=(conn,), daemon=True).start()


if __name__ == "__main__":
    main()
