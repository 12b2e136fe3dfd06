// Reads the lines of one stretch of a regular file straight from the file (pread at the
// stretch's own offsets), so that threads can each read their own stretch side by side without
// one of them copying the whole file first. A stretch owns the lines that start inside it: the
// line that crosses its end is read on past the end, and the line that crosses its start is
// left to the stretch before. Memory stays one buffer (or the longest line, when that is
// longer), kept from stretch to stretch and never cleared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

class FilePartReader {
  public:
    // The end of a stretch that runs on to wherever the file ends, however long it grows.
    static constexpr std::uint64_t toTheEnd = UINT64_MAX;

    // fd stays owned by the caller and must outlive the reader; bufferBytes is the size of the
    // reads aimed at (at least 1).
    FilePartReader(int fd, std::size_t bufferBytes);

    // Starts on the lines that start at the offsets [begin, end) of the file.
    void start(std::uint64_t begin, std::uint64_t end);

    // The next run of whole lines of the stretch, each ending with '\n' except possibly the
    // file's last one; valid until the next call. Returns false when the stretch holds no more
    // or when reading fails (then failed() is true). A file cut short while being read just
    // ends sooner.
    bool next(std::string_view& lines);
    bool failed() const { return failed_; }

  private:
    // Moves the unread rest to the front, grows the buffer when the rest fills it, and reads
    // more. Returns false when nothing more could be read (the file's end or a failure).
    bool fill();
    // The file offset of the first unread byte.
    std::uint64_t unreadOffset() const { return fileAt_ - (end_ - begin_); }

    int fd_;
    std::size_t capacity_;
    std::unique_ptr<char[]> buffer_; // made on first use, never zero-filled
    std::size_t begin_ = 0;          // first byte not handed out yet
    std::size_t end_ = 0;            // end of the bytes read so far
    std::uint64_t fileAt_ = 0;       // file offset of buffer_[end_]: where the next read starts
    std::uint64_t stretchEnd_ = 0;   // lines starting at or after this belong to the next
    bool skipping_ = false;          // still passing the line that started before the stretch
    bool done_ = true;
    bool endOfFile_ = false;
    bool failed_ = false;
};
