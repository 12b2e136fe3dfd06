#include "export/obj_writer.h"

#include "mesh/simple_mesh.h"

#include <charconv>
#include <cstring>

namespace {

// Text is gathered in blocks of this size before it reaches the sink.
constexpr std::size_t kBlockBytes = 1 << 20;
// Longest single item put into the buffer at once (one number with its separator).
constexpr std::size_t kItemBytes = kMaxFixed6Chars + 16;

// Index k of a list that may be missing or shorter than the face.
int listEntry(const IndexLists& lists, std::size_t f, std::size_t k) {
    if (f >= lists.size() || k >= lists.count(f))
        return -1;
    return lists[f][k];
}

// Writes a 0-based index 1-based; needs 12 bytes of room.
char* writeIndex(char* out, int zeroBased) {
    return std::to_chars(out, out + 12, static_cast<long long>(zeroBased) + 1).ptr;
}

} // namespace

char* formatFixed6(char* out, float value) {
    // The float widened to double is what printf receives; to_chars then rounds the exact
    // binary value to six decimals the same way glibc does.
    return std::to_chars(out, out + kMaxFixed6Chars, static_cast<double>(value),
                         std::chars_format::fixed, 6)
        .ptr;
}

ObjCorner meshCorner(const SimpleMesh& mesh, std::size_t f, std::size_t k) {
    return {listEntry(mesh.faces, f, k), listEntry(mesh.texCoordFaces, f, k),
            listEntry(mesh.normalFaces, f, k)};
}

ObjWriter::ObjWriter(Sink sink) : sink_(std::move(sink)), buffer_(kBlockBytes + kItemBytes) {}

char* ObjWriter::room(std::size_t bytes) {
    if (used_ + bytes > buffer_.size())
        flush();
    return buffer_.data() + used_;
}

void ObjWriter::flush() {
    if (used_ > 0 && ok_)
        ok_ = sink_(std::string_view(buffer_.data(), used_));
    used_ = 0;
}

void ObjWriter::text(std::string_view s) {
    while (!s.empty()) {
        std::size_t n = std::min(s.size(), kItemBytes);
        std::memcpy(room(n), s.data(), n);
        used_ += n;
        s.remove_prefix(n);
    }
}

void ObjWriter::countLine(std::size_t count, std::string_view what) {
    char* p = room(kItemBytes);
    *p++ = '#';
    *p++ = ' ';
    p = std::to_chars(p, p + 24, count).ptr;
    used_ = p - buffer_.data();
    text(what);
}

void ObjWriter::header() {
    text("#Created by HollowvistaConverter\n\n");
}

void ObjWriter::vertexSection(std::span<const Vec3> vertices) {
    for (const Vec3& v : vertices) {
        char* p = room(4 * kItemBytes);
        *p++ = 'v';
        for (float c : {v.x, v.y, v.z}) {
            *p++ = ' ';
            p = formatFixed6(p, c);
        }
        *p++ = '\n';
        used_ = p - buffer_.data();
    }
    countLine(vertices.size(), " vertices\n\n");
}

void ObjWriter::texCoordSection(std::span<const Vec2> texCoords) {
    for (const Vec2& t : texCoords) {
        char* p = room(3 * kItemBytes);
        *p++ = 'v';
        *p++ = 't';
        for (float c : {t.u, t.v}) {
            *p++ = ' ';
            p = formatFixed6(p, c);
        }
        *p++ = '\n';
        used_ = p - buffer_.data();
    }
    countLine(texCoords.size(), " texture vertices\n\n");
}

void ObjWriter::normalSection(std::span<const Vec3> normals) {
    for (const Vec3& n : normals) {
        char* p = room(4 * kItemBytes);
        *p++ = 'v';
        *p++ = 'n';
        for (float c : {n.x, n.y, n.z}) {
            *p++ = ' ';
            p = formatFixed6(p, c);
        }
        *p++ = '\n';
        used_ = p - buffer_.data();
    }
    countLine(normals.size(), " normal vertices\n\n");
}

void ObjWriter::face(std::span<const ObjCorner> corners) {
    if (corners.empty())
        return;
    bool withTexCoord = true, withNormal = true;
    for (const ObjCorner& c : corners) {
        withTexCoord = withTexCoord && c.texCoord >= 0;
        withNormal = withNormal && c.normal >= 0;
    }
    text("f");
    for (const ObjCorner& c : corners) {
        char* p = room(kItemBytes);
        *p++ = ' ';
        p = writeIndex(p, c.vertex);
        if (withTexCoord || withNormal)
            *p++ = '/';
        if (withTexCoord)
            p = writeIndex(p, c.texCoord);
        if (withNormal) {
            *p++ = '/';
            p = writeIndex(p, c.normal);
        }
        used_ = p - buffer_.data();
    }
    text("\n");
}

void ObjWriter::meshFace(const SimpleMesh& mesh, std::size_t f) {
    corners_.clear();
    for (std::size_t k = 0; k < mesh.faces[f].size(); ++k)
        corners_.push_back(meshCorner(mesh, f, k));
    face(corners_);
}

void ObjWriter::meshFace(const SimpleMesh& mesh, std::size_t f, std::span<const int> positions) {
    corners_.clear();
    for (int k : positions)
        corners_.push_back(meshCorner(mesh, f, static_cast<std::size_t>(k)));
    face(corners_);
}

void ObjWriter::line(std::string_view line) {
    text(line);
    text("\n");
}

void ObjWriter::elements(std::size_t faceCount) {
    countLine(faceCount, " elements\n\n");
}

bool ObjWriter::finish() {
    flush();
    return ok_;
}

std::string objText(const std::function<void(ObjWriter&)>& write) {
    std::string all;
    ObjWriter writer([&all](std::string_view block) {
        all.append(block);
        return true;
    });
    write(writer);
    writer.finish();
    return all;
}
