#include "mesh/decoder/image_header.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

namespace {

// Bounds-checked reading of a byte range: every accessor answers 0 past the end and sets
// short_, so a header cut anywhere reads as truncated, never as memory beyond the file.
class Bytes {
  public:
    Bytes(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t size() const { return size_; }
    bool has(std::size_t pos, std::size_t count) const {
        return pos <= size_ && count <= size_ - pos;
    }
    unsigned u8(std::size_t pos) {
        if (!has(pos, 1)) {
            short_ = true;
            return 0;
        }
        return data_[pos];
    }
    unsigned le16(std::size_t pos) { return u8(pos) | u8(pos + 1) << 8; }
    unsigned be16(std::size_t pos) { return u8(pos) << 8 | u8(pos + 1); }
    std::uint32_t le32(std::size_t pos) { return le16(pos) | std::uint32_t(le16(pos + 2)) << 16; }
    std::uint32_t be32(std::size_t pos) { return std::uint32_t(be16(pos)) << 16 | be16(pos + 2); }
    bool startsWith(std::string_view prefix) const {
        return size_ >= prefix.size() && std::memcmp(data_, prefix.data(), prefix.size()) == 0;
    }
    const unsigned char* at(std::size_t pos) const { return data_ + pos; }
    bool cut() const { return short_; }

  private:
    const unsigned char* data_;
    std::size_t size_;
    bool short_ = false;
};

constexpr const char* kTruncated = "truncated";
constexpr const char* kMalformed = "malformed header";

// A header whose size fields were read; problem set when reading ran past the end.
ImageHeader sized(ImageFormat format, long long width, long long height, const Bytes& bytes) {
    ImageHeader header;
    header.format = format;
    header.width = width;
    header.height = height;
    if (bytes.cut())
        header.problem = kTruncated;
    else if (width <= 0 || height <= 0)
        header.problem = kMalformed;
    return header;
}

ImageHeader inspectPng(Bytes bytes) {
    // Signature, then chunks of length, type, data and CRC, IHDR first and IEND last.
    if (!bytes.has(8, 25))
        return {ImageFormat::Png, 0, 0, kTruncated};
    if (std::memcmp(bytes.at(12), "IHDR", 4) != 0 || bytes.be32(8) != 13)
        return {ImageFormat::Png, 0, 0, kMalformed};
    ImageHeader header = sized(ImageFormat::Png, bytes.be32(16), bytes.be32(20), bytes);
    if (!header.problem.empty())
        return header;
    bool pictureData = false;
    for (std::size_t pos = 8;;) {
        if (!bytes.has(pos, 12)) {
            header.problem = kTruncated;
            return header;
        }
        const std::uint32_t length = bytes.be32(pos);
        if (length > 0x7fffffffu) {
            header.problem = "malformed chunk";
            return header;
        }
        if (!bytes.has(pos, 12 + std::size_t(length))) {
            header.problem = kTruncated;
            return header;
        }
        const unsigned char* type = bytes.at(pos + 4);
        if (std::memcmp(type, "IDAT", 4) == 0)
            pictureData = true;
        if (std::memcmp(type, "IEND", 4) == 0)
            break;
        pos += 12 + std::size_t(length);
    }
    if (!pictureData)
        header.problem = "no picture data";
    header.builtIn = header.problem.empty();
    return header;
}

// True when the Huffman tables of a DHT segment's body [begin, end) each hold at most 256 codes
// and lie within it (a larger table overruns the decoder's code arrays).
bool huffmanTablesFit(Bytes& bytes, std::size_t begin, std::size_t end) {
    for (std::size_t pos = begin; pos < end;) {
        if (pos + 17 > end)
            return false;
        std::size_t codes = 0;
        for (int i = 1; i <= 16; ++i)
            codes += bytes.u8(pos + i);
        if (codes > 256 || pos + 17 + codes > end)
            return false;
        pos += 17 + codes;
    }
    return true;
}

// The offset of the marker that ends the entropy-coded data starting at pos (a 0xff followed
// by neither a stuffed zero nor a restart code); size when the data runs to the end.
std::size_t endOfScan(Bytes& bytes, std::size_t pos) {
    for (; bytes.has(pos, 2); ++pos) {
        if (bytes.u8(pos) != 0xff)
            continue;
        const unsigned next = bytes.u8(pos + 1);
        if (next != 0x00 && !(next >= 0xd0 && next <= 0xd7))
            return pos;
    }
    return bytes.size();
}

ImageHeader inspectJpeg(Bytes bytes) {
    // Every segment from SOI to EOI, the entropy-coded data of each scan skipped: the frame
    // header gives the size, and every Huffman table, between scans too, must fit.
    ImageHeader header{ImageFormat::Jpeg, 0, 0, kMalformed};
    bool frame = false, scanned = false;
    std::size_t pos = 2;
    for (;;) {
        while (bytes.has(pos, 2) && bytes.u8(pos) == 0xff && bytes.u8(pos + 1) == 0xff)
            ++pos; // fill bytes
        if (!bytes.has(pos, 2)) {
            header.problem = kTruncated;
            return header;
        }
        if (bytes.u8(pos) != 0xff)
            return header;
        const unsigned marker = bytes.u8(pos + 1);
        pos += 2;
        if (marker == 0xd8 || marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7))
            continue; // no length follows
        if (marker == 0xd9) {
            if (!scanned) {
                header.problem = "no picture data";
                return header;
            }
            break;
        }
        if (!bytes.has(pos, 2)) {
            header.problem = kTruncated;
            return header;
        }
        const unsigned length = bytes.be16(pos);
        if (length < 2)
            return header;
        if (!bytes.has(pos, length)) {
            header.problem = kTruncated;
            return header;
        }
        if (marker == 0xc4 && !huffmanTablesFit(bytes, pos + 2, pos + length)) {
            header.problem = "malformed Huffman table";
            return header;
        }
        const bool startOfFrame =
            marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        if (startOfFrame && !frame) {
            if (length < 8)
                return header;
            frame = true;
            header.height = bytes.be16(pos + 3);
            header.width = bytes.be16(pos + 5);
            // Baseline, extended and progressive Huffman coding; the rest (lossless,
            // arithmetic coding) goes to the other decoder.
            header.builtIn = marker <= 0xc2;
        }
        pos += length;
        if (marker == 0xda) {
            if (!frame)
                return header;
            scanned = true;
            pos = endOfScan(bytes, pos);
        }
    }
    if (header.width <= 0 || header.height <= 0) {
        header.builtIn = false;
        return header; // a height given later by a DNL segment is not taken
    }
    header.problem.clear();
    return header;
}

// Skips GIF data sub-blocks from pos; false when the data ends before their terminator.
bool skipSubBlocks(Bytes& bytes, std::size_t& pos) {
    for (;;) {
        if (!bytes.has(pos, 1))
            return false;
        const unsigned count = bytes.u8(pos++);
        if (count == 0)
            return true;
        if (!bytes.has(pos, count))
            return false;
        pos += count;
    }
}

ImageHeader inspectGif(Bytes bytes) {
    ImageHeader header = sized(ImageFormat::Gif, bytes.le16(6), bytes.le16(8), bytes);
    if (!header.problem.empty())
        return header;
    const unsigned flags = bytes.u8(10);
    std::size_t pos = 13 + (flags & 0x80 ? 3u << ((flags & 7) + 1) : 0);
    bool image = false;
    for (;;) {
        if (!bytes.has(pos, 1)) {
            if (!image)
                header.problem = kTruncated;
            break; // a file that ends after a whole picture but lacks its trailer is read
        }
        const unsigned block = bytes.u8(pos++);
        if (block == 0x3b)
            break;
        if (block == 0x21) {
            ++pos; // the extension's label
            if (!skipSubBlocks(bytes, pos)) {
                header.problem = kTruncated;
                break;
            }
        } else if (block == 0x2c) {
            if (!bytes.has(pos, 9)) {
                header.problem = kTruncated;
                break;
            }
            const unsigned local = bytes.u8(pos + 8);
            pos += 9 + (local & 0x80 ? 3u << ((local & 7) + 1) : 0) + 1; // + LZW code size
            if (!skipSubBlocks(bytes, pos)) {
                header.problem = kTruncated;
                break;
            }
            image = true;
        } else {
            header.problem = image ? "" : "malformed block";
            break; // data after the first picture that is no block is not read
        }
    }
    header.builtIn = header.problem.empty();
    return header;
}

// Walks BMP run-length data from pos: true when it reaches its end-of-bitmap code.
bool bmpRunsComplete(Bytes& bytes, std::size_t pos, bool fourBit) {
    while (bytes.has(pos, 2)) {
        const unsigned count = bytes.u8(pos), code = bytes.u8(pos + 1);
        pos += 2;
        if (count > 0 || code == 0)
            continue; // an encoded run, or the end of a line
        if (code == 1)
            return true;
        if (code == 2) {
            pos += 2; // a delta
            continue;
        }
        const std::size_t literal = fourBit ? (code + 1) / 2 : code;
        pos += literal + (literal & 1); // absolute run, padded to a whole word
    }
    return false;
}

ImageHeader inspectBmp(Bytes bytes) {
    const std::uint32_t offset = bytes.le32(10), infoSize = bytes.le32(14);
    long long width = 0, height = 0;
    unsigned bits = 0, compression = 0;
    if (infoSize == 12) {
        width = bytes.le16(18);
        height = bytes.le16(20);
        bits = bytes.le16(24);
    } else if (infoSize >= 40 && infoSize <= 124) {
        width = std::int32_t(bytes.le32(18));
        const std::int32_t rows = std::int32_t(bytes.le32(22));
        height = rows == INT32_MIN ? 0 : rows < 0 ? -static_cast<long long>(rows) : rows;
        bits = bytes.le16(28);
        compression = bytes.le32(30);
    } else {
        return {ImageFormat::Bmp, 0, 0, bytes.cut() ? kTruncated : kMalformed};
    }
    ImageHeader header = sized(ImageFormat::Bmp, width, height, bytes);
    if (!header.problem.empty())
        return header;
    if (!bytes.has(0, 14 + std::size_t(infoSize)) || offset > bytes.size()) {
        header.problem = kTruncated;
        return header;
    }
    if ((compression == 1 && bits == 8) || (compression == 2 && bits == 4)) {
        if (!bmpRunsComplete(bytes, offset, compression == 2))
            header.problem = kTruncated;
        return header; // run-length coded pictures go to the other decoder
    }
    const bool layout = (compression == 0 && (bits == 1 || bits == 4 || bits == 8 || bits == 16 ||
                                              bits == 24 || bits == 32)) ||
                        (compression == 3 && (bits == 16 || bits == 32));
    if (!layout) {
        header.problem = "unsupported layout";
        return header;
    }
    const long long rowBytes = (width * bits + 31) / 32 * 4;
    const long double needed = static_cast<long double>(offset) + (long double)rowBytes * height;
    if (needed > static_cast<long double>(bytes.size())) {
        header.problem = kTruncated;
        return header;
    }
    const bool knownInfo =
        infoSize == 12 || infoSize == 40 || infoSize == 56 || infoSize == 108 || infoSize == 124;
    header.builtIn = knownInfo && !(infoSize == 12 && bits == 16);
    return header;
}

ImageHeader inspectTga(Bytes bytes) {
    const unsigned idLength = bytes.u8(0), mapType = bytes.u8(1), type = bytes.u8(2);
    const unsigned mapLength = bytes.le16(5), mapBits = bytes.u8(7), bits = bytes.u8(16);
    ImageHeader header = sized(ImageFormat::Tga, bytes.le16(12), bytes.le16(14), bytes);
    if (!header.problem.empty())
        return header;
    const bool typeKnown =
        type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
    const bool bitsKnown = bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32;
    const bool mapped = type == 1 || type == 9;
    if (!typeKnown || !bitsKnown || mapType > 1 || (mapped && (mapType != 1 || bits != 8))) {
        header.problem = "unsupported layout";
        return header;
    }
    const std::size_t pixelBytes = (bits + 7) / 8;
    std::size_t pos =
        18 + idLength + (mapType == 1 ? std::size_t(mapLength) * ((mapBits + 7) / 8) : 0);
    const unsigned long long pixels = static_cast<unsigned long long>(header.width) * header.height;
    if (type < 9) {
        if (!bytes.has(pos, 0) || (bytes.size() - pos) / pixelBytes < pixels)
            header.problem = kTruncated;
    } else {
        // Run-length packets: a count byte, then one pixel repeated or count raw pixels.
        unsigned long long covered = 0;
        while (covered < pixels) {
            if (!bytes.has(pos, 1)) {
                header.problem = kTruncated;
                break;
            }
            const unsigned packet = bytes.u8(pos++);
            const std::size_t count = (packet & 0x7f) + 1;
            const std::size_t body = packet & 0x80 ? pixelBytes : count * pixelBytes;
            if (!bytes.has(pos, body)) {
                header.problem = kTruncated;
                break;
            }
            pos += body;
            covered += count;
        }
    }
    header.builtIn = header.problem.empty();
    return header;
}

// Reads the next whitespace-separated decimal of a PNM header, skipping "#" comments.
bool pnmNumber(Bytes& bytes, std::size_t& pos, long long& value) {
    for (;;) {
        if (!bytes.has(pos, 1))
            return false;
        const unsigned c = bytes.u8(pos);
        if (c == '#') {
            while (bytes.has(pos, 1) && bytes.u8(pos) != '\n')
                ++pos;
        } else if (std::isspace(static_cast<int>(c))) {
            ++pos;
        } else {
            break;
        }
    }
    if (!std::isdigit(static_cast<int>(bytes.u8(pos))))
        return false;
    value = 0;
    while (bytes.has(pos, 1) && std::isdigit(static_cast<int>(bytes.u8(pos)))) {
        value = std::min(value * 10 + (bytes.u8(pos) - '0'), 1LL << 40);
        ++pos;
    }
    return true;
}

ImageHeader inspectPnm(Bytes bytes) {
    const unsigned kind = bytes.u8(1) - '0';
    std::size_t pos = 2;
    long long width = 0, height = 0, maxValue = 1;
    const bool bitmap = kind == 1 || kind == 4;
    if (!pnmNumber(bytes, pos, width) || !pnmNumber(bytes, pos, height) ||
        (!bitmap && !pnmNumber(bytes, pos, maxValue)))
        return {ImageFormat::Pnm, 0, 0, bytes.has(pos, 1) ? kMalformed : kTruncated};
    ImageHeader header = sized(ImageFormat::Pnm, width, height, bytes);
    if (header.problem.empty() && (maxValue <= 0 || maxValue > 65535))
        header.problem = kMalformed;
    if (!header.problem.empty())
        return header;
    ++pos; // the one whitespace byte before the samples
    const long double channels = kind == 3 || kind == 6 ? 3 : 1;
    const long double samples = channels * width * height;
    const std::size_t rest = bytes.has(pos, 0) ? bytes.size() - pos : 0;
    long double needed = 0;
    if (kind == 4)
        needed = static_cast<long double>((width + 7) / 8) * height;
    else if (kind >= 5)
        needed = samples * (maxValue > 255 ? 2 : 1);
    else {
        // Text samples: at least one digit and one separator each (a bitmap's 0s and 1s may
        // stand together).
        needed = bitmap ? samples : samples * 2 - 1;
    }
    if (needed > static_cast<long double>(rest))
        header.problem = kTruncated;
    header.builtIn = header.problem.empty();
    return header;
}

} // namespace

std::string imageExtension(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return "";
    std::string extension(name.substr(dot + 1));
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

ImageHeader inspectImage(const unsigned char* data, std::size_t size, std::string_view extension) {
    Bytes bytes(data, size);
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return inspectPng(bytes);
    if (bytes.startsWith("\xff\xd8\xff"))
        return inspectJpeg(bytes);
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return inspectGif(bytes);
    if (bytes.startsWith("BM"))
        return inspectBmp(bytes);
    if (size >= 3 && data[0] == 'P' && data[1] >= '1' && data[1] <= '6' &&
        std::isspace(static_cast<int>(data[2])))
        return inspectPnm(bytes);
    if (extension == "tga" || extension == "icb" || extension == "vda" || extension == "vst")
        return inspectTga(bytes);
    return {};
}
