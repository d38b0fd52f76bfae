#!/usr/bin/env python3
"""Reference figures of geometry_test.cpp's table, worked out apart from the
program: positions as 3-D unit vectors on a sphere of 6372.797 km (1.852 km
to the nautical mile). The track is the great circle through the anchor
vector A along the motion's tangent D; a town's cross-track distance is the
arc from that plane (its dot product with the right-hand normal D x A), its
along-track distance the angle of its projection into the plane (atan2 of
its components on D and A), the closest point A rotated by that angle toward
D, and a bearing the angle of the target's tangent component in the east and
north vectors of the start. The edge towns are built the same way backwards,
from a chosen along and cross distance. Nothing here follows the program's
spherical-trigonometry formulas.

The script refuses a case whose time lies within 0.6 s of a half minute,
whose side lies within 0.05 degrees of a compass sector's edge, or whose
distance lies within 0.001 mi of a half mile: the table pins behaviour, not
the last bit of a tie. Run it to print the table rows:

    python3 tests/unit/pathcast/pathcast_reference.py
"""
from math import asin, atan2, cos, degrees, floor, radians, sin, sqrt

RADIUS_NM = 6372.797 / 1.852
NM_PER_MILE = 0.868976
EPS_NM = 1e-9  # a town built on an edge counts as on it
BASE = 1780344000  # 2026-06-01 20:00 UTC
T0 = BASE + 20  # every track's anchor


def vec(lat, lon):
    p, l = radians(lat), radians(lon)
    return (cos(p) * cos(l), cos(p) * sin(l), sin(p))


def latlon(v):
    x, y, z = v
    return degrees(atan2(z, sqrt(x * x + y * y))), degrees(atan2(y, x))


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def comb(s, a, t, b):
    return tuple(s * x + t * y for x, y in zip(a, b))


def east_north(lat, lon):
    p, l = radians(lat), radians(lon)
    return (-sin(l), cos(l), 0.0), (-sin(p) * cos(l), -sin(p) * sin(l), cos(p))


def frame(track):
    """Anchor A, motion tangent D, and the right-hand normal D x A."""
    a = vec(track["lat"], track["lon"])
    e, n = east_north(track["lat"], track["lon"])
    th = radians(track["bearing"])
    d = comb(cos(th), n, sin(th), e)
    return a, d, cross(d, a)


def position(track, lat, lon):
    a, d, right = frame(track)
    p = vec(lat, lon)
    c = asin(max(-1.0, min(1.0, dot(p, right))))
    along = atan2(dot(p, d), dot(p, a))
    return along * RADIUS_NM, c * RADIUS_NM, comb(cos(along), a, sin(along), d)


def bearing(lat, lon, target):
    e, n = east_north(lat, lon)
    return degrees(atan2(dot(target, e), dot(target, n))) % 360


def town_at(track, along_nm, cross_nm):
    """The town at `along_nm` along the track and `cross_nm` right of it."""
    a, d, right = frame(track)
    s, c = along_nm / RADIUS_NM, cross_nm / RADIUS_NM
    foot = comb(cos(s), a, sin(s), d)
    return latlon(comb(cos(c), foot, sin(c), right))


POINTS = ["N", "NE", "E", "SE", "S", "SW", "W", "NW"]


def compass(deg):
    edge = (deg + 22.5) % 45
    assert min(edge, 45 - edge) > 0.05, "side %.4f too near a sector edge" % deg
    return POINTS[int(floor((deg + 22.5) / 45)) % 8]


def minute(utc):
    frac = (utc / 60) % 1
    assert abs(frac - 0.5) > 0.01, "time %.3f too near a half minute" % utc
    return int(floor(utc / 60 + 0.5)) * 60


def expect(track, lat, lon, view):
    along, c, closest_point = position(track, lat, lon)
    row = dict(along=along, cross=c, on=False, arrival=0, closest=0, departure=0, miles=0, side="")
    v, r = track["speed"], track["radius"]
    if not v > 0 or abs(c) > r + EPS_NM:
        return row
    h = sqrt(max(0.0, r * r - c * c))
    if along - h > v * track["minutes"] / 60 + EPS_NM:
        return row
    t = [minute(track["anchor"] + x / v * 3600) for x in (along - h, along, along + h)]
    if t[2] < view - view % 60:
        return row
    miles = abs(c) / NM_PER_MILE
    frac = miles % 1
    assert abs(frac - 0.5) > 0.001, "%.6f mi too near a half mile" % miles
    side = "" if miles < 0.5 else compass(bearing(lat, lon, closest_point))
    row.update(on=True, arrival=t[0], closest=t[1], departure=t[2], miles=int(floor(miles + 0.5)),
               side=side)
    return row


def track(lat, lon, bearing_deg, speed, minutes, miles):
    return dict(lat=lat, lon=lon, bearing=bearing_deg, speed=speed, anchor=T0, minutes=minutes,
                radius=miles * NM_PER_MILE)


TRACKS = [
    track(35.4, -97.6, 65, 38.7, 60, 8),    # 0 central Oklahoma, ENE
    track(35.4, -97.6, 72, 31.25, 90, 10),  # 1 the same anchor, slower and wider
    track(35.4, -97.6, 60, 40, 60, 8),      # 2 the edge cases: 40 nm in the hour
    track(10, 179.8, 90, 35, 60, 8),        # 3 east across the date line
    track(88, 0, 0, 50, 240, 8),            # 4 north over the pole
    track(35.4, -97.6, 65, 0, 60, 8),       # 5 not moving
]

OKLAHOMA = [
    ("Oklahoma City", 35.4676, -97.5164), ("Midwest City", 35.4495, -97.3967),
    ("Spencer", 35.5228, -97.3725), ("Nicoma Park", 35.4912, -97.3231),
    ("Choctaw", 35.4976, -97.2689), ("Harrah", 35.4887, -97.1637), ("Jones", 35.5656, -97.2870),
    ("Luther", 35.6617, -97.1956), ("Meeker", 35.5034, -96.9025), ("Edmond", 35.6528, -97.4781),
    ("Chandler", 35.7017, -96.8809), ("Shawnee", 35.3273, -96.9253),
]


def cases():
    out = []
    for ti in (0, 1):
        for name, lat, lon in OKLAHOMA:
            out.append((ti, name, lat, lon, T0 + 100))
    e = TRACKS[2]
    r = e["radius"]
    dep = minute(T0 + (10 + sqrt(r * r - 9)) / 40 * 3600)  # the town 10 nm along, 3 right
    h2 = sqrt(r * r - 4)
    out += [
        (2, "cross exactly the radius", *town_at(e, 20, r), T0),
        (2, "cross exactly minus the radius", *town_at(e, 25, -r), T0),
        (2, "cross a micromile beyond", *town_at(e, 20, r + 1e-6), T0),
        (2, "departure in the view's minute", *town_at(e, 10, 3), dep + 40),
        (2, "departure a minute before the view", *town_at(e, 10, 3), dep + 100),
        (2, "arrival at the projection's end", *town_at(e, 40 + h2, -2), T0),
        (2, "arrival past the projection's end", *town_at(e, 40 + h2 + 0.01, -2), T0),
        (2, "straight through", *town_at(e, 15, 0), T0),
        (2, "0.3 mi off passes over", *town_at(e, 15, 0.3 * NM_PER_MILE), T0),
        (2, "0.6 mi left", *town_at(e, 15, -0.6 * NM_PER_MILE), T0),
        (2, "behind, departure ahead", *town_at(e, -3, 2), T0),
        (2, "behind, departure passed", *town_at(e, -12, 1), T0),
        (3, "across the date line", 10.05, -179.9, T0),
        (3, "behind, west of the date line", 9.98, 179.75, T0),
        (4, "past the pole", 89.5, 170, T0),
        (4, "beside the pole", 89.9, -100, T0),
        (4, "behind, south of the anchor", 87.95, 3, T0),
        (5, "not moving", 35.4676, -97.5164, T0),
    ]
    return out


if __name__ == "__main__":
    # Times as minutes after BASE, views as seconds after it.
    print("// Tracks (anchored at %d): lat, lon, bearing, speed (kt), minutes, radius (nm)." % T0)
    for t in TRACKS:
        print("{%r, %r, %r, %r, %d, %r}," % (t["lat"], t["lon"], t["bearing"], t["speed"],
                                            t["minutes"], t["radius"]))
    print("// Cases: track, name, lat, lon, view (s after %d); along, cross; on, arrival,"
          " closest, departure (min after it), miles, side." % BASE)
    for ti, name, lat, lon, view in cases():
        try:
            x = expect(TRACKS[ti], lat, lon, view)
        except AssertionError as err:
            raise SystemExit("%s on track %d: %s" % (name, ti, err))
        m = [(x[k] - BASE) // 60 if x["on"] else 0 for k in ("arrival", "closest", "departure")]
        print('{%d, "%s", %r, %r, %d, %.9f, %.9f, %s, %d, %d, %d, %d, "%s"},' % (
            ti, name, lat, lon, view - BASE, x["along"], x["cross"], "true" if x["on"] else "false",
            *m, x["miles"], x["side"]))
