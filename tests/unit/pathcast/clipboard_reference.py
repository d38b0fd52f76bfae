#!/usr/bin/env python3
"""Reference texts of clipboard_test.cpp's table: the whole text the
pathcast's copy button gives, worked out apart from the program. The rows
come from pathcast_reference.py's geometry (3-D unit vectors); local clocks
and zone abbreviations from Python's zoneinfo over the system's tz database
(its TZif transitions, not the program's POSIX rules and date library).

Readings pinned here: the storm's "as of" time drops the anchor's seconds,
as a clock shows it; the 24-hour clock writes two digits for the hour
("08:05"); a span whose two ends carry different zone abbreviations (a DST
change between them) writes each end whole, AM/PM included. Run it to print
the table rows:

    python3 tests/unit/pathcast/clipboard_reference.py
"""
from datetime import datetime, timezone
from math import floor, sqrt
from zoneinfo import ZoneInfo

from pathcast_reference import NM_PER_MILE, expect, town_at

DASH = "\u2013"
COMPASS16 = ["N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
             "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"]


def utc(text):
    """Seconds of an ISO time written in UTC ("2026-05-19 20:00:40")."""
    return int(datetime.fromisoformat(text).replace(tzinfo=timezone.utc).timestamp())


def reading(t, zone, style):
    """(clock, half, zone) of instant t: ("3:15", " PM", " CDT")."""
    if style == "utc":
        d = datetime.fromtimestamp(t, timezone.utc)
        return "%02d:%02d" % (d.hour, d.minute), "", "Z"
    d = datetime.fromtimestamp(t, ZoneInfo(zone))
    abbrev = " " + d.tzname()
    if style == "24":
        return "%02d:%02d" % (d.hour, d.minute), "", abbrev
    return "%d:%02d" % ((d.hour + 11) % 12 + 1, d.minute), " AM" if d.hour < 12 else " PM", abbrev


def whole(r):
    return "".join(r)


def span(a, b, now, zone, style):
    end = reading(b, zone, style)
    if now:
        return "now" + DASH + whole(end)
    start = reading(a, zone, style)
    if start[2] != end[2]:
        return whole(start) + DASH + whole(end)
    if start[1] == end[1]:
        return start[0] + DASH + whole(end)
    return start[0] + start[1] + DASH + whole(end)


def track_of(c):
    return dict(lat=c["lat"], lon=c["lon"], bearing=c["bearing"], speed=c["speed"],
                anchor=c["anchor"], minutes=c["minutes"], radius=c["miles"] * NM_PER_MILE)


def clipboard(case):
    c = case
    head = "Storm %s: moving %s at %s kt (%s mph), as of %s" % (
        c["label"], COMPASS16[int(floor((c["bearing"] % 360 + 11.25) / 22.5)) % 16], c["kt"],
        c["mph"], whole(reading(c["anchor"] - c["anchor"] % 60, c["pc_zone"], c["style"])))
    if not c["speed"] > 0:
        return [head, "The storm is not moving, so there are no arrival times."]
    track = track_of(c)
    view_minute = c["view"] - c["view"] % 60
    rows = []
    for name, lat, lon, admin1, country, zone in TOWNS[c["towns"]]:
        x = expect(track, float(lat), float(lon), c["view"])
        if not x["on"]:
            continue
        town = name + (", " + admin1 if country == "US" and admin1 else "")
        passes = "passes over" if not x["side"] else "passes %d mi %s" % (x["miles"], x["side"])
        when = span(x["arrival"], x["departure"], x["arrival"] <= view_minute, zone, c["style"])
        rows.append((x["arrival"], name, "%s  %s  %s" % (when, town, passes)))
    if not rows:
        return [head, "No towns in the path."]
    return [head] + [r[2] for r in sorted(rows)]


def edge_towns():
    """Towns built on track 'edge': on the right edge exactly, a micromile
    beyond it, and one whose departure falls in the view's minute."""
    t = dict(lat=35.4, lon=-97.6, bearing=60, speed=40, anchor=EDGE_ANCHOR, minutes=60,
             radius=8 * NM_PER_MILE)
    r = t["radius"]
    town = lambda name, along, c: (name, *map(repr, town_at(t, along, c)), "OK", "US",
                                   "America/Chicago")
    return [town("Edge", 20, r), town("Beyond", 20, r + 1e-6), town("Leaving", 10, 3)]


def departure_of(name):
    c = next(c for c in CASES if c["towns"] == "edge")
    row = next(x for x in TOWNS["edge"] if x[0] == name)
    return expect(track_of(c), float(row[1]), float(row[2]), c["anchor"])["departure"]


US = lambda name, lat, lon, state, zone: (name, lat, lon, state, "US", zone)
TOWNS = {
    "oklahoma": [US("Oklahoma City", "35.4676", "-97.5164", "OK", "America/Chicago"),
                 US("Midwest City", "35.4495", "-97.3967", "OK", "America/Chicago"),
                 US("Nicoma Park", "35.4912", "-97.3231", "OK", "America/Chicago"),
                 US("Choctaw", "35.4976", "-97.2689", "OK", "America/Chicago"),
                 US("Harrah", "35.4887", "-97.1637", "OK", "America/Chicago"),
                 US("Edmond", "35.6528", "-97.4781", "OK", "America/Chicago")],
    "kansas": [US("Goodland", "39.3508", "-101.7102", "KS", "America/Denver"),
               US("Brewster", "39.3642", "-101.3766", "KS", "America/Chicago"),
               US("Colby", "39.3958", "-101.0524", "KS", "America/Chicago"),
               US("Oakley", "39.1333", "-100.8636", "KS", "America/Chicago")],
    "fiji": [("Naroi", "-18.5667", "179.95", "", "FJ", "Pacific/Fiji"),
             ("Nayau", "-17.97", "-179.05", "", "FJ", "Pacific/Fiji"),
             ("Tubou", "-18.2333", "-178.8", "", "FJ", "Pacific/Fiji")],
    "svalbard": [("Ny-Alesund", "78.9237", "11.9099", "21", "SJ", "Arctic/Longyearbyen"),
                 ("Barentsburg", "78.0648", "14.2335", "21", "SJ", "Arctic/Longyearbyen"),
                 ("Longyearbyen", "78.2232", "15.6267", "21", "SJ", "Arctic/Longyearbyen")],
}
EDGE_ANCHOR = utc("2026-06-01 20:00:20")
TOWNS["edge"] = edge_towns()


def case(what, towns, lat, lon, bearing, speed, anchor, minutes, miles, view, style, pc_zone,
         label, kt, mph):
    return dict(what=what, towns=towns, lat=lat, lon=lon, bearing=bearing, speed=speed,
                anchor=anchor, minutes=minutes, miles=miles, view=view, style=style,
                pc_zone=pc_zone, label=label, kt=kt, mph=mph)


CHI = "America/Chicago"
CASES = [
    case("central Oklahoma in May", "oklahoma", 35.4, -97.6, 72, 31.25,
         utc("2026-05-19 20:00:40"), 90, 10, utc("2026-05-19 20:03:50"), "12", CHI,
         "A", "31", "36"),
    case("a span over noon", "oklahoma", 35.4, -97.6, 65, 38.7, utc("2026-05-19 16:50:20"), 60,
         8, utc("2026-05-19 16:50:20"), "12", CHI, "B", "39", "45"),
    case("Mountain and Central towns", "kansas", 39.35, -102.1, 85, 40,
         utc("2026-06-02 14:00:10"), 90, 10, utc("2026-06-02 14:00:10"), "12", CHI,
         "C", "40", "46"),
    case("across the date line", "fiji", -18.6, 179.9, 74, 40, utc("2026-06-01 10:10:10"),
         150, 10, utc("2026-06-01 10:11:00"), "12", "Pacific/Fiji", "TC1", "40", "46"),
    case("near the pole", "svalbard", 79.3, 10.5, 150, 45, utc("2026-07-10 07:05:30"), 120,
         12, utc("2026-07-10 07:05:30"), "24", "Arctic/Longyearbyen", "S", "45", "52"),
    case("on the edge, leaving in the view's minute", "edge", 35.4, -97.6, 60, 40, EDGE_ANCHOR,
         60, 8, None, "utc", CHI, "E", "40", "46"),
    case("DST ends between arrival and departure", "oklahoma", 35.4, -97.6, 72, 20,
         utc("2026-11-01 06:35:40"), 120, 10, utc("2026-11-01 06:35:40"), "12", CHI,
         "F", "20", "23"),
    case("not moving", "oklahoma", 35.4, -97.6, 0, 0, utc("2026-05-19 20:00:40"), 60, 8,
         utc("2026-05-19 20:00:40"), "12", CHI, "G", "00", "00"),
    case("no towns in the path", "kansas", 35.4, -97.6, 258.75, 30, utc("2026-05-19 20:00:40"),
         60, 8, utc("2026-05-19 20:00:40"), "24", CHI, "H", "30", "35"),
]
# The view 40 s into the minute the leaving town departs in.
CASES[5]["view"] = departure_of("Leaving") + 40


def cpp(s):
    s = s.replace("\\", "\\\\").replace('"', '\\"').replace(DASH, "\\u2013")
    return '"%s"' % s.replace("\r", "\\r").replace("\n", "\\n")


if __name__ == "__main__":
    print("// Towns: name, lat, lon, admin1, country, zone.")
    for group, towns in TOWNS.items():
        print("const std::vector<PlaceEntry> %s = {" % group)
        for name, lat, lon, admin1, country, zone in towns:
            print("    town(%s, %s, %s, %s, %s, %s)," % tuple(map(cpp, (
                name, lat, lon, admin1, country, zone))))
        print("};")
    print("// Cases: what, towns; lat, lon, bearing, speed (kt), anchor (UTC s), minutes,"
          " miles, view (UTC s), style, PC zone, label, kt, mph; the text.")
    for c in CASES:
        lines = clipboard(c)
        print("{%s, &%s, %r, %r, %r, %r, %d, %d, %d, %d, %s, %s, %s, %s, %s," % (
            cpp(c["what"]), c["towns"], c["lat"], c["lon"], c["bearing"], c["speed"], c["anchor"],
            c["minutes"], c["miles"], c["view"], *map(cpp, (c["style"], c["pc_zone"], c["label"],
                                                            c["kt"], c["mph"]))))
        print("\n".join(" " + cpp(l + ("\r\n" if i + 1 < len(lines) else ""))
                        for i, l in enumerate(lines)) + "},")
