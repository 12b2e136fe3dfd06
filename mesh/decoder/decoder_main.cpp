// hollowvista-decode decodes one image read from standard input and writes the result record
// (and pixels) to standard output. The program starts it afresh for every image, under CPU-time,
// memory and file-size limits, so a decoder that crashes, hangs or runs out of memory on a
// hostile file takes only this process down.
#include "mesh/decoder/decode_bytes.h"
#include "mesh/decoder/image_protocol.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void limit(int resource, rlim_t value) {
    const rlimit bounds{value, value};
    setrlimit(resource, &bounds);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

bool readAll(int fd, std::vector<unsigned char>& data) {
    unsigned char block[1 << 16];
    for (;;) {
        const ssize_t n = read(fd, block, sizeof block);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (data.size() + std::size_t(n) > kMaxImageFileBytes)
            return false;
        data.insert(data.end(), block, block + n);
    }
}

bool writeAll(const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(1, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    limit(RLIMIT_CPU, kDecoderCpuSeconds);
    limit(RLIMIT_FSIZE, 0); // writes no file
    limit(RLIMIT_CORE, 0);
    if (!kAddressSanitizer) // the sanitizer's shadow memory needs the address space
        limit(RLIMIT_AS, kDecoderAddressSpace);
    const int maxSide = argc > 1 ? std::atoi(argv[1]) : 0;
    const std::string extension = argc > 2 ? argv[2] : "";

    std::vector<unsigned char> data;
    DecodedImage image;
    if (!readAll(0, data)) {
        image.error = "refused (larger than 1 GiB)";
    } else {
        image = decodeImageBytes(data.data(), data.size(), extension, maxSide, true);
    }
    DecoderRecord record;
    record.status = image.error.empty() ? 0 : image.tooLarge ? 2 : 1;
    record.width = static_cast<std::uint32_t>(image.width);
    record.height = static_cast<std::uint32_t>(image.height);
    record.bytes =
        static_cast<std::uint32_t>(image.error.empty() ? image.rgba.size() : image.error.size());
    if (!writeAll(&record, sizeof record))
        return 1;
    const bool written = image.error.empty() ? writeAll(image.rgba.data(), image.rgba.size())
                                             : writeAll(image.error.data(), image.error.size());
    return written ? 0 : 1;
}
