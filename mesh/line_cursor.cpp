#include "mesh/line_cursor.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>

namespace {

bool isSign(char c) {
    return c == '+' || c == '-';
}

// End of the longest prefix of [p, end) that stream float extraction collects: an optional
// sign, then digits, at most one '.' (not after the exponent mark), and one exponent mark
// with an optional sign once a digit was seen. complete = the prefix is a whole number.
const char* scanFloatToken(const char* p, const char* end, bool& complete) {
    if (p != end && isSign(*p))
        ++p;
    bool mantissa = false, point = false, exponent = false, exponentDigits = false;
    while (p != end) {
        const char c = *p;
        if (isDigit(c)) {
            (exponent ? exponentDigits : mantissa) = true;
        } else if (c == '.' && !point && !exponent) {
            point = true;
        } else if ((c == 'e' || c == 'E') && mantissa && !exponent) {
            exponent = true;
            if (p + 1 != end && isSign(p[1]))
                ++p;
        } else {
            break;
        }
        ++p;
    }
    complete = mantissa && (exponent == exponentDigits);
    return p;
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

} // namespace

bool LineCursor::readWord(std::string_view& word) {
    skipWhitespace();
    const char* begin = pos_;
    int c;
    while ((c = get()) >= 0 && !isBlank(c)) {
    }
    if (c >= 0)
        unget();
    if (pos_ == begin)
        return false; // nothing but whitespace: the end condition is already raised
    // A word that runs to the end of the line is still a word; the next read fails.
    word = std::string_view(begin, static_cast<std::size_t>(pos_ - begin));
    return true;
}

void LineCursor::readFloat(float& value) {
    skipWhitespace();
    if (fail_)
        return;
    bool complete = false;
    const char* begin = pos_;
    const char* tokenEnd = scanFloatToken(pos_, end_, complete);
    pos_ = tokenEnd;
    if (pos_ == end_)
        eof_ = true; // collecting the number looked past the last character
    if (!complete) {
        value = 0;
        fail_ = true;
        return;
    }
    const char* first = *begin == '+' ? begin + 1 : begin;
    float parsed = 0;
    const auto result = std::from_chars(first, tokenEnd, parsed);
    if (result.ec == std::errc() && result.ptr == tokenEnd) {
        value = parsed;
    } else if (tokenOverflows(begin, tokenEnd)) {
        value = *begin == '-' ? -FLT_MAX : FLT_MAX;
        fail_ = true;
    } else {
        value = *begin == '-' ? -0.0f : 0.0f;
    }
    // A number that runs to the end of the line leaves the end condition raised, so the next
    // read fails, but this one succeeded.
}
