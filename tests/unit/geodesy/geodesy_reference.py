#!/usr/bin/env python3
"""Reference figures of geodesy_test.cpp's table, from the textbook spherical
formulas (law of cosines, initial bearing by atan2, destination on a sphere)
with Python's math library rather than the program's own arcsine, arccosine
and quadrant rules. The constants are the program's: pi 3.14159265358979,
one degree of arc 60 * 1.1515 * 0.8684 nautical miles for distances, an
earth radius of 6372.797 km (1.852 km to the nautical mile) for destinations.
Run it to print the table rows."""
from math import acos, asin, atan2, cos, degrees, radians, sin

PI = 3.14159265358979
NM_PER_DEGREE = 60 * 1.1515 * 0.8684
RADIUS_NM = 6372.797 / 1.852


def rad(x):
    return x * PI / 180


def deg(x):
    return x * 180 / PI


def distance_nm(lat1, lon1, lat2, lon2):
    a = sin(rad(lat1)) * sin(rad(lat2)) + cos(rad(lat1)) * cos(rad(lat2)) * cos(rad(lon1 - lon2))
    return deg(acos(max(-1.0, min(1.0, a)))) * NM_PER_DEGREE


def bearing_deg(lat1, lon1, lat2, lon2):
    p1, p2, dl = radians(lat1), radians(lat2), radians(lon2 - lon1)
    y = sin(dl) * cos(p2)
    x = cos(p1) * sin(p2) - sin(p1) * cos(p2) * cos(dl)
    return degrees(atan2(y, x)) % 360


def destination(lat, lon, bearing, dist_nm):
    p1, l1, th = rad(lat), rad(lon), rad(bearing)
    d = dist_nm / RADIUS_NM
    p2 = asin(sin(p1) * cos(d) + cos(p1) * sin(d) * cos(th))
    l2 = l1 + atan2(sin(th) * sin(d) * cos(p1), cos(d) - sin(p1) * sin(p2))
    return deg(p2), deg(l2)


TRACKS = [  # storm-sized tracks in every quadrant, and one across the equator
    (35.2, -97.4, 35.9, -96.8),
    (35.2, -97.4, 34.6, -96.1),
    (41.5, -90.5, 40.8, -91.7),
    (30.0, -85.0, 31.3, -86.4),
    (0.5, -60.0, -0.5, -59.0),
    (47.0, -100.0, 46.99, -99.0),
]
MOVES = [(35.2, -97.4, 45, 30), (35.2, -97.4, 200, 75.5), (-33.9, 151.2, 300, 120)]

if __name__ == "__main__":
    for t in TRACKS:
        print("{%s, %.10f, %.10f}," % (", ".join(map(str, t)), distance_nm(*t), bearing_deg(*t)))
    for m in MOVES:
        la, lo = destination(*m)
        print("{%s, %.10f, %.10f}," % (", ".join(map(str, m)), la, lo))
