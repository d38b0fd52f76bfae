#!/usr/bin/env python3
"""Expected positions for the mark-mode and projection-length tests, worked
out apart from the program: Python's math library on a sphere of 6372.797 km
(1.852 km per nautical mile), the great-circle destination formula with
asin/atan2. Distances are measured as the program shows them, 59.997756 nm
per degree of arc. Run it to see the figures the tests and scenarios use:

    python3 tests/unit/tracking/motion_figures.py
"""
import math

R_NM = 6372.797 / 1.852


def destination(lat, lon, bearing, nm):
    p1, l1, t, d = math.radians(lat), math.radians(lon), math.radians(bearing), nm / R_NM
    p2 = math.asin(math.sin(p1) * math.cos(d) + math.cos(p1) * math.sin(d) * math.cos(t))
    l2 = l1 + math.atan2(math.sin(t) * math.sin(d) * math.cos(p1),
                         math.cos(d) - math.sin(p1) * math.sin(p2))
    return round(math.degrees(p2), 10), round(math.degrees(l2), 10)


def distance(lat1, lon1, lat2, lon2):
    p1, p2 = math.radians(lat1), math.radians(lat2)
    x = math.sin(p1) * math.sin(p2) + math.cos(p1) * math.cos(p2) * math.cos(math.radians(lon1 - lon2))
    return math.degrees(math.acos(min(1.0, x))) * 59.997756


def bearing(lat1, lon1, lat2, lon2):
    p1, p2, dl = math.radians(lat1), math.radians(lat2), math.radians(lon2 - lon1)
    y = math.sin(dl) * math.cos(p2)
    x = math.cos(p1) * math.sin(p2) - math.sin(p1) * math.cos(p2) * math.cos(dl)
    return math.degrees(math.atan2(y, x)) % 360


second = (35.1666729, -97.0)
print("marks 10 nm apart:", distance(35.0, -97.0, *second))
print("frames 30 min, 20 kt, stop:", destination(*second, 0, 20))
print("frames 60 min, 10 kt, stop:", destination(*second, 0, 10))
print("20 kt, 30-minute projection, stop:", destination(35.0, -97.0, 0, 10))
print("20 kt, 120-minute projection, stop:", destination(35.0, -97.0, 0, 40))
d, b = distance(35.0, -97.0, 35.1, -96.85), bearing(35.0, -97.0, 35.1, -96.85)
print("frames 20 min from 35.0,-97.0 to 35.1,-96.85: %.4f nm, %.2f deg, %.2f kt" % (d, b, d * 3))
print("  stop:", destination(35.1, -96.85, round(b), round(d * 3)))
