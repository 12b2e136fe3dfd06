#include "mesh/file_part_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace {

// How far a read goes past the stretch's end: enough for the line that crosses it, as lines go
// in model files; a longer line is read on in growing steps.
constexpr std::size_t kPastTheEnd = 4096;

} // namespace

FilePartReader::FilePartReader(int fd, std::size_t bufferBytes)
    : fd_(fd), capacity_(std::max<std::size_t>(bufferBytes, 1)) {}

void FilePartReader::start(std::uint64_t begin, std::uint64_t end) {
    // Reading from the byte before the stretch and passing everything up to and including the
    // first '\n' lands on the first line that starts inside it: right at begin when that byte
    // is a '\n'.
    skipping_ = begin > 0;
    fileAt_ = skipping_ ? begin - 1 : 0;
    stretchEnd_ = end;
    begin_ = end_ = 0;
    done_ = begin >= end;
    endOfFile_ = failed_ = false;
}

bool FilePartReader::next(std::string_view& lines) {
    while (!done_) {
        char* const data = buffer_.get();
        if (skipping_) {
            const void* newline =
                begin_ == end_ ? nullptr : std::memchr(data + begin_, '\n', end_ - begin_);
            if (newline) {
                begin_ = static_cast<std::size_t>(static_cast<const char*>(newline) - data) + 1;
                skipping_ = false;
                done_ = unreadOffset() >= stretchEnd_; // no line starts inside the stretch
            } else {
                begin_ = end_;
                done_ = !fill();
            }
            continue;
        }
        // begin_ is the start of a line of the stretch. Its lines run to the first '\n' from
        // the stretch's last byte on; short of that, the lines read whole so far are handed out.
        const std::size_t held = end_ - begin_;
        const std::uint64_t inStretch = stretchEnd_ - unreadOffset(); // at least 1
        const char* newline = nullptr;
        if (held >= inStretch) {
            const std::size_t last = begin_ + static_cast<std::size_t>(inStretch) - 1;
            newline = static_cast<const char*>(std::memchr(data + last, '\n', end_ - last));
            done_ = newline != nullptr;
        } else if (held > 0) {
            newline = static_cast<const char*>(memrchr(data + begin_, '\n', held));
        }
        if (newline) {
            const std::size_t lineEnd = static_cast<std::size_t>(newline - data) + 1;
            lines = std::string_view(data + begin_, lineEnd - begin_);
            begin_ = lineEnd;
            return true;
        }
        if (!fill()) {
            // The file ends (or fails) inside the line: it is the file's last line.
            done_ = true;
            if (failed_ || begin_ == end_)
                return false;
            lines = std::string_view(buffer_.get() + begin_, end_ - begin_);
            begin_ = end_;
            return true;
        }
    }
    return false;
}

bool FilePartReader::fill() {
    if (endOfFile_)
        return false;
    if (!buffer_)
        buffer_.reset(new char[capacity_]); // no zero-filling: every byte used is read first
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == capacity_) { // one line fills the buffer
        std::unique_ptr<char[]> bigger(new char[capacity_ * 2]);
        std::memcpy(bigger.get(), buffer_.get(), end_);
        buffer_ = std::move(bigger);
        capacity_ *= 2;
    }
    // Up to the stretch's end and a little past it; once past it, as much again as is held.
    const std::size_t space = capacity_ - end_;
    std::size_t want = std::max(kPastTheEnd, end_);
    if (fileAt_ < stretchEnd_) {
        const std::uint64_t left = stretchEnd_ - fileAt_;
        want = left < space ? static_cast<std::size_t>(left) + kPastTheEnd : space;
    }
    want = std::min(want, space);
    ssize_t got = 0;
    do
        got = pread(fd_, buffer_.get() + end_, want, static_cast<off_t>(fileAt_));
    while (got < 0 && errno == EINTR);
    if (got <= 0) {
        endOfFile_ = true;
        failed_ = got < 0;
        return false;
    }
    end_ += static_cast<std::size_t>(got);
    fileAt_ += static_cast<std::uint64_t>(got);
    return true;
}
