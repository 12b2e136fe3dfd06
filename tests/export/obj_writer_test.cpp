#include "export/export_obj.h"
#include "export/obj_writer.h"
#include "platform/replace_file.h"
#include "tests/support/gl_test.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <random>

#include <sys/stat.h>

namespace {

std::string fixed6(float value) {
    char buffer[kMaxFixed6Chars];
    return std::string(buffer, formatFixed6(buffer, value));
}

std::string printfFixed(float value) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%f", double(value));
    return buffer;
}

} // namespace

// Edges (signed zeros, halfway cases, the largest and smallest floats, infinities, NaNs), then
// model-range values and arbitrary bit patterns.
TEST(FormatFixed6, WritesWhatPrintfWrites) {
    using F = std::numeric_limits<float>;
    const float edges[] = {
        0.0f,           -0.0f,           -0.0000004f,    0.0078125f, 0.0234375f,  1e-7f,
        -1e-7f,         0.0000005f,      -0.0000005f,    0.9999995f, 123456.789f, -1e10f,
        16777217.0f,    F::denorm_min(), -F::min(),      F::max(),   F::lowest(), F::infinity(),
        -F::infinity(), F::quiet_NaN(),  -F::quiet_NaN()};
    for (float v : edges)
        EXPECT_EQ(fixed6(v), printfFixed(v)) << "bits " << std::bit_cast<std::uint32_t>(v);

    std::mt19937 random(6);
    std::uniform_real_distribution<float> modelRange(-1000.0f, 1000.0f);
    std::uniform_int_distribution<std::uint32_t> anyBits;
    for (int n = 0; n < 200000; ++n) {
        float v = n % 2 ? modelRange(random) : std::bit_cast<float>(anyBits(random));
        ASSERT_EQ(fixed6(v), printfFixed(v)) << "bits " << std::bit_cast<std::uint32_t>(v);
    }
}

// Each face line uses the richest OBJ corner form that every one of its corners supports (the
// sections and counts are checked by the export's golden files).
TEST(ObjWriter, FaceLineFormIsTheOneEveryCornerSupports) {
    using Face = std::vector<ObjCorner>;
    const Face faces[] = {{{0, 1, 2}, {3, 4, 5}, {6, 7, 8}},
                          {{0, 1, 2}, {3, -1, 5}, {6, 7, 8}}, // no texture coordinate
                          {{0, 1, 2}, {3, 4, 5}, {6, 7, -1}}, // no normal
                          {{9, -1, 2}, {10, 4, -1}, {11, 7, 8}, {12, 0, 0}},
                          {}};
    const std::string text = objText([&](ObjWriter& w) {
        for (const Face& face : faces)
            w.face(face);
    });
    EXPECT_EQ(text, "f 1/2/3 4/5/6 7/8/9\nf 1//3 4//6 7//9\nf 1/2 4/5 7/8\nf 10 11 12 13\n");
}

// What the sessions cannot easily stage: a folder or a FIFO where the temporary file goes. The
// folder is reported and the old file kept; the FIFO is cleared away rather than blocking.
TEST(ReplaceFile, TemporaryPathTakenByAFolderOrAFifo) {
    TempDir dir;
    const std::string path = dir.file("model.obj");
    writeFile(path, "old");
    auto header = [](const std::string& temp) {
        return writeObjFile(temp, [](ObjWriter& w) { w.header(); });
    };
    std::filesystem::create_directory(path + ".tmp");
    EXPECT_EQ(replaceFile(path, header), "Is a directory");
    EXPECT_EQ(readFile(path), "old");
    std::filesystem::remove(path + ".tmp");
    ASSERT_EQ(mkfifo((path + ".tmp").c_str(), 0600), 0);
    EXPECT_EQ(replaceFile(path, header), "");
    EXPECT_EQ(readFile(path), "#Created by HollowvistaConverter\n\n");
}
