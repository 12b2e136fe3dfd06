// A read cursor over one line of text that behaves like an input string stream made from
// that line: words and numbers are whitespace-separated, and reading past the last character
// raises the end-of-input condition, after which every read fails. The OBJ and MTL syntax
// that the reader accepts is defined in terms of exactly these stream reads, so the cursor
// reproduces them (including their failure states) while parsing straight from a buffer.
// Every read is bounds-checked against the line.
#pragma once

#include <string_view>

// Whitespace as the C locale classifies it: blank, tab, new-line, vertical tab, form feed,
// carriage return.
inline bool isBlank(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
inline bool isDigit(int c) {
    return c >= '0' && c <= '9';
}

class LineCursor {
  public:
    explicit LineCursor(std::string_view line)
        : pos_(line.data()), end_(line.data() + line.size()) {}

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
    // Skips whitespace, leaving the first other character unread.
    void skipWhitespace() {
        int c;
        while (isBlank(c = get())) {
        }
        if (c >= 0)
            unget();
    }
    // Skips the rest of the line without raising the end condition.
    void skipRest() { pos_ = end_; }

    const char* position() const { return pos_; }
    // Returns to a position taken earlier from position().
    void seek(const char* p) { pos_ = p; }

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
    const char* skipBlanksRaw();

    const char* pos_;
    const char* end_;
    bool eof_ = false;
    bool fail_ = false;
};
