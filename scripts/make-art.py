#!/usr/bin/env python3
"""Draws Tessaly's artwork: the placefile icon strip and the program icon.

    scripts/make-art.py [--root DIR]

writes DIR/assets/stormtrack.png and DIR/src/ui/win32/res/tessaly.ico (DIR
defaults to the repository). The output is the same byte for byte on every
run and machine: the drawing uses only IEEE arithmetic and square roots (no
libm trigonometry, whose last bit varies between C libraries), and the
deflate streams come from the small encoder below rather than zlib's, whose
output may change between zlib versions. zlib is used only for checksums and
to check that every stream decodes back to its pixels.
"""

import argparse
import math
import os
import struct
import sys
import zlib

# --- deflate (RFC 1951), fixed Huffman codes, greedy LZ77 --------------------

_LEN_BASE = [3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31,
             35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258]
_LEN_EXTRA = [0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2,
              3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0]
_DIST_BASE = [1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193,
              257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145,
              8193, 12289, 16385, 24577]
_DIST_EXTRA = [0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6,
               7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13]


class _Bits:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.n = 0

    def put(self, value, count):
        """Appends count bits of value, least significant first."""
        self.acc |= value << self.n
        self.n += count
        while self.n >= 8:
            self.out.append(self.acc & 0xFF)
            self.acc >>= 8
            self.n -= 8

    def put_code(self, code, count):
        """Huffman codes go out most significant bit first."""
        rev = 0
        for _ in range(count):
            rev = (rev << 1) | (code & 1)
            code >>= 1
        self.put(rev, count)

    def flush(self):
        if self.n:
            self.out.append(self.acc & 0xFF)
        self.acc = self.n = 0
        return bytes(self.out)


def _literal(bits, sym):
    if sym < 144:
        bits.put_code(0x30 + sym, 8)
    elif sym < 256:
        bits.put_code(0x190 + sym - 144, 9)
    elif sym < 280:
        bits.put_code(sym - 256, 7)
    else:
        bits.put_code(0xC0 + sym - 280, 8)


def _index(table, value):
    i = len(table) - 1
    while table[i] > value:
        i -= 1
    return i


def deflate(data):
    """A zlib stream of data: one fixed-Huffman block."""
    bits = _Bits()
    bits.put(0x78, 8)
    bits.put(0x01, 8)  # 0x7801: deflate, 32 KiB window, fastest-level tag
    bits.put(1, 1)     # final block
    bits.put(1, 2)     # fixed Huffman codes
    chains = {}
    n = len(data)
    i = 0

    def remember(pos):
        if pos + 3 <= n:
            chains.setdefault(data[pos:pos + 3], []).append(pos)

    while i < n:
        best_len, best_dist = 0, 0
        if i + 3 <= n:
            cands = chains.get(data[i:i + 3], ())
            # Newest first, a bounded number, so the run time stays small.
            for p in reversed(cands[-32:]):
                dist = i - p
                if dist > 32768:
                    break
                length = 3
                limit = min(258, n - i)
                while length < limit and data[p + length] == data[i + length]:
                    length += 1
                if length > best_len:
                    best_len, best_dist = length, dist
                    if length == limit:
                        break
        if best_len >= 3:
            li = _index(_LEN_BASE, best_len)
            _literal(bits, 257 + li)
            bits.put(best_len - _LEN_BASE[li], _LEN_EXTRA[li])
            di = _index(_DIST_BASE, best_dist)
            bits.put_code(di, 5)
            bits.put(best_dist - _DIST_BASE[di], _DIST_EXTRA[di])
            for k in range(best_len):
                remember(i + k)
            i += best_len
        else:
            _literal(bits, data[i])
            remember(i)
            i += 1
    _literal(bits, 256)
    stream = bits.flush() + struct.pack(">I", zlib.adler32(data) & 0xFFFFFFFF)
    if zlib.decompress(stream) != data:
        raise SystemExit("make-art: deflate self-check failed")
    return stream


# --- PNG ---------------------------------------------------------------------

def _chunk(kind, payload):
    body = kind + payload
    return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(width, height, rgba):
    """An RGBA PNG of rows of (r, g, b, a) tuples; no time or text chunks."""
    raw = bytearray()
    for row in rgba:
        line = bytes(v for px in row for v in px)
        raw.append(1)  # "Sub" filter: flat areas become zeros
        for k, v in enumerate(line):
            raw.append((v - (line[k - 4] if k >= 4 else 0)) & 0xFF)
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", ihdr)
            + _chunk(b"IDAT", deflate(bytes(raw))) + _chunk(b"IEND", b""))


# --- drawing -----------------------------------------------------------------
#
# A picture is a list of layers (shape, colour), painted in order, each one
# opaque over the earlier ones. Every pixel row is sampled on SUB sub-rows;
# along a sub-row the spans a shape covers are exact, so the horizontal
# coverage is exact and the vertical one sampled.

SUB = 8


def polygon(points):
    return ("poly", [(float(x), float(y)) for x, y in points])


def circle(cx, cy, r):
    return ("circle", (float(cx), float(cy), float(r)))


def _spans(shape, y):
    kind, g = shape
    if kind == "circle":
        cx, cy, r = g
        d = r * r - (y - cy) * (y - cy)
        if d <= 0:
            return []
        h = math.sqrt(d)
        return [(cx - h, cx + h)]
    xs = []
    m = len(g)
    for k in range(m):
        (x0, y0), (x1, y1) = g[k], g[(k + 1) % m]
        if (y0 <= y < y1) or (y1 <= y < y0):
            xs.append(x0 + (y - y0) * (x1 - x0) / (y1 - y0))
    xs.sort()
    return [(xs[k], xs[k + 1]) for k in range(0, len(xs) - 1, 2)]


def render(width, height, layers):
    """Rows of RGBA pixels; colours are (r, g, b) and fully opaque."""
    acc = [[[0.0, 0.0, 0.0, 0.0] for _ in range(width)] for _ in range(height)]
    for py in range(height):
        row = acc[py]
        for s in range(SUB):
            y = py + (s + 0.5) / SUB
            # Painter's order along the sub-row: later spans cut earlier ones.
            segs = []
            for shape, colour in layers:
                for a, b in _spans(shape, y):
                    a, b = max(a, 0.0), min(b, float(width))
                    if a >= b:
                        continue
                    cut = []
                    for (c, d, col) in segs:
                        if d <= a or c >= b:
                            cut.append((c, d, col))
                        else:
                            if c < a:
                                cut.append((c, a, col))
                            if d > b:
                                cut.append((b, d, col))
                    cut.append((a, b, colour))
                    segs = cut
            for a, b, (r, g, bl) in segs:
                px = int(a)
                while px < width and px < b:
                    w = (min(b, px + 1.0) - max(a, float(px))) / SUB
                    cell = row[px]
                    cell[0] += w * r
                    cell[1] += w * g
                    cell[2] += w * bl
                    cell[3] += w
                    px += 1
    out = []
    for row in acc:
        line = []
        for r, g, b, cov in row:
            alpha = min(255, int(cov * 255 + 0.5))
            if alpha == 0:
                line.append((0, 0, 0, 0))
            else:
                line.append(tuple(min(255, int(v / cov + 0.5)) for v in (r, g, b)) + (alpha,))
        out.append(line)
    return out


def inset(points, w):
    """The polygon moved inwards by w (points counter-clockwise on screen,
    y down): each edge shifts along its inner normal, corners re-meet."""
    m = len(points)
    lines = []
    for k in range(m):
        (x0, y0), (x1, y1) = points[k], points[(k + 1) % m]
        dx, dy = x1 - x0, y1 - y0
        ln = math.sqrt(dx * dx + dy * dy)
        nx, ny = dy / ln, -dx / ln  # inner normal for this winding
        lines.append(((x0 + nx * w, y0 + ny * w), (dx, dy)))
    out = []
    for k in range(m):
        (p, d), (q, e) = lines[k - 1], lines[k]
        den = d[0] * e[1] - d[1] * e[0]
        t = ((q[0] - p[0]) * e[1] - (q[1] - p[1]) * e[0]) / den
        out.append((p[0] + t * d[0], p[1] + t * d[1]))
    return out


def _area2(points):
    return sum(points[k - 1][0] * points[k][1] - points[k][0] * points[k - 1][1]
               for k in range(len(points)))


def outlined(points, fill, edge, w):
    """A filled polygon with an edge of width w inside its outline."""
    if _area2(points) > 0:  # make the winding the one inset() expects
        points = points[::-1]
    return [(polygon(points), edge), (polygon(inset(points, w)), fill)]


# --- the placefile icons -------------------------------------------------------
#
# 12 x 12 cells side by side, icon 1 leftmost, as the "IconFile: 1, 12, 12,
# 5, 5" header line reads them. The viewer puts pixel (5, 5) on the position
# and turns the icon by the storm's azimuth, so each arrow points up (north)
# and is drawn symmetric about the centre of that pixel (5.5, 5.5). Colours
# follow the demo viewer's: green start, yellow track, red end.

CELL = 12
EDGE = (20, 20, 24)
GREEN = (40, 200, 60)
YELLOW = (250, 210, 40)
RED = (230, 40, 40)
WHITE = (255, 255, 255)


def icon_start():
    """Icon 1, the first marked position: a green disc with a white arrowhead."""
    return [(circle(5.5, 5.5, 5.4), EDGE), (circle(5.5, 5.5, 4.4), GREEN),
            (polygon([(5.5, 1.9), (8.3, 7.9), (5.5, 6.6), (2.7, 7.9)]), WHITE)]


def icon_step():
    """Icon 2, points along the track: a yellow arrowhead."""
    return outlined([(5.5, 1.0), (9.4, 9.8), (1.6, 9.8)], YELLOW, EDGE, 0.85)


def icon_end():
    """Icon 3, the forecast end of the track: a large red arrowhead on a bar,
    the bar standing for the end of the hour."""
    return (outlined([(5.5, 0.1), (10.9, 7.7), (0.1, 7.7)], RED, EDGE, 0.85)
            + [(polygon([(1.4, 8.2), (9.6, 8.2), (9.6, 11.0), (1.4, 11.0)]), EDGE),
               (polygon([(2.25, 9.05), (8.75, 9.05), (8.75, 10.15), (2.25, 10.15)]), RED)])


ICONS = [icon_start, icon_step, icon_end]


def icon_strip():
    width = CELL * len(ICONS)
    layers = []
    for k, make in enumerate(ICONS):
        for (kind, g), colour in make():
            if kind == "circle":
                layers.append((("circle", (g[0] + k * CELL, g[1], g[2])), colour))
            else:
                layers.append((("poly", [(x + k * CELL, y) for x, y in g]), colour))
    return png(width, CELL, render(width, CELL, layers))


# --- the program icon -------------------------------------------------------------
#
# A storm cone on a dark blue tile: the green storm at the lower left, its
# projected path widening towards the upper right with the red track and
# arrowhead, in the placefile's default colours. Designed on a unit square.

def _rot(v, t):
    """v turned by the angle whose half-angle tangent is t (exact rational
    cosine and sine, so no trigonometric library call)."""
    c, s = (1 - t * t) / (1 + t * t), 2 * t / (1 + t * t)
    return (v[0] * c - v[1] * s, v[0] * s + v[1] * c)


def app_layers(size):
    px = 1.0 / size  # one pixel in unit lengths: strokes stay >= 1 px
    layers = []
    # Tile with rounded corners: a cross of two rectangles and four discs.
    m, r = 0.02, 0.17
    tile = (24, 46, 86)
    layers += [(polygon([(m + r, m), (1 - m - r, m), (1 - m - r, 1 - m), (m + r, 1 - m)]), tile),
               (polygon([(m, m + r), (1 - m, m + r), (1 - m, 1 - m - r), (m, 1 - m - r)]), tile)]
    layers += [(circle(cx, cy, r), tile) for cx in (m + r, 1 - m - r) for cy in (m + r, 1 - m - r)]
    # The cone: from the storm along the axis, half-angle about 30 degrees
    # (tan of half of it = 0.27), capped by an arc through seven points.
    sx, sy = 0.27, 0.73
    ax = (math.sqrt(0.5), -math.sqrt(0.5))
    reach = 0.66
    cone = [(sx, sy)]
    for t in (-0.27, -0.18, -0.09, 0.0, 0.09, 0.18, 0.27):
        d = _rot(ax, t)
        cone.append((sx + reach * d[0], sy + reach * d[1]))
    border = max(0.035, 1.0 * px)
    layers += outlined(cone, (214, 222, 236), (248, 0, 0), border)
    # The track along the axis and its arrowhead at the end of the hour;
    # too fine to read on the smallest tiles.
    if size <= 24:
        layers += [(circle(sx, sy, 0.16), EDGE), (circle(sx, sy, 0.16 - max(0.03, px)), GREEN)]
        return layers
    half = max(0.028, 0.75 * px)
    nx, ny = -ax[1], ax[0]
    ex, ey = sx + 0.50 * ax[0], sy + 0.50 * ax[1]
    layers.append((polygon([(sx + nx * half, sy + ny * half), (ex + nx * half, ey + ny * half),
                            (ex - nx * half, ey - ny * half), (sx - nx * half, sy - ny * half)]),
                   (248, 0, 0)))
    tip = (sx + 0.62 * ax[0], sy + 0.62 * ax[1])
    wing = 0.085
    layers.append((polygon([tip, (ex + nx * wing, ey + ny * wing), (ex - nx * wing, ey - ny * wing)]),
                   (248, 0, 0)))
    # The storm: a green cell with a dark ring.
    layers += [(circle(sx, sy, 0.135), EDGE), (circle(sx, sy, 0.135 - max(0.03, px)), GREEN)]
    return layers


def app_icon_pixels(size):
    scaled = []
    for (kind, g), colour in app_layers(size):
        if kind == "circle":
            scaled.append((("circle", tuple(v * size for v in g)), colour))
        else:
            scaled.append((("poly", [(x * size, y * size) for x, y in g]), colour))
    return render(size, size, scaled)


def _bmp_entry(size, rows):
    """A classic icon image: 32-bit BGRA rows bottom-up, then the AND mask."""
    head = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return head + bytes(xor) + bytes(mask)


ICO_SIZES = [16, 24, 32, 48, 256]


def app_icon():
    images = []
    for size in ICO_SIZES:
        rows = app_icon_pixels(size)
        # PNG for the large image (as Windows' own icons do), bitmaps for
        # the small ones that every loader reads.
        images.append((size, png(size, size, rows) if size >= 256 else _bmp_entry(size, rows)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        body += data
    return out + body


# --- main --------------------------------------------------------------------

def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    print(path)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--root", default=os.path.dirname(here),
                    help="folder to write assets/ and src/ui/win32/res/ under (default: the repository)")
    args = ap.parse_args()
    write(os.path.join(args.root, "assets", "stormtrack.png"), icon_strip())
    write(os.path.join(args.root, "src", "ui", "win32", "res", "tessaly.ico"), app_icon())
    return 0


if __name__ == "__main__":
    sys.exit(main())
