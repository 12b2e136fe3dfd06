// A read cursor over one line of text that behaves like an input string stream made from
// that line: words and numbers are whitespace-separated, and reading past the last character
// raises the end-of-input condition, after which every read fails. The OBJ and MTL syntax
// that the reader accepts is defined in terms of exactly these stream reads, so the cursor
// reproduces them (including their failure states) while parsing straight from a buffer.
// Every read is bounds-checked against the line.
#pragma once

#include <climits>
#include <cstdint>
#include <string_view>

// Whitespace as the C locale classifies it: blank, tab, new-line, vertical tab, form feed,
// carriage return. -1 (no character) is neither whitespace nor a digit.
inline bool isBlank(int c) {
    constexpr std::uint64_t blanks = (1ull << ' ') | (0x1full << '\t');
    return static_cast<unsigned>(c) <= ' ' && ((blanks >> c) & 1);
}
inline bool isDigit(int c) {
    return static_cast<unsigned>(c - '0') < 10;
}

class LineCursor {
  public:
    explicit LineCursor(std::string_view line)
        : pos_(line.data()), end_(line.data() + line.size()) {}
    // The same for a line that is followed in memory by its '\n' (never read as part of the
    // line): a run of digits then stops there without checking for the line's end.
    LineCursor(std::string_view line, bool newlineFollows)
        : pos_(line.data()), end_(line.data() + line.size()), newlineFollows_(newlineFollows) {}

    // True once a read ran past the last character (the stream's end-of-input condition).
    bool atEnd() const { return eof_; }

    // Next character as 0..255; -1 when none is left (raising the end condition) or when an
    // earlier read failed.
    int get() {
        if (fail_)
            return -1;
        if (pos_ == end_) {
            eof_ = fail_ = true;
            return -1;
        }
        return static_cast<unsigned char>(*pos_++);
    }
    // Puts back the character that the last successful get returned.
    void unget() {
        if (!fail_)
            --pos_;
    }
    // Skips whitespace, leaving the first other character unread (or raising the end
    // condition when none is left).
    void skipWhitespace() {
        if (fail_)
            return;
        const char* p = pos_; // a local: stores through char pointers could alias a member
        while (p != end_ && isBlank(*p))
            ++p;
        pos_ = p;
        if (p == end_)
            eof_ = fail_ = true;
    }
    // Skips whitespace and consumes the next character when it is c.
    bool consume(char c) {
        skipWhitespace();
        if (fail_ || *pos_ != c)
            return false;
        ++pos_;
        return true;
    }
    // Skips the rest of the line without raising the end condition.
    void skipRest() { pos_ = end_; }

    // Face index: skips whitespace, then reads one or more decimal digits. Fails, consuming only
    // the whitespace, when no digit follows or when a '.' ends the digits (an index has no
    // fraction). Values beyond the int range read as INT_MAX, an index no array reaches.
    bool readIndex(int& value) {
        skipWhitespace();
        if (fail_ || !isDigit(*pos_))
            return false;
        const DigitRun run = digitRun(pos_);
        if (run.end != end_ && *run.end == '.')
            return false;
        if (run.end == end_)
            eof_ = fail_ = true; // looking for the end of the digits ran past the line
        const std::uint64_t number = run.count > 18 ? saturatedNumber(pos_, run.end) : run.value;
        pos_ = run.end;
        value = number < INT_MAX ? static_cast<int>(number) : INT_MAX;
        return true;
    }

    // The two corner forms that fill OBJ files, "p/t/n" and "p" (indices of up to 9 digits),
    // read in one go. Returns 3 or 1 with the indices in values and the cursor left exactly where
    // the general corner steps leave it: after "p/t/n" past trailing whitespace and a '#'
    // comment, after "p" past trailing whitespace. Returns 0 without moving for any other text,
    // which the general steps then read.
    int readSimpleCorner(int (&values)[3]) {
        if (fail_)
            return 0;
        const char* p = pos_;
        while (p != end_ && isBlank(*p))
            ++p;
        int count = 0;
        for (;;) {
            const DigitRun run = digitRun(p);
            if (run.count == 0 || run.count > 9 || (run.end != end_ && *run.end == '.'))
                return 0;
            values[count++] = static_cast<int>(run.value);
            p = run.end;
            if (count == 3 || p == end_ || *p != '/')
                break;
            ++p;
        }
        if (count == 2)
            return 0;
        while (p != end_ && isBlank(*p))
            ++p;
        if (p == end_) {
            eof_ = fail_ = true;
        } else if (count == 1 && *p == '/') {
            return 0; // "p /t": the general steps allow blanks before a slash
        } else if (count == 3 && *p == '#') {
            p = end_; // the comment is skipped without ending the line
        }
        pos_ = p;
        return count;
    }

    // Word extraction: skips whitespace and reads up to the next whitespace. Returns false,
    // leaving word unchanged, when nothing but whitespace is left.
    bool readWord(std::string_view& word);

    // Float extraction with the stream's accepted syntax: optional sign, digits with at most
    // one '.', optional exponent ('e' or 'E', optional sign, digits) once a digit was seen.
    // - only whitespace left: value unchanged, the cursor fails;
    // - text that is no complete number ("", "-", ".", "1e", "1e+"): value 0, the cursor fails;
    // - beyond the float range: value +-FLT_MAX, the cursor fails;
    // - after an earlier failure: value unchanged.
    void readFloat(float& value);

  private:
    struct DigitRun {
        const char* end;      // first character after the digits
        std::uint64_t value;  // their value (exact up to 19 digits)
        std::ptrdiff_t count; // how many digits
    };
    // The run of decimal digits that starts at p, which ends at the latest at the line's end.
    DigitRun digitRun(const char* p) const {
        const char* start = p;
        std::uint64_t value = 0;
        if (newlineFollows_) {
            for (; isDigit(*p); ++p) // the '\n' at the end is no digit
                value = value * 10 + static_cast<unsigned>(*p - '0');
        } else {
            for (; p != end_ && isDigit(*p); ++p)
                value = value * 10 + static_cast<unsigned>(*p - '0');
        }
        return {p, value, p - start};
    }

    // The value of the decimal digits [first, last), at most INT_MAX.
    static std::uint64_t saturatedNumber(const char* first, const char* last);

    const char* pos_;
    const char* end_;
    bool newlineFollows_ = false; // *end_ is the line's '\n'
    bool eof_ = false;
    bool fail_ = false;
};
