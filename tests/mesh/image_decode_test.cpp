// Image decoding in its own process: every lossless format gives back exactly the picture
// written, a file cut anywhere is refused or still whole, hostile headers are judged before
// decoding, and a decoder that crashes, hangs or answers nonsense only fails the one image.
#include "mesh/decoder/decode_bytes.h"
#include "mesh/decoder/image_header.h"
#include "mesh/image_decode.h"
#include "tests/fuzz/fuzz_inputs.h"
#include "tests/fuzz/image_check.h"
#include "tests/support/gl_test.h"
#include "tests/support/images.h"

#include <sys/stat.h>

#include <cstdlib>

using namespace std::string_literals;

namespace {

// A 5 x 3 picture of distinct colours, rows top first, and the same bottom row first as the
// decoder gives it.
std::vector<Rgba> picture() {
    std::vector<Rgba> p;
    for (int i = 0; i < 15; ++i)
        p.push_back({std::uint8_t(i * 17), std::uint8_t(255 - i * 9), std::uint8_t(i * i), 255});
    return p;
}

std::vector<unsigned char> bottomFirst(const std::vector<Rgba>& topFirst, int width, int height) {
    std::vector<unsigned char> rows;
    for (int y = height - 1; y >= 0; --y)
        for (int x = 0; x < width; ++x)
            rows.insert(rows.end(), topFirst[y * width + x].begin(), topFirst[y * width + x].end());
    return rows;
}

std::string bytesOf(const std::string& path) {
    return readFile(path);
}

DecodedImage decodeHere(const std::string& bytes, const std::string& extension) {
    return decodeImageBytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                            extension, 0, false);
}

std::string be32(std::uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}
std::string chunk(const std::string& type, const std::string& body) {
    return be32(std::uint32_t(body.size())) + type + body + "CRC!";
}
// A PNG of the given size whose chunks are whole (its picture data is not).
std::string pngOfSize(std::uint32_t width, std::uint32_t height) {
    return "\x89PNG\r\n\x1a\n"s + chunk("IHDR", be32(width) + be32(height) + "\x08\x06\0\0\0"s) +
           chunk("IDAT", "x") + chunk("IEND", "");
}

class ImageDecode : public testing::Test {
  protected:
    void SetUp() override { testContext(16, 16); } // sets DevIL up, which writes the files
    TempDir dir;
};

} // namespace

TEST_F(ImageDecode, LosslessFormatsGiveThePictureExactlyAndCutFilesAreRefused) {
    const std::vector<unsigned char> expected = bottomFirst(picture(), 5, 3);
    // The PNM text layout, which DevIL does not write: the samples as decimals.
    std::string text = "P3\n# a comment\n5 3\n255\n";
    for (const Rgba& texel : picture())
        text += std::to_string(texel[0]) + " " + std::to_string(texel[1]) + " " +
                std::to_string(texel[2]) + "\n";
    writeFile(dir.file("text.ppm"), text);
    for (const char* name : {"p.png", "p.bmp", "p.tga", "p.ppm", "text.ppm"}) {
        SCOPED_TRACE(name);
        if (std::string(name) != "text.ppm")
            saveImage(dir.file(name), 5, 3, picture());
        const DecodedImage whole = decodeImageFile(dir.file(name));
        ASSERT_EQ(whole.error, "");
        EXPECT_EQ(whole.width, 5);
        EXPECT_EQ(whole.height, 3);
        // The picture's alpha is 255; formats without alpha give 255 too.
        EXPECT_EQ(whole.rgba, expected);

        // Cut anywhere, a file is refused, or (cut only after its pixels) still whole.
        const std::string bytes = bytesOf(dir.file(name));
        const std::string extension = imageExtension(name);
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            const DecodedImage cut = decodeHere(bytes.substr(0, length), extension);
            if (cut.error.empty())
                EXPECT_EQ(cut.rgba, expected) << "cut to " << length << " bytes";
            else
                EXPECT_TRUE(cut.rgba.empty() && cut.width == 0) << length;
        }
    }
}

TEST_F(ImageDecode, HeadersAreJudgedBeforeDecoding) {
    // The first 57 bytes of a PNG whose gAMA chunk is followed by a chunk header alone.
    const std::string gammaCut =
        ("\x89PNG\r\n\x1a\n"s + chunk("IHDR", be32(512) + be32(512) + "\x08\x02\0\0\0"s) +
         chunk("gAMA", be32(45455)) + be32(8192) + "IDAT")
            .substr(0, 57);
    // A BMP 1 x -2147483647: stored top-down, more rows than any memory holds.
    std::string tallBmp = "BM" + std::string(8, '\0') + "\x36\0\0\0\x28\0\0\0"s;
    tallBmp += "\x01\0\0\0\x01\0\0\x80\x01\0\x18\0"s + std::string(24, '\0');
    struct Case {
        const char* name;
        std::string bytes, extension, error;
        long long width, height;
    };
    const Case cases[] = {
        {"png cut after a chunk header", gammaCut, "png", "truncated", 512, 512},
        {"bmp of -2147483647 rows", tallBmp, "bmp", "truncated", 1, 2147483647},
        {"png of 20000 x 20000", pngOfSize(20000, 20000), "png", "too large", 20000, 20000},
        {"png of 0 x 7", pngOfSize(0, 7), "png", "malformed header", 0, 7},
        {"png of 2^31 x 1", pngOfSize(0x80000000u, 1), "png", "too large", 0x80000000LL, 1},
        {"tga without its pixels", "\0\0\x02"s + std::string(9, '\0') + "\x40\0\x40\0\x18\0"s,
         "tga", "truncated", 64, 64},
        {"jpeg without its end",
         "\xff\xd8\xff\xc0\0\x0b\x08\0\x10\0\x20\x01\x01\x11\0"
         "\xff\xda\0\x08\x01\x01\0\0\x3f\0\x12\x34"s,
         "jpg", "truncated", 32, 16},
        {"gif cut in its picture", "GIF89a\x04\0\x04\0\0\0\0,\0\0\0\0\x04\0\x04\0\0\x02\x05"s,
         "gif", "truncated", 4, 4},
        {"pgm short of samples", "P5 4 4 255\n0123456789", "pgm", "truncated", 4, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto* data = reinterpret_cast<const unsigned char*>(c.bytes.data());
        const ImageHeader header = inspectImage(data, c.bytes.size(), c.extension);
        EXPECT_EQ(header.width, c.width);
        EXPECT_EQ(header.height, c.height);
        const DecodedImage image =
            decodeImageBytes(data, c.bytes.size(), c.extension, 16384, false);
        EXPECT_EQ(image.error, c.error);
        EXPECT_TRUE(image.rgba.empty());
        EXPECT_EQ(image.tooLarge, c.error == "too large");
    }
}

TEST_F(ImageDecode, ADecoderThatFailsFailsOnlyItsImage) {
    saveImage(dir.file("fine.png"), 5, 3, picture());
    struct Case {
        const char* name;
        std::string script, error;
    };
    const Case cases[] = {
        {"crash", "kill -SEGV $$", "the decoder crashed (Segmentation fault)"},
        {"hang", "exec sleep 30", "decoding took longer than 1 s"},
        {"processor time", "kill -XCPU $$", "decoding took more than 10 s of processor time"},
        {"nonsense", "printf 'HVIM\\0\\0\\0\\0\\1\\0\\0\\0\\1\\0\\0\\0\\7\\0\\0\\0'",
         "the decoder failed"},
        {"silence", "exit 0", "the decoder failed"},
    };
    const std::string fake = dir.file("fake-decoder");
    setenv("HV_IMAGE_DECODER", fake.c_str(), 1);
    setenv("HV_IMAGE_DECODE_SECONDS", "1", 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(fake, "#!/bin/sh\ncat >/dev/null\n" + c.script + "\n");
        chmod(fake.c_str(), 0700);
        const DecodedImage image = decodeImageFile(dir.file("fine.png"));
        EXPECT_EQ(image.error, c.error);
        EXPECT_TRUE(image.rgba.empty());
    }
    unsetenv("HV_IMAGE_DECODER");
    unsetenv("HV_IMAGE_DECODE_SECONDS");
    EXPECT_EQ(decodeImageFile(dir.file("fine.png")).rgba, bottomFirst(picture(), 5, 3));
    const std::string bytes = bytesOf(dir.file("fine.png"));
    EXPECT_EQ(
        decodeImageMemory(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()).rgba,
        bottomFirst(picture(), 5, 3));
}

TEST(FuzzReplay, ImageSeedsAndFindingsDecodeWholeOrNotAtAll) {
    replayFuzzInputs("image", checkImageInput);
}

TEST_F(ImageDecode, JpegPixelsAreThoseDevilGaveBefore) {
    std::vector<Rgba> detail;
    for (int i = 0; i < 48 * 32; ++i)
        detail.push_back(
            {std::uint8_t(i * 7), std::uint8_t(i / 5), std::uint8_t(255 - i % 97), 255});
    saveImage(dir.file("p.jpg"), 48, 32, detail);
    int width = 0, height = 0;
    const std::vector<unsigned char> devil = loadTopDown(dir.file("p.jpg"), width, height);
    const DecodedImage image = decodeImageFile(dir.file("p.jpg"));
    ASSERT_EQ(image.error, "");
    ASSERT_EQ(image.width * image.height, width * height);
    std::vector<unsigned char> rgbTopDown;
    for (int y = height - 1; y >= 0; --y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                rgbTopDown.push_back(image.rgba[(std::size_t(y) * width + x) * 4 + c]);
    EXPECT_EQ(rgbTopDown, devil);
}
