#!/usr/bin/env python3
"""Draws the user guide's two pictures of how a storm is marked.

    scripts/make-marking-pictures.py [--sim PATH] [--out DIR]

Runs tessaly-sim (default build/native/tessaly-sim) on two short sessions,
one-hour marks and two radar frames 20 minutes apart, and draws the
placefile each leaves: the fan, the track line and the marks, labelled.
Writes DIR/marking-hour.png and DIR/marking-frames.png (DIR defaults to
docs/pictures). The PNG writer and the rasteriser are those of
scripts/make-art.py, so the output is the same byte for byte on every run.
"""

import argparse
import importlib.util
import math
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
_found = importlib.util.spec_from_file_location("art", os.path.join(ROOT, "scripts", "make-art.py"))
art = importlib.util.module_from_spec(_found)
_found.loader.exec_module(art)

SESSION = """setting version "4.2"
setting hkselect "Q"
setting hkerase "W"
setting hketa "X"
start
desktop add "KTLX - GRLevel3"
desktop panel "KTLX - GRLevel3" "35.0, -97.0"
wait 1000
click frmMain.optgr3
{mode}
desktop panel "KTLX - GRLevel3" "{first}"
press Q
wait 5
desktop panel "KTLX - GRLevel3" "{second}"
wait 3
press Q
wait 5
print placefile
"""
FRAMES_ON = ('click frmMain.mnu_mark_frames\ntype frmInput.INP "20"\n'
             'click frmInput.cmd_save')

W, H = 400, 260
BACK = (24, 28, 36)
FAN = (150, 60, 60)      # the fan's white fill at 50 % over the dark map
TRACK = (248, 0, 0)
MARK = (255, 255, 255)
FRAME = (120, 170, 255)  # the older frame's mark
TEXT = (235, 235, 235)

# 5 x 7 glyphs for the labels, rows top to bottom.
FONT = {
    "0": ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
    "1": ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    "2": ["01110", "10001", "00001", "00110", "01000", "10000", "11111"],
    "+": ["00000", "00100", "00100", "11111", "00100", "00100", "00000"],
    "-": ["00000", "00000", "00000", "11111", "00000", "00000", "00000"],
    " ": ["00000"] * 7,
    "H": ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "W": ["10001", "10001", "10001", "10101", "10101", "11011", "10001"],
}


def placefile(sim, mode, first, second):
    with tempfile.TemporaryDirectory() as work:
        script = os.path.join(work, "session.sim")
        with open(script, "w") as f:
            f.write(SESSION.format(mode=mode, first=first, second=second))
        out = subprocess.run([sim, "--dir", os.path.join(work, "run"), script],
                             check=True, capture_output=True, text=True).stdout
    lines = []
    for m in re.finditer(r'^placefile\[\d+\] = "(.*)"$', out, re.M):
        lines.append(m.group(1).replace('\\"', '"'))
    return lines


def shapes(lines):
    """Polygons and lines of the placefile as lists of (lat, lon)."""
    polys, tracks, cur, kind = [], [], None, None
    for l in lines:
        if l.startswith("Polygon:"):
            cur, kind = [], polys
        elif l.startswith("Line:"):
            cur, kind = [], tracks
        elif l.startswith("End:"):
            if cur is not None:
                kind.append(cur)
            cur = None
        elif cur is not None:
            f = [v.strip() for v in l.split(",")]
            cur.append((float(f[0]), float(f[1])))
    return polys, tracks


class View:
    """Plate carree around a centre latitude, north up."""

    def __init__(self, points):
        lats = [p[0] for p in points]
        lons = [p[1] for p in points]
        self.k = math.cos(math.radians(sum(lats) / len(lats)))
        x0, x1 = min(lons) * self.k, max(lons) * self.k
        y0, y1 = min(lats), max(lats)
        self.s = min((W - 170) / (x1 - x0), (H - 50) / (y1 - y0))
        self.cx, self.cy = (x0 + x1) / 2, (y0 + y1) / 2

    def __call__(self, p):
        return (W / 2 + (p[1] * self.k - self.cx) * self.s, H / 2 - (p[0] - self.cy) * self.s)


def segment(a, b, w):
    dx, dy = b[0] - a[0], b[1] - a[1]
    n = math.sqrt(dx * dx + dy * dy) or 1.0
    ox, oy = -dy / n * w / 2, dx / n * w / 2
    return art.polygon([(a[0] + ox, a[1] + oy), (b[0] + ox, b[1] + oy),
                        (b[0] - ox, b[1] - oy), (a[0] - ox, a[1] - oy)])


def label(pixels, x, y, text):
    """Writes text at pixel (x, y), two pixels per font pixel."""
    for i, ch in enumerate(text):
        for r, row in enumerate(FONT[ch]):
            for c, bit in enumerate(row):
                if bit == "1":
                    for dy in range(2):
                        for dx in range(2):
                            px, py = int(x) + i * 12 + c * 2 + dx, int(y) + r * 2 + dy
                            if 0 <= px < W and 0 <= py < H:
                                pixels[py][px] = TEXT + (255,)


def picture(view, lines, marks, measured=None):
    polys, tracks = shapes(lines)
    layers = [(art.polygon([(0, 0), (W, 0), (W, H), (0, H)]), BACK)]
    if measured:  # the motion between the two frames
        layers.append((segment(view(measured[0]), view(measured[1]), 1.5), FRAME))
    for p in polys:
        layers.append((art.polygon([view(q) for q in p]), FAN))
    for t in tracks:
        pts = [view(q) for q in t]
        for a, b in zip(pts, pts[1:]):
            layers.append((segment(a, b, 2.5), TRACK))
    for pos, colour, _, _ in marks:
        x, y = view(pos)
        layers.append((art.circle(x, y, 5), (0, 0, 0)))
        layers.append((art.circle(x, y, 3.5), colour))
    pixels = art.render(W, H, layers)
    for pos, _, text, side in marks:
        x, y = view(pos)
        label(pixels, x + 9 if side > 0 else x - 9 - 12 * len(text), y - 7, text)
    return art.png(W, H, pixels)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--sim", default=os.path.join(ROOT, "build", "native", "tessaly-sim"))
    ap.add_argument("--out", default=os.path.join(ROOT, "docs", "pictures"))
    a = ap.parse_args()
    older, now, hour = (34.95, -97.1), (35.0, -97.0), None
    frames = placefile(a.sim, FRAMES_ON, "%.2f, %.2f" % older, "%.2f, %.2f" % now)
    # The forecast the frames give, marked by hand as the one-hour point.
    track = shapes(frames)[1][0]
    hour = track[1]
    by_hand = placefile(a.sim, "", "%.2f, %.2f" % now, "%r, %r" % hour)
    pts = [q for p in shapes(frames)[0] for q in p] + [older, now, hour]
    view = View(pts)
    os.makedirs(a.out, exist_ok=True)
    out = {
        "marking-hour.png": picture(view, by_hand, [
            (now, MARK, "1 NOW", -1), (hour, MARK, "2 +1H", +1)]),
        "marking-frames.png": picture(view, frames, [
            (older, FRAME, "1 -20 MIN", +1), (now, MARK, "2 NOW", -1), (hour, MARK, "+1H", +1)],
            measured=(older, now)),
    }
    for name, data in out.items():
        with open(os.path.join(a.out, name), "wb") as f:
            f.write(data)
        print(os.path.join(a.out, name))
    return 0


if __name__ == "__main__":
    sys.exit(main())
