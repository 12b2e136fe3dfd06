#include "mesh/line_cursor.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstring>

namespace {

bool isSign(char c) {
    return c == '+' || c == '-';
}

// For a complete token whose value lies outside the float range: true when its magnitude is
// too large, false when too small. Compares the decimal position of the first non-zero digit.
bool tokenOverflows(const char* p, const char* end) {
    if (isSign(*p))
        ++p;
    long long position = 0; // decimal exponent of the first non-zero mantissa digit, plus one
    bool seenNonZero = false, afterPoint = false;
    for (; p != end && *p != 'e' && *p != 'E'; ++p) {
        if (*p == '.') {
            afterPoint = true;
        } else if (!seenNonZero && *p == '0') {
            position -= afterPoint ? 1 : 0;
        } else {
            seenNonZero = true;
            position += afterPoint ? 0 : 1;
        }
    }
    long long exponent = 0;
    bool negative = false;
    if (p != end) {
        ++p;
        if (p != end && isSign(*p))
            negative = *p++ == '-';
        for (; p != end; ++p)
            exponent = std::min(exponent * 10 + (*p - '0'), static_cast<long long>(INT_MAX));
    }
    return position + (negative ? -exponent : exponent) > 0;
}

// Correctly rounded float of a complete token, the general way: from_chars, with the stream's
// results beyond the float range (+-FLT_MAX and failure when too large, +-0 when too small).
bool convertToken(const char* begin, const char* end, float& value) {
    const char* first = *begin == '+' ? begin + 1 : begin;
    float parsed = 0;
    const auto result = std::from_chars(first, end, parsed);
    if (result.ec == std::errc() && result.ptr == end) {
        value = parsed;
        return true;
    }
    if (tokenOverflows(begin, end)) {
        value = *begin == '-' ? -FLT_MAX : FLT_MAX;
        return false;
    }
    value = *begin == '-' ? -0.0f : 0.0f;
    return true;
}

// The float nearest to digits * 10^exponent, the quick way, for the short decimals that fill
// OBJ files: digits < 2^53 and 10^|exponent| are exact doubles, so one multiplication or
// division gives the double nearest to the exact value. Rounding that double to float gives
// the float nearest to the exact value unless the double lies exactly halfway between two
// floats (then the exact value may lie off the halfway point) or outside the normal float
// range; those cases return false and take the general way.
bool quickFloat(std::uint64_t digits, int exponent, bool negative, float& value) {
    static constexpr double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (digits > (std::uint64_t{1} << 53) || exponent < -22 || exponent > 22)
        return false;
    if (digits == 0) {
        value = negative ? -0.0f : 0.0f;
        return true;
    }
    const double d =
        exponent < 0 ? double(digits) / powers[-exponent] : double(digits) * powers[exponent];
    if (d < FLT_MIN || d > FLT_MAX)
        return false;
    std::uint64_t bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    constexpr std::uint64_t belowFloat = (std::uint64_t{1} << 29) - 1; // bits a float drops
    if ((bits & belowFloat) == (std::uint64_t{1} << 28))
        return false;
    value = negative ? -static_cast<float>(d) : static_cast<float>(d);
    return true;
}

// 10^n for n <= 19, looked up (it is needed for every fraction read).
std::uint64_t power10(std::ptrdiff_t n) {
    static constexpr std::uint64_t powers[] = {1ull,
                                               10ull,
                                               100ull,
                                               1000ull,
                                               10000ull,
                                               100000ull,
                                               1000000ull,
                                               10000000ull,
                                               100000000ull,
                                               1000000000ull,
                                               10000000000ull,
                                               100000000000ull,
                                               1000000000000ull,
                                               10000000000000ull,
                                               100000000000000ull,
                                               1000000000000000ull,
                                               10000000000000000ull,
                                               100000000000000000ull,
                                               1000000000000000000ull,
                                               10000000000000000000ull};
    return powers[n];
}

} // namespace

bool LineCursor::readWord(std::string_view& word) {
    skipWhitespace();
    if (fail_)
        return false;
    const char* begin = pos_;
    const char* p = begin;
    while (p != end_ && !isBlank(*p))
        ++p;
    pos_ = p;
    if (p == end_)
        eof_ = true; // a word that runs to the end of the line is still read; the next read fails
    word = std::string_view(begin, static_cast<std::size_t>(p - begin));
    return true;
}

std::uint64_t LineCursor::saturatedNumber(const char* first, const char* last) {
    std::uint64_t number = 0;
    for (; first != last; ++first)
        number =
            std::min<std::uint64_t>(number * 10 + static_cast<unsigned>(*first - '0'), INT_MAX);
    return number;
}

void LineCursor::readFloat(float& value) {
    skipWhitespace();
    if (fail_)
        return;
    // Collect what stream extraction collects: an optional sign, digits with at most one '.',
    // then, once a digit was seen, one exponent mark with an optional sign and digits. The
    // significant digits are summed on the way for the quick conversion:
    // value = digits * 10^exponent.
    const char* begin = pos_;
    const char* p = begin;
    const bool negative = *p == '-';
    if (negative || *p == '+')
        ++p;
    const char* wholeStart = p;
    while (p != end_ && *p == '0') // leading zeros
        ++p;
    const DigitRun whole = digitRun(p);
    p = whole.end;
    std::uint64_t digits = whole.value;
    long long significant = whole.count;
    bool mantissa = p != wholeStart;
    int exponent = 0;
    if (p != end_ && *p == '.') {
        const char* fractionStart = ++p;
        if (digits == 0)
            while (p != end_ && *p == '0') // zeros that only place the first significant digit
                ++p;
        const DigitRun fraction = digitRun(p);
        p = fraction.end;
        significant += fraction.count;
        if (significant <= 19)
            digits = digits * power10(fraction.count) + fraction.value;
        exponent = -static_cast<int>(std::min<long long>(p - fractionStart, INT_MAX / 2));
        mantissa = mantissa || p != fractionStart;
    }
    bool complete = mantissa;
    if (mantissa && p != end_ && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negativeExponent = false;
        if (p != end_ && (*p == '+' || *p == '-'))
            negativeExponent = *p++ == '-';
        const char* exponentStart = p;
        int written = 0;
        for (; p != end_ && isDigit(*p); ++p)
            if (written < 100000)
                written = written * 10 + (*p - '0');
        complete = p != exponentStart;
        exponent += negativeExponent ? -written : written;
    }
    pos_ = p;
    if (p == end_)
        eof_ = true; // collecting the number looked past the last character
    if (!complete) {
        value = 0;
        fail_ = true;
    } else if (significant > 19 || !quickFloat(digits, exponent, negative, value)) {
        fail_ = !convertToken(begin, p, value);
    }
}
