#include <gtest/gtest.h>

#include "core/failure.h"
#include "viewer/statusbar.h"

using tessaly::Failure;
using tessaly::parse_position;

TEST(PositionParser, SplitsAtTheFirstCommaAndTrims) {
    struct {
        const char* in;
        const char* lat;
        const char* lon;
    } cases[] = {
        {"35.2231, -97.4412", "35.2231", "-97.4412"},
        {"  35.1, -97.2  ", "35.1", "-97.2"},
        {"35.1,-97.2", "35.1", "-97.2"},
        {"35.1, -97.2, 1200 ft", "35.1", "-97.2, 1200 ft"},
        {"35.1, -97.2>x", "35.1", "-97.2"},
        {"35.1>, -97.2", "35.1>", "-97.2"},  // a ">" before the comma stays in the latitude
        {"<35.1, -97.2", "<35.1", "-97.2"},
        {",", "", ""},
        {"abc, def", "abc", "def"},  // passed on as text, unchecked
    };
    for (auto& c : cases) {
        auto [lat, lon] = parse_position(c.in);
        EXPECT_EQ(lat, c.lat) << c.in;
        EXPECT_EQ(lon, c.lon) << c.in;
    }
}

TEST(PositionParser, NoCommaFails) {
    EXPECT_THROW(parse_position("35.1 -97.2"), Failure);
    EXPECT_THROW(parse_position(""), Failure);
    EXPECT_THROW(parse_position(std::string(255, 'x')), Failure);
}
