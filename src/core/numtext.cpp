#include "core/numtext.h"

#include <cctype>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/failure.h"

namespace tessaly {

std::string num_text(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    if (value == 0) return "0";  // also turns -0 into "0"

    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", value);  // d.dddddddddddddde+XX: 15 digits
    std::string s(buf);
    bool negative = s[0] == '-';
    if (negative) s.erase(0, 1);
    size_t e = s.find('e');
    int exponent = std::atoi(s.c_str() + e + 1);
    std::string digits = s.substr(0, 1) + s.substr(2, e - 2);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out;
    int ndigits = static_cast<int>(digits.size());
    if (exponent < 0) {
        out = "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    } else if (exponent + 1 >= ndigits) {
        out = digits + std::string(static_cast<size_t>(exponent + 1 - ndigits), '0');
    } else {
        out = digits.substr(0, static_cast<size_t>(exponent + 1)) + "." +
              digits.substr(static_cast<size_t>(exponent + 1));
    }
    return negative ? "-" + out : out;
}

double round_half_even(double value) {
    // nearbyint follows the current rounding mode, which is round-to-nearest-even
    // unless someone changed it; say so explicitly rather than trust the default.
    int saved = std::fegetround();
    if (saved != FE_TONEAREST) std::fesetround(FE_TONEAREST);
    double r = std::nearbyint(value);
    if (saved != FE_TONEAREST) std::fesetround(saved);
    return r == 0 ? 0.0 : r;  // no -0
}

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Splits plain decimal text into sign, integer digits and fraction digits.
bool split_plain(std::string_view t, bool& neg, std::string& ip, std::string& fp) {
    size_t i = 0, n = t.size();
    while (i < n && is_blank(t[i])) ++i;
    while (n > i && is_blank(t[n - 1])) --n;
    neg = false;
    if (i < n && (t[i] == '-' || t[i] == '+')) {
        neg = t[i] == '-';
        ++i;
    }
    ip.clear();
    fp.clear();
    while (i < n && t[i] >= '0' && t[i] <= '9') ip += t[i++];
    if (i < n && t[i] == '.') {
        ++i;
        while (i < n && t[i] >= '0' && t[i] <= '9') fp += t[i++];
    }
    return i == n && !(ip.empty() && fp.empty());
}

}  // namespace

namespace {
enum class Parsed { number, mismatch, overflow };

Parsed parse_number(std::string_view text, double& out) {
    size_t i = 0, n = text.size();
    while (i < n && is_blank(text[i])) ++i;
    while (n > i && is_blank(text[n - 1])) --n;
    std::string_view t = text.substr(i, n - i);
    size_t p = 0;
    if (p < t.size() && (t[p] == '+' || t[p] == '-')) ++p;
    size_t digits = 0;
    while (p < t.size() && t[p] >= '0' && t[p] <= '9') ++p, ++digits;
    if (p < t.size() && t[p] == '.') {
        ++p;
        while (p < t.size() && t[p] >= '0' && t[p] <= '9') ++p, ++digits;
    }
    if (digits == 0) return Parsed::mismatch;
    if (p < t.size() && (t[p] == 'e' || t[p] == 'E')) {
        ++p;
        if (p < t.size() && (t[p] == '+' || t[p] == '-')) ++p;
        size_t ed = 0;
        while (p < t.size() && t[p] >= '0' && t[p] <= '9') ++p, ++ed;
        if (ed == 0) return Parsed::mismatch;
    }
    if (p != t.size()) return Parsed::mismatch;
    std::string s(t);
    out = std::strtod(s.c_str(), nullptr);
    return std::isinf(out) ? Parsed::overflow : Parsed::number;
}
}  // namespace

double to_number(std::string_view text) {
    double v = 0;
    switch (parse_number(text, v)) {
        case Parsed::mismatch: fail_type_mismatch();
        case Parsed::overflow: fail_overflow();
        case Parsed::number: break;
    }
    return v;
}

std::optional<double> try_number(std::string_view text) {
    double v = 0;
    if (parse_number(text, v) != Parsed::number) return std::nullopt;
    return v;
}

bool is_number(std::string_view text) { return try_number(text).has_value(); }

long to_long(std::string_view text) {
    double v = round_half_even(to_number(text));
    if (v > 2147483647.0 || v < -2147483648.0) fail_overflow();
    return static_cast<long>(v);
}

double round10(std::string_view text) {
    bool neg;
    std::string ip, fp;
    if (!split_plain(text, neg, ip, fp)) {
        // Not plain decimal (an exponent): go through the 15-digit text first.
        return round10(num_text(to_number(text)));
    }
    if (ip.empty()) ip = "0";
    if (fp.size() > 10) {
        char d11 = fp[10];
        bool rest_nonzero = fp.find_first_not_of('0', 11) != std::string::npos;
        std::string kept = ip + fp.substr(0, 10);
        bool up = d11 > '5' || (d11 == '5' && rest_nonzero) ||
                  (d11 == '5' && !rest_nonzero && ((kept.back() - '0') % 2 == 1));
        if (up) {
            int k = static_cast<int>(kept.size()) - 1;
            while (k >= 0) {
                if (kept[static_cast<size_t>(k)] == '9') {
                    kept[static_cast<size_t>(k)] = '0';
                    --k;
                } else {
                    ++kept[static_cast<size_t>(k)];
                    break;
                }
            }
            if (k < 0) kept.insert(kept.begin(), '1');
        }
        ip = kept.substr(0, kept.size() - 10);
        fp = kept.substr(kept.size() - 10);
    }
    std::string s = (neg ? "-" : "") + ip + "." + fp;
    double v = std::strtod(s.c_str(), nullptr);
    return v == 0 ? 0.0 : v;
}

std::optional<int> twips_value(std::string_view text) {
    std::optional<double> v = try_number(text);
    if (!v || *v != static_cast<int>(*v) || std::abs(*v) > 1e7) return std::nullopt;
    return static_cast<int>(*v);
}

std::optional<int> minutes_setting(std::string_view text, int lo, int hi) {
    size_t a = text.find_first_not_of(' ');
    if (a == std::string_view::npos) return std::nullopt;
    size_t b = text.find_last_not_of(' ');
    std::string_view digits = text.substr(a, b - a + 1);
    if (digits.size() > 9) return std::nullopt;  // keeps the sum below in range
    int v = 0;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v < lo || v > hi) return std::nullopt;
    return v;
}

}  // namespace tessaly
