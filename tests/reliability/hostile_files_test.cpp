// Hostile places.dat files under an address-space limit: whatever a header
// claims and however many places a file packs, the reader allocates no more
// than the file can hold, and memory running out is a refused file, never an
// abort. A sanitizer build reserves terabytes of shadow memory and cannot run
// under such a limit, so there these tests skip themselves.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <zlib.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <random>

#include "places/local_places.h"
#include "places/place_index.h"
#include "sim_fixture.h"

using namespace tessaly;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Lowers the soft RLIMIT_AS to `bytes` for the guard's life.
class AddressSpaceLimit {
public:
    explicit AddressSpaceLimit(rlim_t bytes) {
        getrlimit(RLIMIT_AS, &old_);
        rlimit r = old_;
        r.rlim_cur = bytes;
        ok_ = setrlimit(RLIMIT_AS, &r) == 0;
    }
    ~AddressSpaceLimit() { setrlimit(RLIMIT_AS, &old_); }
    bool ok() const { return ok_; }

private:
    rlimit old_{};
    bool ok_ = false;
};

constexpr rlim_t kMiB = 1024 * 1024;

// An index file whose text is the column line and `chunks` calls of `fill`
// (each appends lines to its argument), compressed piece by piece so that
// the text is never whole in memory. Header size and CRC are the true ones.
std::string streamed_index(std::size_t chunks, const std::function<void(std::string&)>& fill) {
    z_stream s{};
    deflateInit(&s, 1);
    std::string z, piece(1 << 16, '\0'),
        text = "name\tlatitude\tlongitude\tpopulation\tfeature_code\tadmin1\tcountry\ttimezone\n";
    uLong crc = crc32(0L, Z_NULL, 0);
    std::uint64_t size = 0;
    for (std::size_t k = 0; k <= chunks; ++k) {
        if (k > 0) {
            text.clear();
            fill(text);
        }
        crc =
            crc32(crc, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size()));
        size += text.size();
        s.next_in = reinterpret_cast<Bytef*>(text.data());
        s.avail_in = static_cast<uInt>(text.size());
        int flush = k == chunks ? Z_FINISH : Z_NO_FLUSH;
        do {
            s.next_out = reinterpret_cast<Bytef*>(piece.data());
            s.avail_out = static_cast<uInt>(piece.size());
            deflate(&s, flush);
            z.append(piece, 0, piece.size() - s.avail_out);
        } while (s.avail_out == 0);
    }
    deflateEnd(&s);
    std::string file = "TSLYPLC1";
    for (std::uint64_t v : {size, std::uint64_t{crc}})
        for (int i = 0; i < 4; ++i) file += static_cast<char>((v >> (8 * i)) & 0xFF);
    return file + z;
}

}  // namespace

TEST(HostilePlacesDat, AbsurdSizesAndCountsUnderOneGiB) {
    if (kSanitized) GTEST_SKIP() << "no address-space limit under the sanitizers";
    // 135 bytes whose header claims 1 GiB of text.
    std::string tiny = PlaceIndex::encode(
        {PlaceEntry{"Hollow", "35.1", "-97.2", "600", "PPL", "OK", "US", "America/Chicago"}});
    ASSERT_LE(tiny.size(), 135u);
    tiny[8] = tiny[9] = tiny[10] = '\0';
    tiny[11] = '\x40';
    tiny.resize(135, '\0');
    // 50 million one-letter places in about 3 MB, every byte of it sound.
    std::string lines;
    for (int i = 0; i < 100000; ++i) lines += "a\t0\t0\t\t\t\t\t\n";
    std::string dense = streamed_index(500, [&](std::string& t) { t += lines; });
    // Just over the place limit, at a ratio real place text has (about 4 to 1).
    // (One random chunk of 1.2 MB over and over: deflate's 32 KiB window
    // never sees the repetition.)
    std::mt19937 rng(7);
    lines.clear();
    for (int i = 0; i < 100000; ++i) {
        std::uint32_t r = rng();
        lines += std::string{static_cast<char>('a' + r % 26), static_cast<char>('a' + r / 26 % 26),
                             '\t', static_cast<char>('0' + r / 676 % 10)} +
                 "\t0\t\t\t\t\t\n";
    }
    std::string many =
        streamed_index(kMaxIndexPlaces / 100000 + 1, [&](std::string& t) { t += lines; });
    ASSERT_LT(dense.size(), 4 * kMiB);

    AddressSpaceLimit limit(1024 * kMiB);
    ASSERT_TRUE(limit.ok());
    struct Case {
        const char* what;
        const std::string& file;
        std::string why;
    } cases[] = {{"tiny", tiny, "damaged (size)"},
                 {"dense", dense, "damaged (size)"},
                 {"many", many, "too large (more than 20000000 places)"}};
    for (const Case& c : cases) {
        std::string why;
        auto t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(PlaceIndex::decode(c.file, &why)) << c.what;
        EXPECT_EQ(why, c.why) << c.what;
        if (&c.file != &many) {  // refused from the header, before any data is read
            EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(50))
                << c.what;
        }
    }
}

struct HostilePlacesDatInApp : SimTest {};

// A sound index larger than the memory left gives the usual message and the
// built-in places, and the program goes on.
TEST_F(HostilePlacesDatInApp, MemoryRunningOutFallsBackToTheBuiltInIndex) {
    if (kSanitized) GTEST_SKIP() << "no address-space limit under the sanitizers";
    std::mt19937 rng(11);
    std::string lines;
    for (int i = 0; i < 100000; ++i)
        lines += "Place " + std::to_string(rng() % 100000) + "\t" + std::to_string(rng() % 80) +
                 "\t-" + std::to_string(rng() % 170) + "\t\tPPL\tOK\tUS\tAmerica/Chicago\n";
    std::string file = streamed_index(30, [&](std::string& t) { t += lines; });
    boot();
    std::ofstream(dir + "/places.dat", std::ios::binary) << file;
    LocalPlaces local(app());
    {
        // 3 million places hold about 430 MB of views: more than is left.
        AddressSpaceLimit limit(384 * kMiB);
        ASSERT_TRUE(limit.ok());
        local.begin_run();
    }
    EXPECT_GT(local.index().places().size(), 39000u);  // the built-in index
    EXPECT_NE(out.str().find("The place file C:\\\\Tessaly\\\\places.dat cannot be used: it is "
                             "too large for the memory. Tessaly uses its built-in places "
                             "instead."),
              std::string::npos)
        << out.str();
}
