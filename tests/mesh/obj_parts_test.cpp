// Reading a file in parts that each read their own bytes: the parts together hand out every
// line once, in order, wherever they are cut (after a '\n', inside a line, inside a line longer
// than a part, without a final '\n', between '\r' and '\n'), a file cut short or grown while
// read ends cleanly, and the reader's results, console lines and refusals are those of one
// block read through one buffer.
#include "mesh/file_part_reader.h"
#include "mesh/obj_loader.h"
#include "tests/support/console.h"
#include "tests/support/gl_test.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

struct Fd {
    explicit Fd(const std::string& path) : fd(open(path.c_str(), O_RDONLY)) {}
    ~Fd() { close(fd); }
    int fd;
};

// The runs that reader hands out for the stretch [begin, end).
std::vector<std::string> runsOf(FilePartReader& reader, std::uint64_t begin, std::uint64_t end) {
    reader.start(begin, end);
    std::vector<std::string> runs;
    std::string_view lines;
    while (reader.next(lines))
        runs.emplace_back(lines);
    EXPECT_FALSE(reader.failed());
    return runs;
}

const std::pair<const char*, std::string> kTexts[] = {
    {"empty", ""},
    {"one newline", "\n"},
    {"no final newline", "v 1 2 3\nv 4 5 6"},
    {"blank lines", "\n\n\nv 1 2 3\n\n"},
    {"carriage returns", "v 1 2 3\r\nf 1 1 1\r\n\r\nvt 0 0\r\n"},
    {"a line longer than every part",
     "v 1 2 3\nf" + std::string(300, ' ') + "1 1 1\nv 4 5 6\n" + std::string(200, 'x')},
    {"short lines", "a\nb\nc\nd\ne\nf\ng\n"},
};

} // namespace

TEST(FilePartReader, PartsTogetherHandOutEveryLineOnceInOrder) {
    TempDir dir;
    const std::string path = dir.file("lines.obj");
    for (const auto& [name, text] : kTexts) {
        writeFile(path, text);
        const Fd file(path);
        for (const std::size_t buffer : {1, 2, 3, 8, 1024})
            for (const std::size_t part : {1, 2, 3, 5, 8, 13, 1000}) {
                FilePartReader reader(file.fd, buffer);
                std::string joined;
                for (std::uint64_t begin = 0; begin < text.size(); begin += part) {
                    const bool last = begin + part >= text.size();
                    const std::vector<std::string> runs =
                        runsOf(reader, begin, last ? FilePartReader::toTheEnd : begin + part);
                    for (const std::string& run : runs) {
                        // Whole lines only: a run ends with its '\n', but for the file's last.
                        const bool fileEnd = joined.size() + run.size() == text.size();
                        EXPECT_TRUE(!run.empty() && (run.back() == '\n' || fileEnd))
                            << name << ", buffer " << buffer << ", part " << part;
                        joined += run;
                    }
                }
                EXPECT_EQ(joined, text) << name << ", buffer " << buffer << ", part " << part;
            }
        // A stretch wholly beyond the end holds nothing.
        FilePartReader reader(file.fd, 4);
        EXPECT_TRUE(runsOf(reader, text.size() + 5, text.size() + 9).empty()) << name;
    }
}

TEST(FilePartReader, AFileCutShortOrGrownWhileReadEndsCleanly) {
    TempDir dir;
    const std::string path = dir.file("changing.obj");
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "v " + std::to_string(i) + " 0 0\n";
    for (const bool grow : {false, true}) {
        writeFile(path, text);
        const Fd file(path);
        FilePartReader reader(file.fd, 16);
        reader.start(0, FilePartReader::toTheEnd);
        std::string_view lines;
        ASSERT_TRUE(reader.next(lines));
        std::string joined(lines);
        if (grow)
            writeFile(path, text + text + "v 7 7 7"); // rewritten in place, longer
        else
            ASSERT_EQ(truncate(path.c_str(), 30), 0);
        while (reader.next(lines))
            joined += lines;
        EXPECT_FALSE(reader.failed());
        // Cut short: what was read before and what was left; grown: the whole longer file.
        if (grow)
            EXPECT_EQ(joined, text + text + "v 7 7 7");
        else
            EXPECT_EQ(joined, text.substr(0, std::max<std::size_t>(30, joined.size())));
    }
}

namespace {

struct Reading {
    ObjLoader reader;
    bool ok = false;
    Console console;
};

Reading readWith(const std::string& path, const ObjReadOptions& options) {
    Reading r;
    r.reader.options = options;
    r.console = captureConsole([&] { r.ok = r.reader.loader(path); });
    return r;
}

// Everything a reading gives, as text, so that a difference shows where it lies.
std::string described(const Reading& r) {
    const ObjLoader& o = r.reader;
    std::string out = (r.ok ? "ok\n" : "refused\n") + r.console.err;
    auto bits = [&](const void* data, std::size_t bytes) {
        std::string hex;
        const auto* p = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < bytes; ++i)
            hex += "0123456789abcdef"[p[i] >> 4], hex += "0123456789abcdef"[p[i] & 15];
        return hex + "\n";
    };
    out += "v " + bits(o.vertices.data(), o.vertices.size() * sizeof(Vec3));
    out += "vn " + bits(o.normals.data(), o.normals.size() * sizeof(Vec3));
    out += "vt " + bits(o.texCoords.data(), o.texCoords.size() * sizeof(Vec2));
    out += "colours " + bits(o.vertexColours.data(), o.vertexColours.size() * sizeof(Vec3));
    auto lists = [&](const char* name, const Shared<IndexLists>& l) {
        out += name;
        out += &l != &o.faces && l.sharesWith(o.faces) ? " shared" : "";
        for (std::size_t f = 0; f < l.size(); ++f) {
            out += " |";
            for (const int i : l[f])
                out += " " + std::to_string(i);
        }
        out += "\n";
    };
    lists("f", o.faces);
    lists("ft", o.texCoordFaces);
    lists("fn", o.normalFaces);
    out += "g " + o.groupName + ", material " + o.material.name + "\n";
    for (const MaterialRun& run : o.materialRuns)
        out += "run " + std::to_string(run.face) + " " + run.name + "\n";
    return out;
}

// A model of count random lines of the kinds that decide the reader's paths: numbers of every
// form, faces of every corner form (some broken), names, comments, blank lines, '\r'.
std::string randomModel(std::mt19937& random, int count) {
    const char* const lines[] = {"v 1.5 -2.25 3e2",
                                 "v 0.1 0.2 0.3 0.5 0.5 0.5",
                                 "v 1 x 3",
                                 "vt 0.25 0.75",
                                 "vn 0 0 1",
                                 "f 1 2 3",
                                 "f 1/1/1 2/2/2 3/3/3",
                                 "f 1/2/3 2/3/1 3/1/2",
                                 "f 1//1 2//2 3//2",
                                 "f 1/1 2/2 3/3 1/1",
                                 "f 1/1/ 2/2/ 3/3/",
                                 "f 1 2.5 3",
                                 "f",
                                 "f 1 2 3 # note",
                                 "g part",
                                 "usemtl red",
                                 "usemtl",
                                 "mtllib missing.mtl",
                                 "# comment",
                                 "",
                                 "   ",
                                 "v -12.3456789 7.000001 -0.0000001\r",
                                 "f 3 2 1\r",
                                 "o thing",
                                 "v 123456789012345678901234567890 1e39 1e-50"};
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += lines[random() % std::size(lines)];
        text += '\n';
    }
    if (random() % 2)
        text.pop_back(); // no final newline
    return text;
}

} // namespace

TEST(ObjLoader, PartsThatReadTheFileGiveWhatOneBlockGives) {
    TempDir dir;
    const std::string path = dir.file("parts.obj");
    std::vector<std::pair<std::string, std::string>> models(std::begin(kTexts), std::end(kTexts));
    std::mt19937 random(2024);
    for (int i = 0; i < 6; ++i)
        models.emplace_back("random model " + std::to_string(i), randomModel(random, 60));
    const ObjReadOptions oneBlock{std::size_t{1} << 24, 1, std::size_t{1} << 24, {}, false};
    for (const auto& [name, text] : models) {
        writeFile(path, text);
        const std::string expected = described(readWith(path, oneBlock));
        for (const unsigned threads : {1u, 2u, 3u})
            for (const std::size_t block : {std::size_t{7}, std::size_t{64}, std::size_t{1} << 20})
                for (const std::size_t part : {1, 3, 16}) {
                    const ObjReadOptions parts{block, threads, part, {}, true};
                    EXPECT_EQ(described(readWith(path, parts)), expected)
                        << name << ": blocks of " << block << ", parts of " << part << ", "
                        << threads << " threads";
                }
    }
}

// A refused file's refusal names the limit that reading it in one stretch finds passed first,
// wherever the parts are cut, even where both limits are passed within one part.
TEST(ObjLimits, TheLimitPassedFirstWhereverThePartsAreCut) {
    TempDir dir;
    const std::string path = dir.file("limits.obj");
    const std::string text = "v 0 0 0\nf 1 1 1\nf 1\nf 1\nf 1 1 1 1 1 1\nf 1\nf 1 1\n";
    for (std::size_t corners = 1; corners <= 14; ++corners)
        for (std::size_t faces = 1; faces <= 7; ++faces) {
            writeFile(path, text);
            const ObjLimits limits{corners, faces};
            const std::string expected = described(
                readWith(path, {std::size_t{1} << 24, 1, std::size_t{1} << 24, limits, false}));
            for (const std::size_t part : {1, 4, 9})
                for (const unsigned threads : {2u, 3u})
                    EXPECT_EQ(described(readWith(path, {16, threads, part, limits, true})),
                              expected)
                        << corners << " corners, " << faces << " faces, parts of " << part;
        }
}
