#pragma once
// Numbers as the program's fields hold them: decimal text.
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

// Decimal text of a double: at most 15 significant digits, plain notation
// (never an exponent), no trailing zeros, whole numbers without a decimal
// point, never "-0".
std::string num_text(double value);

// Round half to even to a whole number ("2.5" -> 2, "3.5" -> 4).
double round_half_even(double value);

// Round the decimal value written in `text` to 10 decimal places, half to
// even on the decimal digits themselves (not on the binary double), and
// return the rounded value. Throws Failure (type mismatch) for non-numbers.
double round10(std::string_view text);

// Strict conversion of a field text to a number: optional blanks, an optional
// sign, digits with at most one decimal point, an optional exponent. Anything
// else (including the empty text) throws Failure "Type mismatch" (13).
double to_number(std::string_view text);

// Conversion to a whole number in the 32-bit range, rounding half to even;
// throws type mismatch for non-numbers and overflow outside the range.
long to_long(std::string_view text);

// The number to_number reads, or nullopt where it would fail (not a number,
// or beyond the double range).
std::optional<double> try_number(std::string_view text);
// True when to_number would succeed.
bool is_number(std::string_view text);

// A stored window position or size in twips: a whole number any screen can
// hold, else nullopt.
std::optional<int> twips_value(std::string_view text);

// Whole minutes (or any whole number) written as plain digits (blanks
// around them allowed) and within lo..hi; nullopt for anything else.
std::optional<int> minutes_setting(std::string_view text, int lo, int hi);

}  // namespace tessaly
