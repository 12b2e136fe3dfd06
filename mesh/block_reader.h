// Reads a text file in large blocks of whole lines. Memory stays one block (or the longest
// line, when that is longer) whatever the file's size.
#pragma once

#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

class BlockReader {
  public:
    // file stays owned by the caller and must outlive the reader; blockBytes is the size of
    // the blocks aimed at.
    BlockReader(std::FILE* file, std::size_t blockBytes);

    // The next run of whole lines, each ending with '\n' except possibly the file's last one;
    // valid until the next call. Returns false at the end of the file or when reading fails
    // (then failed() is true).
    bool next(std::string_view& lines);
    bool failed() const { return failed_; }

  private:
    // Moves the unread rest to the front, grows the buffer when the rest fills it, and reads
    // more. Returns false when nothing more could be read.
    bool refill();

    std::FILE* file_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0; // first byte not handed out yet
    std::size_t end_ = 0;   // end of the bytes read so far
    bool endOfFile_ = false;
    bool failed_ = false;
};

// Calls visit(line) for each line of lines, without its '\n'; a last line without one counts.
template <typename Visit> void forEachLine(std::string_view lines, Visit&& visit) {
    const char* p = lines.data();
    const char* end = p + lines.size();
    while (p != end) {
        const char* newline = static_cast<const char*>(std::memchr(p, '\n', end - p));
        const char* lineEnd = newline ? newline : end;
        visit(std::string_view(p, static_cast<std::size_t>(lineEnd - p)));
        p = newline ? newline + 1 : end;
    }
}
