#include "mesh/line_reader.h"

#include <cstring>

namespace {
constexpr std::size_t blockSize = 1 << 18;
}

LineReader::LineReader(std::FILE* file) : file_(file), buffer_(blockSize) {}

bool LineReader::next(std::string_view& line) {
    for (;;) {
        const char* from = buffer_.data() + begin_ + scanned_;
        const void* newline = std::memchr(from, '\n', end_ - begin_ - scanned_);
        if (newline) {
            const std::size_t length =
                static_cast<const char*>(newline) - (buffer_.data() + begin_);
            line = std::string_view(buffer_.data() + begin_, length);
            begin_ += length + 1;
            scanned_ = 0;
            return true;
        }
        scanned_ = end_ - begin_;
        if (!refill()) {
            if (failed_ || begin_ == end_)
                return false;
            line = std::string_view(buffer_.data() + begin_, end_ - begin_);
            begin_ = end_;
            scanned_ = 0;
            return true;
        }
    }
}

bool LineReader::refill() {
    if (endOfFile_)
        return false;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buffer_.size())
        buffer_.resize(buffer_.size() * 2);
    const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
    end_ += got;
    if (got == 0) {
        endOfFile_ = true;
        failed_ = std::ferror(file_) != 0;
        return false;
    }
    return true;
}
