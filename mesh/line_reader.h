// Reads a text file line by line in large blocks, handing out each line as a view into its
// own buffer. Lines end at '\n' (not part of the line); a last line without one still counts.
// Memory stays one block plus the longest line, whatever the file's size.
#pragma once

#include <cstdio>
#include <string_view>
#include <vector>

class LineReader {
  public:
    // file stays owned by the caller and must outlive the reader.
    explicit LineReader(std::FILE* file);

    // The next line, valid until the next call. Returns false at the end of the file or when
    // reading fails (then failed() is true).
    bool next(std::string_view& line);
    bool failed() const { return failed_; }

  private:
    // Moves the unread rest to the front, grows the buffer when the rest fills it, and reads
    // more. Returns false when nothing more could be read.
    bool refill();

    std::FILE* file_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;   // first unread byte
    std::size_t scanned_ = 0; // bytes from begin_ already known to hold no '\n'
    std::size_t end_ = 0;     // end of the bytes read so far
    bool endOfFile_ = false;
    bool failed_ = false;
};
