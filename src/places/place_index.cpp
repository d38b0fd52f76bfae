#include "places/place_index.h"

#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <new>
#include <numbers>

#include "core/text.h"

namespace tessaly {

namespace {

constexpr std::string_view kMagic = "TSLYPLC1";
constexpr std::string_view kColumns =
    "name\tlatitude\tlongitude\tpopulation\tfeature_code\tadmin1\tcountry\ttimezone";
constexpr std::size_t kHeaderBytes = 16;  // magic, text size, CRC-32 of the text
// zlib takes lengths as uInt: large buffers go in pieces of this size.
constexpr std::size_t kZlibPiece = std::size_t{1} << 30;

void put_u32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
std::uint32_t get_u32(std::string_view s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + i])) << (8 * i);
    return v;
}

std::optional<double> parse_degrees(std::string_view t, double limit) {
    double v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size() || !std::isfinite(v) ||
        std::fabs(v) > limit)
        return std::nullopt;
    return v;
}

std::uint32_t crc_of(std::string_view s) {
    uLong c = crc32(0L, Z_NULL, 0);
    // crc32 takes a uInt length: feed large texts in pieces.
    for (std::size_t at = 0; at < s.size(); at += kZlibPiece) {
        std::size_t n = std::min(s.size() - at, kZlibPiece);
        c = crc32(c, reinterpret_cast<const Bytef*>(s.data() + at), static_cast<uInt>(n));
    }
    return static_cast<std::uint32_t>(c);
}

// The index text of compressed data `z` whose header declares `size` bytes
// and CRC `crc`, or nullopt with `why` set. Inflates piece by piece, so a
// stream that is damaged, longer than declared or holds more lines than an
// index may stops at the first piece that shows it.
std::optional<std::string> inflate_text(std::string_view z, std::size_t size, std::uint32_t crc,
                                        std::string& why) {
    z_stream s{};
    if (inflateInit(&s) != Z_OK) throw std::bad_alloc();
    struct End {
        z_stream& s;
        ~End() { inflateEnd(&s); }
    } end{s};
    std::string text;
    text.reserve(size);  // at most kMaxCompressionRatio times the file
    std::string piece(std::size_t{1} << 16, '\0');
    uLong c = crc32(0L, Z_NULL, 0);
    std::size_t lines = 0, in_at = 0;
    for (int rc = Z_OK; rc != Z_STREAM_END;) {
        if (s.avail_in == 0 && in_at < z.size()) {
            std::size_t n = std::min(z.size() - in_at, kZlibPiece);
            s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(z.data() + in_at));
            s.avail_in = static_cast<uInt>(n);
            in_at += n;
        }
        s.next_out = reinterpret_cast<Bytef*>(piece.data());
        s.avail_out = static_cast<uInt>(piece.size());
        rc = inflate(&s, Z_NO_FLUSH);
        if (rc == Z_MEM_ERROR) throw std::bad_alloc();
        std::size_t got = piece.size() - s.avail_out;
        if ((rc != Z_OK && rc != Z_STREAM_END) || got > size - text.size()) {
            why = "damaged (data)";
            return std::nullopt;
        }
        lines += static_cast<std::size_t>(std::count(piece.data(), piece.data() + got, '\n'));
        if (lines > kMaxIndexPlaces + 1) {  // the column line and the places
            why = "too large (more than " + std::to_string(kMaxIndexPlaces) + " places)";
            return std::nullopt;
        }
        c = crc32(c, reinterpret_cast<const Bytef*>(piece.data()), static_cast<uInt>(got));
        text.append(piece, 0, got);
    }
    // Bytes after the stream would only stretch the size the ratio allows.
    if (text.size() != size || static_cast<std::uint32_t>(c) != crc || s.avail_in != 0 ||
        in_at != z.size()) {
        why = "damaged (data)";
        return std::nullopt;
    }
    return text;
}

}  // namespace

double place_distance_km(double lat1, double lon1, double lat2, double lon2) {
    constexpr double r = std::numbers::pi / 180.0;
    double dlat = (lat2 - lat1) * r, dlon = (lon2 - lon1) * r;
    double a = std::sin(dlat / 2) * std::sin(dlat / 2) +
               std::cos(lat1 * r) * std::cos(lat2 * r) * std::sin(dlon / 2) * std::sin(dlon / 2);
    a = std::clamp(a, 0.0, 1.0);
    return 2 * kPlaceEarthRadiusKm * std::asin(std::sqrt(a));
}

std::string PlaceIndex::encode(const std::vector<PlaceEntry>& entries) {
    std::string text(kColumns);
    text += '\n';
    for (const PlaceEntry& e : entries) {
        for (const std::string* f : {&e.name, &e.lat, &e.lon, &e.population, &e.feature_code,
                                     &e.admin1, &e.country, &e.timezone}) {
            if (f != &e.name) text += '\t';
            text += *f;
        }
        text += '\n';
        if (text.size() > kMaxIndexTextBytes) return {};
    }
    uLongf room = compressBound(static_cast<uLong>(text.size()));
    std::string z(room, '\0');
    if (compress2(reinterpret_cast<Bytef*>(z.data()), &room,
                  reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        return {};
    z.resize(room);
    std::string out(kMagic);
    put_u32(out, static_cast<std::uint32_t>(text.size()));
    put_u32(out, crc_of(text));
    return out + z;
}

std::optional<PlaceIndex> PlaceIndex::decode(std::string_view file, std::string* why) {
    std::string w;
    try {
        if (auto idx = decode_text(file, w)) return idx;
    } catch (const std::bad_alloc&) {
        w = "too large for the memory";  // everything the attempt held is freed by now
    }
    if (why) *why = w;
    return std::nullopt;
}

std::optional<PlaceIndex> PlaceIndex::decode_text(std::string_view file, std::string& why) {
    auto bad = [&](const std::string& w) -> std::optional<PlaceIndex> {
        why = w;
        return std::nullopt;
    };
    if (file.size() < kHeaderBytes || file.substr(0, kMagic.size()) != kMagic)
        return bad("not a place index");
    std::uint32_t size = get_u32(file, 8), crc = get_u32(file, 12);
    std::string_view z = file.substr(kHeaderBytes);
    // A declared size the compressed bytes cannot hold is refused before
    // anything is allocated for it.
    if (size > kMaxIndexTextBytes || size / kMaxCompressionRatio > z.size())
        return bad("damaged (size)");
    auto text = inflate_text(z, size, crc, why);
    if (!text) return std::nullopt;

    PlaceIndex idx;
    auto owned = std::make_shared<const std::string>(std::move(*text));
    std::string_view t(*owned);
    idx.text_ = owned;
    std::size_t pos = t.find('\n');
    if (pos == std::string::npos || t.substr(0, pos) != kColumns) return bad("damaged (columns)");
    ++pos;
    std::size_t line = 1;
    // The shortest place line is "a\t0\t0\t\t\t\t\t\n": a text of bare line ends
    // reserves no more places than its bytes could hold.
    constexpr std::size_t kMinLineBytes = 11;
    idx.places_.reserve(
        std::min(static_cast<std::size_t>(std::count(t.begin() + pos, t.end(), '\n')),
                 (t.size() - pos) / kMinLineBytes));
    while (pos < t.size()) {
        ++line;
        std::size_t nl = t.find('\n', pos);
        if (nl == std::string::npos) return bad("damaged (line " + std::to_string(line) + ")");
        std::string_view l = t.substr(pos, nl - pos);
        pos = nl + 1;
        std::string_view f[8];
        std::size_t n = 0, start = 0;
        for (std::size_t i = 0; i <= l.size() && n < 9; ++i) {
            if (i == l.size() || l[i] == '\t') {
                if (n < 8) f[n] = l.substr(start, i - start);
                ++n;
                start = i + 1;
            }
        }
        auto lat = parse_degrees(n == 8 ? f[1] : "", 90),
             lon = parse_degrees(n == 8 ? f[2] : "", 180);
        if (n != 8 || f[0].empty() || !lat || !lon)
            return bad("damaged (line " + std::to_string(line) + ")");
        // A name longer than any real one costs only its own length.
        if (f[0].size() > kMaxPlaceNameCharacters)
            f[0] = utf8_prefix(f[0], kMaxPlaceNameCharacters);
        idx.places_.push_back(
            Place{*lat, *lon, PlaceView{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]}});
    }
    idx.by_lat_.resize(idx.places_.size());
    for (std::uint32_t i = 0; i < idx.by_lat_.size(); ++i) idx.by_lat_[i] = i;
    std::stable_sort(idx.by_lat_.begin(), idx.by_lat_.end(), [&](std::uint32_t a, std::uint32_t b) {
        return idx.places_[a].lat_deg < idx.places_[b].lat_deg;
    });
    return idx;
}

std::vector<PlaceHit> PlaceIndex::search(double lat, double lon, double radius_km,
                                         std::size_t max_rows) const {
    std::vector<PlaceHit> hits;
    if (!std::isfinite(lat) || !std::isfinite(lon) || !(radius_km >= 0)) return hits;
    // A place within the radius differs in latitude by at most radius / R:
    // only that band of the latitude order needs a distance.
    double band = radius_km / kPlaceEarthRadiusKm * 180.0 / std::numbers::pi + 1e-9;
    auto lo = std::lower_bound(by_lat_.begin(), by_lat_.end(), lat - band,
                               [&](std::uint32_t k, double v) { return places_[k].lat_deg < v; });
    for (auto it = lo; it != by_lat_.end() && places_[*it].lat_deg <= lat + band; ++it) {
        const Place& p = places_[*it];
        double d = place_distance_km(lat, lon, p.lat_deg, p.lon_deg);
        if (d <= radius_km) hits.push_back({*it, d});
    }
    std::sort(hits.begin(), hits.end(), [](const PlaceHit& a, const PlaceHit& b) {
        return a.distance_km != b.distance_km ? a.distance_km < b.distance_km : a.index < b.index;
    });
    if (hits.size() > max_rows) hits.resize(max_rows);
    return hits;
}

std::span<const std::uint32_t> PlaceIndex::latitude_band(double lat_lo, double lat_hi) const {
    auto by = [&](std::uint32_t i, double v) { return places_[i].lat_deg < v; };
    auto lo = std::lower_bound(by_lat_.begin(), by_lat_.end(), lat_lo, by);
    auto hi = std::upper_bound(lo, by_lat_.end(), lat_hi,
                               [&](double v, std::uint32_t i) { return v < places_[i].lat_deg; });
    return {lo, hi};
}

std::size_t PlaceIndex::memory_bytes() const {
    return (text_ ? text_->capacity() : 0) + places_.capacity() * sizeof(Place) +
           by_lat_.capacity() * sizeof(std::uint32_t);
}

}  // namespace tessaly
