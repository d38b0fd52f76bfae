#include <gtest/gtest.h>

#include "core/failure.h"
#include "core/numtext.h"

using namespace tessaly;

TEST(NumText, FifteenSignificantDigitsPlainNoTrailingZeros) {
    struct {
        double v;
        const char* want;
    } cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {1.0, "1"},
        {-97.0, "-97"},
        {2.5, "2.5"},
        {0.1, "0.1"},
        {1.0 / 3, "0.333333333333333"},
        {-100.123456789012345, "-100.123456789012"},
        {35.12345678901234567, "35.1234567890123"},
        {1e-7, "0.0000001"},
        {123456789012345678.0, "123456789012346000"},
        {59.997756, "59.997756"},
        {-1e-20, "-0.00000000000000000001"},
    };
    for (auto& c : cases) EXPECT_EQ(num_text(c.v), c.want) << c.v;
}

TEST(NumText, RoundHalfEvenWhole) {
    EXPECT_EQ(round_half_even(2.5), 2);
    EXPECT_EQ(round_half_even(3.5), 4);
    EXPECT_EQ(round_half_even(-2.5), -2);
    EXPECT_EQ(round_half_even(0.5), 0);
    EXPECT_EQ(num_text(round_half_even(-0.4)), "0");
    EXPECT_EQ(round_half_even(11.5077945), 12);
}

TEST(NumText, Round10WorksOnTheDecimalText) {
    // A tie at the 11th decimal goes to the even 10th decimal.
    EXPECT_EQ(num_text(round10("-101.123456789050")), "-101.123456789");
    EXPECT_EQ(num_text(round10("-101.123456789150")), "-101.1234567892");
    EXPECT_EQ(num_text(round10("-101.12345678915")), "-101.1234567892");
    EXPECT_EQ(num_text(round10("35.12345678905000001")), "35.1234567891");
    EXPECT_EQ(num_text(round10("35.123456789")), "35.123456789");
    EXPECT_EQ(num_text(round10("0.99999999999")), "1");
    EXPECT_EQ(num_text(round10("-9.99999999995")), "-10");
    EXPECT_EQ(num_text(round10("-0.00000000004")), "0");
    EXPECT_EQ(num_text(round10("42")), "42");
    EXPECT_THROW(round10("abc"), Failure);
}

TEST(NumText, StrictConversion) {
    EXPECT_DOUBLE_EQ(to_number("35.1"), 35.1);
    EXPECT_DOUBLE_EQ(to_number(" -97.2 "), -97.2);
    EXPECT_DOUBLE_EQ(to_number(".5"), 0.5);
    EXPECT_DOUBLE_EQ(to_number("1e3"), 1000);
    for (const char* bad : {"", " ", "abc", "1,200", "35.1, -97", "1e", "--1", "1.2.3", "0x10"}) {
        try {
            to_number(bad);
            ADD_FAILURE() << bad;
        } catch (const Failure& f) {
            EXPECT_EQ(f.number, 13) << bad;
            EXPECT_EQ(f.description(), "Type mismatch");
        }
    }
    EXPECT_THROW(to_number("1e999"), Failure);
    EXPECT_EQ(to_long("2.5"), 2);
    EXPECT_THROW(to_long("1e12"), Failure);
}

TEST(NumText, FailureMessageLayout) {
    Failure f("Division by zero", 11);
    EXPECT_EQ(failure_message("data_compiler", f),
              "Source: data_compiler Description: Division by zero\rNumber: 11");
}

TEST(NumText, TryNumberFailsWhereToNumberThrows) {
    EXPECT_EQ(try_number(" -97.2 "), -97.2);
    EXPECT_EQ(try_number("1e3"), 1000);
    for (const char* bad : {"", "abc", "1e", "35.1, -97", "1e999"})
        EXPECT_EQ(try_number(bad), std::nullopt) << bad;
}
