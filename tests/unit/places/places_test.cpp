// The local place source: the index and its search, the dump reader, the
// user's own places and a damaged places.dat.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <sstream>

#include "online/frm_new_eta.h"
#include "places/local_places.h"
#include "places/place_dump.h"
#include "places/place_index.h"
#include "sim_fixture.h"

using namespace tessaly;

namespace {

std::string source_file(const std::string& rel) {
    std::ifstream f(std::string(TESSALY_SOURCE_DIR) + "/" + rel, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

PlaceIndex builtin() {
    auto idx = PlaceIndex::decode(builtin_place_index_bytes());
    EXPECT_TRUE(idx.has_value());
    return idx ? std::move(*idx) : PlaceIndex();
}

PlaceEntry entry(const std::string& name, const std::string& lat, const std::string& lon) {
    return PlaceEntry{name, lat, lon, "600", "PPL", "AK", "US", "America/Adak"};
}

}  // namespace

TEST(PlaceIndex, BuiltInIndexMatchesItsProvenance) {
    PlaceIndex idx = builtin();
    std::string prov = source_file("assets/places/places-na.txt");
    EXPECT_NE(prov.find("Places:   " + std::to_string(idx.places().size())), std::string::npos);
    EXPECT_GT(idx.places().size(), 39000u);
    size_t us = 0;
    for (auto& p : idx.places()) {
        us += p.entry.country == "US";
        EXPECT_NE(p.entry.feature_code, "PPLX") << p.entry.name;
    }
    EXPECT_GT(us, 20000u);
}

// The latitude band and the sort must give exactly what a scan of every
// place gives: same places, same order, at most 20.
TEST(PlaceIndex, SearchEqualsABruteForceScan) {
    PlaceIndex idx = builtin();
    std::mt19937 rng(16);
    std::uniform_real_distribution<double> lat(15, 72), lon(-170, -52), radius(0, 40);
    for (int i = 0; i < 100; ++i) {
        double a = lat(rng), o = lon(rng), r = i % 10 == 0 ? 150 : radius(rng);
        std::vector<std::pair<double, size_t>> all;
        for (size_t k = 0; k < idx.places().size(); ++k) {
            auto& p = idx.places()[k];
            double d = place_distance_km(a, o, p.lat_deg, p.lon_deg);
            if (d <= r) all.push_back({d, k});
        }
        std::sort(all.begin(), all.end());
        if (all.size() > 20) all.resize(20);
        auto hits = idx.search(a, o, r, 20);
        ASSERT_EQ(hits.size(), all.size()) << a << ", " << o << " r " << r;
        for (size_t k = 0; k < hits.size(); ++k) EXPECT_EQ(hits[k].index, all[k].second);
    }
}

TEST(PlaceIndex, EdgesOfTheGlobeAndOfTheRadius) {
    PlaceIndex idx = *PlaceIndex::decode(
        PlaceIndex::encode({entry("West", "51.8", "179.9"), entry("East", "51.8", "-179.9"),
                            entry("Pole", "90", "0"), entry("Edge", "0", "1")}));
    // Across the date line both sides are found, the nearer first.
    auto h = idx.search(51.8, 179.95, 20, 20);
    ASSERT_EQ(h.size(), 2u);
    EXPECT_EQ(idx.places()[h[0].index].entry.name, "West");
    // At the pole every longitude is near; far off the coast nothing is.
    EXPECT_EQ(idx.search(89.95, -120, 10, 20).size(), 1u);
    EXPECT_TRUE(idx.search(-90, 0, 100, 20).empty());
    EXPECT_TRUE(builtin().search(30, -45, 25, 20).empty());  // mid-Atlantic
    // The radius is inclusive; a negative or undefined one finds nothing.
    double d = place_distance_km(0, 0, 0, 1);
    EXPECT_EQ(idx.search(0, 0, d, 20).size(), 1u);
    EXPECT_TRUE(idx.search(0, 0, d * (1 - 1e-12), 20).empty());
    EXPECT_TRUE(idx.search(0, 0, -1, 20).empty());
    EXPECT_TRUE(idx.search(0, 0, std::nan(""), 20).empty());
}

TEST(PlaceIndex, DamagedOrForeignFilesAreRefused) {
    std::string good = PlaceIndex::encode({entry("A", "1", "2")});
    std::string why;
    ASSERT_TRUE(PlaceIndex::decode(good, &why)) << why;
    std::string flipped = good;
    flipped[good.size() - 3] ^= 0x20;
    EXPECT_FALSE(PlaceIndex::decode(flipped, &why));
    EXPECT_FALSE(PlaceIndex::decode(good.substr(0, good.size() - 5), &why));
    EXPECT_FALSE(PlaceIndex::decode("PK\x03\x04 a zip file", &why));
    EXPECT_EQ(why, "not a place index");
    std::string huge = good;
    huge[11] = '\x7F';  // a declared text size beyond the limit
    EXPECT_FALSE(PlaceIndex::decode(huge, &why));
    // Sound compression around a bad line is refused too.
    EXPECT_FALSE(PlaceIndex::decode(PlaceIndex::encode({entry("B", "91", "0")}), &why));
    EXPECT_EQ(why, "damaged (line 2)");
}

// GeoNames names run to 200 characters, a Thai one to 600 bytes: the tool
// keeps them whole, cuts a longer one, and the reader takes what it wrote
// (and cuts an over-long name in a file made elsewhere rather than refuse it).
TEST(PlaceDump, LongNamesReachTheIndexWhole) {
    std::string thai, beyond;
    for (int i = 0; i < 140; ++i) thai += "\xE0\xB8\x81";  // U+0E01, 420 bytes
    for (int i = 0; i < 250; ++i) beyond += "\xE0\xB8\x82";
    auto line = [](const std::string& name) {
        return "1\t" + name + "\t" + name + "\t\t15.87\t100.99\tP\tPPL\tTH\t\t40\t\t\t\t600\t\t\t" +
               "Asia/Bangkok\t2024-01-01\n";
    };
    DumpResult r = read_geonames_dump(line(thai) + line(beyond), {});
    ASSERT_EQ(r.places.size(), 2u);
    EXPECT_EQ(r.names_cut, 1u);
    EXPECT_EQ(r.places[1].name, beyond.substr(0, 3 * kMaxPlaceNameCharacters));
    std::string why;
    auto idx = PlaceIndex::decode(PlaceIndex::encode(r.places), &why);
    ASSERT_TRUE(idx) << why;
    EXPECT_EQ(idx->places()[0].entry.name, thai);

    idx = PlaceIndex::decode(PlaceIndex::encode({entry(beyond, "15.87", "100.99")}), &why);
    ASSERT_TRUE(idx) << why;
    EXPECT_EQ(idx->places()[0].entry.name, beyond.substr(0, 3 * kMaxPlaceNameCharacters));
}

TEST(PlaceDump, KeepsPopulatedPlacesOfTheChosenCountries) {
    std::string dump = source_file("tests/data/places/cities500-fixture.txt");
    DumpResult r = read_geonames_dump(dump, DumpFilter{{"US", "PR", "CA", "MX"}});
    std::vector<std::string> names;
    for (auto& p : r.places) names.push_back(p.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Jones", "Luther", "Spencer", "Aceitunas",
                                               "Charlottetown", "Mexico City"}));
    EXPECT_EQ(r.malformed, 1u);
    const PlaceEntry& luther = r.places[1];
    EXPECT_EQ(luther.lat + " " + luther.lon + " " + luther.population + " " + luther.feature_code +
                  " " + luther.admin1 + " " + luther.country + " " + luther.timezone,
              "35.66173 -97.19559 1541 PPL OK US America/Chicago");
    EXPECT_EQ(read_geonames_dump(dump, {}).places.size(), 7u);  // and Soldeu (AD)
}

TEST(CustomPlaces, SitesCodesFilesAndBadLines) {
    std::map<std::string, std::string> files = {
        {"C:\\T\\sites.txt", "KICT,ICT\nKTLX, okc ,NOPE,CHK\n"},
        {"C:\\T\\citydatabase\\OKCcities.txt",
         "\xEF\xBB\xBF# mine\nHome,35.5,-97.5\n\nNo Coordinates\nFar,95,0\n" +
             std::string(101, 'x') + ",1,1\nTown, 35.6 , -97.4 ,note\n"},
        {"C:\\T\\citydatabase\\CHKcities.txt", "Chickasha,35.05,-97.94\r\n"}};
    auto read = [&](const std::string& p) -> std::optional<std::string> {
        auto it = files.find(p);
        if (it == files.end()) return std::nullopt;
        return it->second;
    };
    CustomPlaces c = read_custom_places("ktlx - GRLevel3", "C:\\T", read);
    std::vector<std::string> got;
    for (auto& p : c.places) got.push_back(p.name + "@" + p.lat + "," + p.lon);
    EXPECT_EQ(got, (std::vector<std::string>{"Home@35.5,-97.5", "Town@35.6,-97.4",
                                             "Chickasha@35.05,-97.94"}));
    EXPECT_EQ(c.problem,
              "Line 4 of C:\\T\\citydatabase\\OKCcities.txt is not a place "
              "(name,latitude,longitude) and was skipped.");
    files["C:\\T\\sites.txt"] = "KTLX,NOPE,OKC\n";
    EXPECT_EQ(read_custom_places("KTLX - GRLevel3", "C:\\T", read).problem,
              "The city file C:\\T\\citydatabase\\NOPEcities.txt cannot be read.");
    // A title of fewer than four characters names no site.
    EXPECT_TRUE(read_custom_places("KTL", "C:\\T", read).no_site);
    files.erase("C:\\T\\sites.txt");
    CustomPlaces none = read_custom_places("", "C:\\T", read);
    EXPECT_FALSE(none.no_site);
    EXPECT_TRUE(none.places.empty());
}

// sites.txt as editors save it is read as the city files are.
TEST(CustomPlaces, SitesFileInEveryEncodingOfItsLines) {
    const std::string city = "C:\\T\\citydatabase\\OKCcities.txt";
    for (const std::string sites : {"\xEF\xBB\xBFKTLX,OKC\r\n", "KICT,ICT\rKTLX,OKC\r",
                                    "  ktlx , okc \n", "KICT,ICT\r\nKTLX,OKC"}) {
        std::map<std::string, std::string> files = {{"C:\\T\\sites.txt", sites},
                                                    {city, "Home,35.5,-97.5\rTown,35.6,-97.4\r"}};
        auto read = [&](const std::string& p) -> std::optional<std::string> {
            auto it = files.find(p);
            if (it == files.end()) return std::nullopt;
            return it->second;
        };
        CustomPlaces c = read_custom_places("KTLX - GRLevel3", "C:\\T", read);
        EXPECT_EQ(c.places.size(), 2u) << sites;
        EXPECT_EQ(c.problem, "") << sites;
    }
}

struct LocalSource : SimTest {};

// A damaged places.dat gives one message and the built-in places; a sound
// one replaces them.
TEST_F(LocalSource, PlacesDatBesideTheProgram) {
    boot("setting version \"4.2\"\nfile places.dat \"TSLYPLC1 broken file\"\nstart\n");
    LocalPlaces broken(app());
    broken.begin_run();
    broken.begin_run();
    EXPECT_EQ(broken.index().places().size(), builtin().places().size());
    std::string o = out.str();
    EXPECT_NE(
        o.find("msgbox \"Tessaly\" \"The place file C:\\\\Tessaly\\\\places.dat cannot be used: "
               "it is damaged (size). Tessaly uses its built-in places instead.\""),
        std::string::npos)
        << o;
    EXPECT_EQ(o.find("msgbox"), o.rfind("msgbox"));

    std::ofstream(dir + "/places.dat", std::ios::binary)
        << source_file("tests/data/places/fixture-places.dat");
    LocalPlaces own(app());
    own.begin_run();
    auto records = own.search(35.66, -97.2, 5);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].name + " " + records[0].lat + " " + records[0].lng,
              "Luther 35.66173 -97.19559");
}

// A sites.txt over the city files' size limit is named, as a city file is.
TEST_F(LocalSource, SitesFileOverTheSizeLimitIsNamed) {
    boot("setting version \"4.2\"\nstart\n");
    std::ofstream(dir + "/sites.txt", std::ios::binary)
        << "KTLX,OKC\n" + std::string(16 * 1024 * 1024, '\n');
    LocalPlaces local(app());
    local.begin_run();
    EXPECT_NE(out.str().find("msgbox \"Tessaly\" \"The site file C:\\\\Tessaly\\\\sites.txt "
                             "cannot be read.\""),
              std::string::npos)
        << out.str();
}
