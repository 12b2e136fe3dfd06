#include "mesh/block_reader.h"

#include "mesh/growth.h"

#include <algorithm>
#include <cstring>

#include <sys/stat.h>

namespace {

// The first buffer's size: a block, or less for a smaller regular file (one byte more than
// the file, so that its end is seen in the first read); a file that grows meanwhile is still
// read whole, the buffer growing as for a long line.
std::size_t firstBufferSize(std::FILE* file, std::size_t blockBytes) {
    std::size_t size = std::max<std::size_t>(blockBytes, 1);
    struct stat info {};
    if (fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0)
        size = std::min(size, static_cast<std::size_t>(info.st_size) + 1);
    return size;
}

} // namespace

BlockReader::BlockReader(std::FILE* file, std::size_t blockBytes) : file_(file) {
    const std::size_t size = firstBufferSize(file, blockBytes);
    buffer_.reserve(size);
    adviseHugePages(buffer_.data(), size); // before the pages are first touched
    buffer_.resize(size);
}

bool BlockReader::next(std::string_view& lines) {
    for (;;) {
        // Hand out everything up to the last '\n' read so far.
        const char* first = buffer_.data() + begin_;
        const std::size_t available = end_ - begin_;
        std::size_t length = available;
        while (length > 0 && first[length - 1] != '\n')
            --length;
        if (length > 0) {
            lines = std::string_view(first, length);
            begin_ += length;
            return true;
        }
        if (!refill()) {
            // refill may have moved the rest to the front before finding the end of the file.
            if (failed_ || begin_ == end_)
                return false;
            lines = std::string_view(buffer_.data() + begin_, end_ - begin_); // the last line
            begin_ = end_;
            return true;
        }
    }
}

bool BlockReader::refill() {
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
