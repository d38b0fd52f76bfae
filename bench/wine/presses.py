#!/usr/bin/env python3
"""Key-to-placefile latency: sends select presses with xdotool with the mouse
over the viewer's map and times each press to the placefile's change on disk.

Presses come in pairs (start and end of a track) at points a few dozen pixels
apart, so that every press changes the file; every ERASE pairs an erase press
(timed too, reported apart) keeps the file at a realistic size. The change is
seen with inotify on the file's folder (the writer may replace the file by
rename or write it in place) and confirmed by a change of its bytes.

Prints one line per press and a summary line starting with "summary".
"""
import argparse
import ctypes
import ctypes.util
import os
import select
import struct
import subprocess
import sys
import time

IN_MODIFY, IN_CLOSE_WRITE, IN_MOVED_TO, IN_CREATE = 0x2, 0x8, 0x80, 0x100


class Watch:
    """inotify on a folder, filtered to one file name; falls back to polling."""

    def __init__(self, path):
        self.path, self.name = path, os.path.basename(path).encode()
        libc = ctypes.CDLL(ctypes.util.find_library("c") or "libc.so.6", use_errno=True)
        self.fd = libc.inotify_init1(os.O_NONBLOCK)
        if self.fd >= 0:
            mask = IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE
            if libc.inotify_add_watch(self.fd, os.path.dirname(path).encode(), mask) < 0:
                os.close(self.fd)
                self.fd = -1
        self.mode = "inotify" if self.fd >= 0 else "poll"

    def drain(self):
        """True when an event for the file was read."""
        hit = False
        while True:
            try:
                buf = os.read(self.fd, 65536)
            except BlockingIOError:
                return hit
            i = 0
            while i + 16 <= len(buf):
                _, _, _, n = struct.unpack_from("iIII", buf, i)
                if buf[i + 16:i + 16 + n].rstrip(b"\0") == self.name:
                    hit = True
                i += 16 + n

    def content(self):
        try:
            with open(self.path, "rb") as f:
                return f.read()
        except OSError:
            return None

    def wait_change(self, before, deadline, at=None, action=None):
        """Monotonic time at which the bytes first differ from `before`, or
        None; runs `action` once at time `at` meanwhile (the key's release)."""
        seen = None
        while True:
            now = time.monotonic()
            if action and now >= at:
                action()
                action = None
                if seen is not None:
                    return seen
                continue
            if seen is not None and not action:
                return seen
            if now >= deadline:
                if action:
                    action()
                return None
            step = min(0.05, deadline - now, (at - now) if action else 1)
            if self.mode == "inotify":
                r, _, _ = select.select([self.fd], [], [], max(step, 0))
                if not r or not self.drain():
                    continue
            else:
                time.sleep(min(0.0005, max(step, 0)))
            t = time.monotonic()
            if self.content() != before:
                seen = t


class XWindows:
    """Whether a top-level X window whose name starts with a prefix is mapped,
    asked of the X server directly (libX11 through ctypes): no process start
    per look, so a poll costs a few round trips to the server."""

    class Attrs(ctypes.Structure):
        _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                    ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
                    ("visual", ctypes.c_void_p), ("root", ctypes.c_ulong), ("c_class", ctypes.c_int),
                    ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                    ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                    ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                    ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                    ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                    ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                    ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]

    IS_VIEWABLE = 2

    def __init__(self, prefix):
        self.prefix = prefix.encode()
        x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                                 ctypes.POINTER(ctypes.c_uint)]
        x.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
        x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(self.Attrs)]
        x.XFree.argtypes = [ctypes.c_void_p]
        self.x = x
        self.dpy = x.XOpenDisplay(None)
        if not self.dpy:
            raise RuntimeError("no X display")
        self.root = x.XDefaultRootWindow(self.dpy)
        self.known = None  # the window once found: Wine keeps it while hidden

    def _name(self, w):
        name = ctypes.c_char_p()
        if not self.x.XFetchName(self.dpy, w, ctypes.byref(name)) or not name.value:
            return b""
        v = name.value
        self.x.XFree(name)
        return v

    def _viewable(self, w):
        a = self.Attrs()
        return self.x.XGetWindowAttributes(self.dpy, w, ctypes.byref(a)) and a.map_state == self.IS_VIEWABLE

    def shown(self):
        """True when the window is mapped and carries the prefix in its name."""
        if self.known is not None:
            if self._viewable(self.known) and self._name(self.known).startswith(self.prefix):
                return True
        r, p, n = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_uint()
        kids = ctypes.POINTER(ctypes.c_ulong)()
        if not self.x.XQueryTree(self.dpy, self.root, ctypes.byref(r), ctypes.byref(p), ctypes.byref(kids),
                                 ctypes.byref(n)):
            return False
        found = False
        try:
            for i in range(n.value):
                w = kids[i]
                if self._name(w).startswith(self.prefix) and self._viewable(w):
                    self.known, found = w, True
                    break
        finally:
            if kids:
                self.x.XFree(kids)
        return found


class Xdo:
    """One xdotool reading commands from a pipe: a command goes out when it is
    written, without the ~15 ms start-up of a new xdotool for each."""

    def __init__(self):
        self.p = subprocess.Popen(["xdotool", "-"], stdin=subprocess.PIPE, text=True, bufsize=1)

    def __call__(self, *args):
        self.p.stdin.write(" ".join(args) + "\n")
        self.p.stdin.flush()

    def close(self):
        self.p.stdin.close()
        self.p.wait(timeout=10)


def pct(values, p):
    s = sorted(values)
    if not s:
        return float("nan")
    k = (len(s) - 1) * p / 100.0
    lo, hi = int(k), min(int(k) + 1, len(s) - 1)
    return s[lo] + (s[hi] - s[lo]) * (k - lo)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--file", required=True)
    ap.add_argument("--presses", type=int, default=100)
    ap.add_argument("--select", default="q")
    ap.add_argument("--erase", default="w")
    ap.add_argument("--erase-every", type=int, default=10, help="pairs between erases (0: never)")
    ap.add_argument("--area", required=True, help="X0,Y0,X1,Y1: screen rectangle to mark in")
    ap.add_argument("--avoid", action="append", default=[], help="X0,Y0,X1,Y1 to keep the mouse out of")
    ap.add_argument("--hold-ms", type=float, default=100)
    ap.add_argument("--timeout", type=float, default=2.0)
    ap.add_argument("--eta", default="", help="view-ETA key pressed after every finished track, timed apart")
    ap.add_argument("--window", default="",
                    help="with --eta: time each view to a mapped X window whose name starts with this "
                         "(e.g. 'Pathcast: '), as well as to the placefile's change")
    ap.add_argument("--label-tag", default=" ;eta#",
                    help="with --window: the placefile's label lines end with this and a number")
    a = ap.parse_args()

    x0, y0, x1, y1 = map(int, a.area.split(","))
    avoid = [tuple(map(int, r.split(","))) for r in a.avoid]

    def free(x, y):
        return all(not (ax0 - 8 <= x <= ax1 + 8 and ay0 - 8 <= y <= ay1 + 8) for ax0, ay0, ax1, ay1 in avoid)

    # Track starts on a coarse grid; the end mark 60 px east-south-east.
    starts = [(x, y) for y in range(y0 + 20, y1 - 60, 37) for x in range(x0 + 20, x1 - 90, 53)
              if free(x, y) and free(x + 60, y + 25)]
    if not starts:
        print("no free points in the marking area", file=sys.stderr)
        return 2

    w = Watch(a.file)
    xdo = Xdo()
    lat, erase_lat, eta_lat = [], [], []
    win_lat, win_labels = [], []
    missed = 0
    already_open = 0
    xw = XWindows(a.window) if a.window else None

    def view(key, x, y, i):
        """A view press timed to its window's showing (and to the file's change)."""
        nonlocal missed, already_open
        xdo("mousemove", str(x), str(y))
        time.sleep(0.12 + 0.011 * (i % 7))
        if w.mode == "inotify":
            w.drain()
        before = w.content()
        if xw.shown():
            already_open += 1
        t0 = time.monotonic()
        xdo("keydown", key)
        released = False
        t_win = t_file = None
        deadline = t0 + a.timeout
        while time.monotonic() < deadline and (t_win is None or t_file is None):
            now = time.monotonic()
            if not released and now >= t0 + a.hold_ms / 1000.0:
                xdo("keyup", key)
                released = True
            if t_win is None and xw.shown():
                t_win = time.monotonic()
            if t_file is None:
                if w.mode == "inotify":
                    r, _, _ = select.select([w.fd], [], [], 0)
                    changed = bool(r) and w.drain() and w.content() != before
                else:
                    changed = w.content() != before
                if changed:
                    t_file = time.monotonic()
            time.sleep(0.001)
        if not released:
            xdo("keyup", key)
        body = (w.content() or b"").decode("latin-1")
        labels = sum(1 for line in body.splitlines()
                     if line.startswith("Text:") and a.label_tag in line)
        if t_win is None:
            missed += 1
            print(f"view {i}: no window within {a.timeout:.1f} s", flush=True)
            return
        win_lat.append((t_win - t0) * 1000)
        win_labels.append(labels)
        if t_file is not None:
            eta_lat.append((t_file - t0) * 1000)
        file_ms = f"{(t_file - t0) * 1000:.1f} ms" if t_file is not None else "unchanged"
        print(f"view {i}: window {(t_win - t0) * 1000:.1f} ms, placefile {file_ms}, {labels} labels", flush=True)
        time.sleep(0.05)

    def press(key, x, y, kind, i):
        nonlocal missed
        xdo("mousemove", str(x), str(y))
        # The viewer shows the new position once it has the mouse move; the
        # spacing also keeps presses out of step with the program's timer.
        time.sleep(0.12 + 0.011 * (i % 7))
        if w.mode == "inotify":
            w.drain()
        before = w.content()
        t0 = time.monotonic()
        xdo("keydown", key)
        # The key is held while the file is watched, then released.
        t = w.wait_change(before, t0 + a.timeout, t0 + a.hold_ms / 1000.0, lambda: xdo("keyup", key))
        if t is None:
            missed += 1
            print(f"{kind} {i}: no change within {a.timeout:.1f} s", flush=True)
            return
        ms = (t - t0) * 1000
        {"select": lat, "erase": erase_lat, "eta": eta_lat}[kind].append(ms)
        size = len(w.content() or b"")
        print(f"{kind} {i}: {ms:.1f} ms, file {size} bytes", flush=True)
        # Let a write that is still going on end before the next press.
        time.sleep(0.05)

    pairs = (a.presses + 1) // 2
    n = 0
    for k in range(pairs):
        sx, sy = starts[k % len(starts)]
        press(a.select, sx, sy, "select", n)
        n += 1
        if n < a.presses:
            press(a.select, sx + 60, sy + 25, "select", n)
            n += 1
            if a.eta:
                # The ETA view writes the placefile once, just before it shows
                # the ETA window in the same handler.
                if xw:
                    view(a.eta, sx + 60, sy + 25, k)
                else:
                    press(a.eta, sx + 60, sy + 25, "eta", k)
        if a.erase_every and (k + 1) % a.erase_every == 0 and n < a.presses:
            press(a.erase, sx + 30, sy + 12, "erase", k)

    xdo.close()
    seen = len(lat)
    nan = float("nan")
    print(f"summary presses {a.presses} seen {seen} missed_all_kinds {missed} "
          f"median_ms {pct(lat, 50):.1f} p95_ms {pct(lat, 95):.1f} max_ms {max(lat) if lat else nan:.1f} "
          f"erase_count {len(erase_lat)} erase_median_ms {pct(erase_lat, 50):.1f} "
          f"erase_p95_ms {pct(erase_lat, 95):.1f} last20_median_ms {pct(lat[-20:], 50):.1f} "
          f"last20_p95_ms {pct(lat[-20:], 95):.1f} eta_count {len(eta_lat)} "
          f"eta_median_ms {pct(eta_lat, 50):.1f} eta_p95_ms {pct(eta_lat, 95):.1f} "
          f"eta_max_ms {max(eta_lat) if eta_lat else nan:.1f} "
          f"win_count {len(win_lat)} win_median_ms {pct(win_lat, 50):.1f} win_p95_ms {pct(win_lat, 95):.1f} "
          f"win_max_ms {max(win_lat) if win_lat else nan:.1f} win_already_open {already_open} "
          f"views_with_labels {sum(1 for n in win_labels if n > 0)} labels_median {pct(win_labels, 50):.0f} "
          f"final_bytes {len(w.content() or b'')} watch {w.mode}",
          flush=True)
    return 0 if seen == a.presses else 1


if __name__ == "__main__":
    sys.exit(main())
