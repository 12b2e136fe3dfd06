#include "mesh/gltf_reader.h"

#include "mesh/obj_loader.h"
#include "mesh/open_file.h"

#include <tiny_gltf.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <set>

namespace {

// The most a file, a buffer or an image may hold, and how deep nodes may nest.
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 31;
constexpr int kMaxDepth = 64;

// Reads a whole regular file (never a pipe or a device) of at most kMaxFileBytes.
bool readRegularFile(const std::string& path, std::vector<unsigned char>& out) {
    File file = openForReading(path);
    if (!file)
        return false;
    out.clear();
    unsigned char block[1 << 16];
    for (;;) {
        const std::size_t got = std::fread(block, 1, sizeof block, file.get());
        out.insert(out.end(), block, block + got);
        if (out.size() > kMaxFileBytes)
            return false;
        if (got < sizeof block)
            return !std::ferror(file.get());
    }
}

// tinygltf's file access, kept to regular files and names as given (no shell expansion).
bool fileExists(const std::string& path, void*) {
    return isRegularFile(path);
}
std::string expandPath(const std::string& path, void*) {
    return path;
}
bool readWholeFile(std::vector<unsigned char>* out, std::string* error, const std::string& path,
                   void*) {
    if (readRegularFile(path, *out))
        return true;
    if (error)
        *error += "cannot read " + path + "\n";
    return false;
}
bool refuseWrite(std::string* error, const std::string&, const std::vector<unsigned char>&, void*) {
    if (error)
        *error += "no writing\n";
    return false;
}

// Images stay encoded: they are decoded later, as every image of the program is. An image in
// a buffer view is handed over unchecked (its view may pass its buffer's end), so it is left
// here and taken from its view once checked (imageInView).
bool keepImageBytes(tinygltf::Image* image, const int, std::string*, std::string*, int, int,
                    const unsigned char* bytes, int size, void*) {
    if (image->bufferView == -1)
        image->image.assign(bytes, bytes + size);
    image->width = image->height = 0;
    return true;
}

std::uint32_t le32(const unsigned char* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
}

// The header and chunk table of a binary file, checked before the library reads it.
std::string checkGlbHeader(const std::vector<unsigned char>& bytes) {
    if (bytes.size() < 20 || std::memcmp(bytes.data(), "glTF", 4) != 0)
        return "not a binary glTF file";
    if (le32(&bytes[4]) != 2)
        return "binary glTF of another version than 2";
    if (le32(&bytes[8]) != bytes.size())
        return "binary glTF whose length is not the file's";
    std::size_t at = 12;
    bool first = true;
    while (at < bytes.size()) {
        if (bytes.size() - at < 8)
            return "binary glTF with a broken chunk";
        const std::size_t length = le32(&bytes[at]), type = le32(&bytes[at + 4]);
        if (length > bytes.size() - at - 8)
            return "binary glTF with a chunk beyond its end";
        if (first && type != 0x4E4F534A) // "JSON"
            return "binary glTF without its JSON chunk first";
        first = false;
        at += 8 + length;
    }
    return "";
}

// A column-major 4 x 4 matrix.
using Matrix = std::array<double, 16>;
constexpr Matrix kIdentity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix m{};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 4; ++k)
                m[c * 4 + r] += a[k * 4 + r] * b[c * 4 + k];
    return m;
}

Matrix nodeMatrix(const tinygltf::Node& node) {
    if (node.matrix.size() == 16) {
        Matrix m;
        std::copy(node.matrix.begin(), node.matrix.end(), m.begin());
        return m;
    }
    Matrix t = kIdentity, r = kIdentity, s = kIdentity;
    if (node.translation.size() == 3)
        for (int i = 0; i < 3; ++i)
            t[12 + i] = node.translation[i];
    if (node.rotation.size() == 4) {
        const double x = node.rotation[0], y = node.rotation[1], z = node.rotation[2],
                     w = node.rotation[3];
        r = {1 - 2 * (y * y + z * z),
             2 * (x * y + z * w),
             2 * (x * z - y * w),
             0,
             2 * (x * y - z * w),
             1 - 2 * (x * x + z * z),
             2 * (y * z + x * w),
             0,
             2 * (x * z + y * w),
             2 * (y * z - x * w),
             1 - 2 * (x * x + y * y),
             0,
             0,
             0,
             0,
             1};
    }
    if (node.scale.size() == 3)
        for (int i = 0; i < 3; ++i)
            s[i * 5] = node.scale[i];
    return multiply(t, multiply(r, s));
}

// The values of one accessor as floats, `components` per element, checked against its
// buffer; "" or why it cannot be read.
std::string readFloats(const tinygltf::Model& model, int index, int components,
                       std::vector<float>& out) {
    if (index < 0 || std::size_t(index) >= model.accessors.size())
        return "an accessor that does not exist";
    const tinygltf::Accessor& a = model.accessors[index];
    if (a.sparse.isSparse)
        return "a sparse accessor";
    const int have = tinygltf::GetNumComponentsInType(a.type);
    if (have != components)
        return "an accessor of the wrong type";
    int size = 0;
    switch (a.componentType) {
    case TINYGLTF_COMPONENT_TYPE_FLOAT:
        size = 4;
        break;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
        size = a.normalized ? 1 : 0;
        break;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
        size = a.normalized ? 2 : 0;
        break;
    default:
        break;
    }
    if (size == 0)
        return "an accessor of the wrong component type";
    if (a.bufferView < 0 || std::size_t(a.bufferView) >= model.bufferViews.size())
        return "an accessor without its buffer view";
    const tinygltf::BufferView& view = model.bufferViews[a.bufferView];
    if (view.buffer < 0 || std::size_t(view.buffer) >= model.buffers.size())
        return "a buffer view without its buffer";
    const std::vector<unsigned char>& data = model.buffers[view.buffer].data;
    const std::size_t element = std::size_t(size) * components;
    const std::size_t stride = view.byteStride == 0 ? element : view.byteStride;
    if (stride < element || stride > 252)
        return "a buffer view of a bad stride";
    if (view.byteOffset > data.size() || view.byteLength > data.size() - view.byteOffset)
        return "a buffer view beyond its buffer";
    if (a.count > 0 &&
        (a.byteOffset > view.byteLength || (view.byteLength - a.byteOffset < element) ||
         (a.count - 1) > (view.byteLength - a.byteOffset - element) / stride))
        return "an accessor beyond its buffer view";
    out.resize(a.count * components);
    const unsigned char* base = data.data() + view.byteOffset + a.byteOffset;
    for (std::size_t i = 0; i < a.count; ++i)
        for (int c = 0; c < components; ++c) {
            const unsigned char* p = base + i * stride + std::size_t(c) * size;
            float v = 0;
            if (size == 4) {
                std::memcpy(&v, p, 4);
            } else if (size == 1) {
                v = p[0] / 255.0f;
            } else {
                std::uint16_t u;
                std::memcpy(&u, p, 2);
                v = u / 65535.0f;
            }
            if (!std::isfinite(v))
                return "a number that is not finite";
            out[i * components + c] = v;
        }
    return "";
}

// The indices of a primitive, each checked against vertexCount.
std::string readIndices(const tinygltf::Model& model, int index, std::size_t vertexCount,
                        std::vector<std::uint32_t>& out) {
    if (index < 0 || std::size_t(index) >= model.accessors.size())
        return "an index accessor that does not exist";
    const tinygltf::Accessor& a = model.accessors[index];
    if (a.sparse.isSparse || a.type != TINYGLTF_TYPE_SCALAR)
        return "an index accessor of the wrong type";
    std::size_t size = 0;
    switch (a.componentType) {
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
        size = 1;
        break;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
        size = 2;
        break;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
        size = 4;
        break;
    default:
        return "an index accessor of the wrong component type";
    }
    if (a.bufferView < 0 || std::size_t(a.bufferView) >= model.bufferViews.size())
        return "an index accessor without its buffer view";
    const tinygltf::BufferView& view = model.bufferViews[a.bufferView];
    if (view.buffer < 0 || std::size_t(view.buffer) >= model.buffers.size())
        return "a buffer view without its buffer";
    const std::vector<unsigned char>& data = model.buffers[view.buffer].data;
    const std::size_t stride = view.byteStride == 0 ? size : view.byteStride;
    if (stride < size || view.byteOffset > data.size() ||
        view.byteLength > data.size() - view.byteOffset)
        return "a buffer view beyond its buffer";
    if (a.count > 0 && (a.byteOffset > view.byteLength || view.byteLength - a.byteOffset < size ||
                        (a.count - 1) > (view.byteLength - a.byteOffset - size) / stride))
        return "an index accessor beyond its buffer view";
    out.resize(a.count);
    const unsigned char* base = data.data() + view.byteOffset + a.byteOffset;
    for (std::size_t i = 0; i < a.count; ++i) {
        const unsigned char* p = base + i * stride;
        std::uint32_t v = p[0];
        if (size == 2)
            v = p[0] | p[1] << 8;
        else if (size == 4)
            v = le32(p);
        if (v >= vertexCount)
            return "an index out of range";
        out[i] = v;
    }
    return "";
}

// Collects the file's primitives into model; one reading per file.
class Collector {
  public:
    Collector(const tinygltf::Model& file, GltfModel& out) : file_(file), out_(out) {}

    std::string node(int index, const Matrix& parent, int depth) {
        if (index < 0 || std::size_t(index) >= file_.nodes.size())
            return "a node that does not exist";
        if (depth > kMaxDepth || onPath_.contains(index))
            return "nodes that contain themselves";
        const tinygltf::Node& n = file_.nodes[index];
        const Matrix m = multiply(parent, nodeMatrix(n));
        onPath_.insert(index);
        std::string why;
        if (n.mesh >= 0)
            why = mesh(n.mesh, m);
        for (std::size_t c = 0; c < n.children.size() && why.empty(); ++c)
            why = node(n.children[c], m, depth + 1);
        onPath_.erase(index);
        return why;
    }

    bool anyWithoutNormals = false, anyWithTexCoords = false, anyWithoutColours = false;
    std::vector<bool> hasTexCoords; // per vertex

  private:
    std::string mesh(int index, const Matrix& m) {
        if (std::size_t(index) >= file_.meshes.size())
            return "a mesh that does not exist";
        for (const tinygltf::Primitive& p : file_.meshes[index].primitives) {
            const std::string why = primitive(p, m);
            if (!why.empty())
                return why;
        }
        return "";
    }

    std::string primitive(const tinygltf::Primitive& p, const Matrix& m) {
        if (p.mode != -1 && p.mode != TINYGLTF_MODE_TRIANGLES) {
            ++out_.skippedPrimitives;
            return "";
        }
        const auto attribute = [&](const char* name) {
            const auto found = p.attributes.find(name);
            return found == p.attributes.end() ? -1 : found->second;
        };
        std::vector<float> positions, normals, uvs, colours;
        std::string why = readFloats(file_, attribute("POSITION"), 3, positions);
        if (!why.empty())
            return why;
        const std::size_t count = positions.size() / 3;
        if (attribute("NORMAL") >= 0) {
            why = readFloats(file_, attribute("NORMAL"), 3, normals);
            if (why.empty() && normals.size() != positions.size())
                why = "normals not one per position";
        }
        if (why.empty() && attribute("TEXCOORD_0") >= 0) {
            why = readFloats(file_, attribute("TEXCOORD_0"), 2, uvs);
            if (why.empty() && uvs.size() != count * 2)
                why = "texture coordinates not one per position";
        }
        const int colour = attribute("COLOR_0");
        if (why.empty() && colour >= 0) {
            const int components = std::size_t(colour) < file_.accessors.size() &&
                                           file_.accessors[colour].type == TINYGLTF_TYPE_VEC4
                                       ? 4
                                       : 3;
            why = readFloats(file_, colour, components, colours);
            if (why.empty() && colours.size() != count * components)
                why = "colours not one per position";
            if (why.empty() && components == 4) {
                for (std::size_t i = 0; i < count; ++i)
                    for (int c = 0; c < 3; ++c)
                        colours[i * 3 + c] = colours[i * 4 + c];
                colours.resize(count * 3);
            }
        }
        std::vector<std::uint32_t> indices;
        if (why.empty() && p.indices >= 0)
            why = readIndices(file_, p.indices, count, indices);
        if (!why.empty())
            return why;
        if (p.indices < 0)
            for (std::uint32_t i = 0; i < count; ++i)
                indices.push_back(i);
        if (out_.vertices.size() + count > std::size_t(std::numeric_limits<int>::max()))
            return "too many vertices";

        const int material = p.material >= 0 && std::size_t(p.material) < file_.materials.size()
                                 ? p.material + 1
                                 : 0;
        const std::size_t base = out_.vertices.size();
        // The normal matrix is the inverse transpose of the upper 3 x 3; its cofactors serve,
        // being the inverse transpose times the determinant, whose sign turns the winding.
        const double a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6],
                     k = m[10];
        const double cof[9] = {e * k - f * h, f * g - d * k, d * h - e * g,
                               c * h - b * k, a * k - c * g, b * g - a * h,
                               b * f - c * e, c * d - a * f, a * e - b * d};
        const double det = a * cof[0] + b * cof[1] + c * cof[2];
        for (std::size_t i = 0; i < count; ++i) {
            const double x = positions[i * 3], y = positions[i * 3 + 1], z = positions[i * 3 + 2];
            const Vec3 v{float(m[0] * x + m[4] * y + m[8] * z + m[12]),
                         float(m[1] * x + m[5] * y + m[9] * z + m[13]),
                         float(m[2] * x + m[6] * y + m[10] * z + m[14])};
            if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
                return "a number that is not finite";
            out_.vertices.push_back(v);
            Vec3 n{0, 0, 0};
            if (!normals.empty()) {
                const double nx = normals[i * 3], ny = normals[i * 3 + 1], nz = normals[i * 3 + 2];
                const double sign = det < 0 ? -1 : 1;
                const double tx = sign * (cof[0] * nx + cof[3] * ny + cof[6] * nz),
                             ty = sign * (cof[1] * nx + cof[4] * ny + cof[7] * nz),
                             tz = sign * (cof[2] * nx + cof[5] * ny + cof[8] * nz);
                const double l = std::sqrt(tx * tx + ty * ty + tz * tz);
                if (l > 0 && std::isfinite(l))
                    n = {float(tx / l), float(ty / l), float(tz / l)};
            }
            out_.normals.push_back(n);
            out_.texCoords.push_back(uvs.empty() ? Vec2{0, 0}
                                                 : Vec2{uvs[i * 2], 1.0f - uvs[i * 2 + 1]});
            out_.colours.push_back(
                colours.empty() ? Vec3{1, 1, 1}
                                : Vec3{colours[i * 3], colours[i * 3 + 1], colours[i * 3 + 2]});
        }
        anyWithoutNormals = anyWithoutNormals || normals.empty();
        anyWithTexCoords = anyWithTexCoords || !uvs.empty();
        anyWithoutColours = anyWithoutColours || colours.empty();
        for (std::size_t t = 0; t + 2 < indices.size(); t += 3) {
            const int v0 = int(base + indices[t]), v1 = int(base + indices[t + 1]),
                      v2 = int(base + indices[t + 2]);
            const int corners[3] = {v0, det < 0 ? v2 : v1, det < 0 ? v1 : v2};
            out_.faces.push_back(corners);
            out_.faceMaterial.push_back(material);
        }
        return "";
    }

    const tinygltf::Model& file_;
    GltfModel& out_;
    std::set<int> onPath_;
};

// The bytes of an image stored in a buffer view, checked against its buffer.
std::string imageInView(const tinygltf::Model& file, const tinygltf::Image& image,
                        std::vector<unsigned char>& out) {
    if (image.bufferView < 0 || std::size_t(image.bufferView) >= file.bufferViews.size())
        return "an image without its buffer view";
    const tinygltf::BufferView& view = file.bufferViews[image.bufferView];
    if (view.buffer < 0 || std::size_t(view.buffer) >= file.buffers.size())
        return "a buffer view without its buffer";
    const std::vector<unsigned char>& data = file.buffers[view.buffer].data;
    if (view.byteOffset > data.size() || view.byteLength > data.size() - view.byteOffset)
        return "a buffer view beyond its buffer";
    out.assign(data.begin() + view.byteOffset, data.begin() + view.byteOffset + view.byteLength);
    return "";
}

// The file's materials after the default: base colour factor and base colour image (kept
// encoded, named for the console by the file and the image). Returns "" or why an image
// cannot be taken.
std::string readMaterials(const tinygltf::Model& file, const std::string& path, GltfModel& out) {
    out.materials.assign(1, MeshMaterial{"(default)", {1, 1, 1}, "", 0, nullptr});
    for (std::size_t i = 0; i < file.materials.size(); ++i) {
        const tinygltf::Material& m = file.materials[i];
        MeshMaterial material;
        material.name = m.name.empty() ? "material " + std::to_string(i) : m.name;
        const std::vector<double>& factor = m.pbrMetallicRoughness.baseColorFactor;
        if (factor.size() >= 3)
            material.diffuse = {float(factor[0]), float(factor[1]), float(factor[2])};
        const int texture = m.pbrMetallicRoughness.baseColorTexture.index;
        if (texture >= 0 && std::size_t(texture) < file.textures.size()) {
            const int source = file.textures[texture].source;
            std::vector<unsigned char> bytes;
            if (source >= 0 && std::size_t(source) < file.images.size()) {
                const tinygltf::Image& image = file.images[source];
                bytes = image.image;
                if (image.bufferView != -1)
                    if (std::string why = imageInView(file, image, bytes); !why.empty())
                        return why;
            }
            if (!bytes.empty()) {
                const tinygltf::Image& image = file.images[source];
                material.image =
                    image.uri.empty() || image.uri.starts_with("data:")
                        ? path + " (image " + std::to_string(source) + ")"
                        : besideFolder(std::filesystem::path(path).parent_path(), image.uri);
                material.imageBytes =
                    std::make_shared<const std::vector<unsigned char>>(std::move(bytes));
            }
        }
        out.materials.push_back(std::move(material));
    }
    return "";
}

} // namespace

bool isGltfPath(const std::string& path) {
    const std::string extension = fileExtension(path);
    return extension == "gltf" || extension == "glb";
}

std::string readGltf(const std::string& path, GltfModel& out) {
    std::vector<unsigned char> bytes;
    if (!readRegularFile(path, bytes))
        return "cannot read the file";
    const bool binary = fileExtension(path) == "glb";
    if (binary) {
        const std::string why = checkGlbHeader(bytes);
        if (!why.empty())
            return why;
    }
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader(keepImageBytes, nullptr);
    loader.SetFsCallbacks({fileExists, expandPath, readWholeFile, refuseWrite, nullptr});
    tinygltf::Model file;
    std::string error, warning;
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const bool read = binary
                          ? loader.LoadBinaryFromMemory(&file, &error, &warning, bytes.data(),
                                                        static_cast<unsigned>(bytes.size()), folder)
                          : loader.LoadASCIIFromString(&file, &error, &warning,
                                                       reinterpret_cast<const char*>(bytes.data()),
                                                       static_cast<unsigned>(bytes.size()), folder);
    if (!read) {
        const std::string first = error.substr(0, error.find('\n'));
        return first.empty() ? "not a glTF file" : first;
    }
    if (std::string why = readMaterials(file, path, out); !why.empty())
        return why;
    int scene = file.defaultScene >= 0 ? file.defaultScene : 0;
    if (file.scenes.empty() || std::size_t(scene) >= file.scenes.size())
        return "no scene";
    Collector collector(file, out);
    for (const int node : file.scenes[scene].nodes) {
        const std::string why = collector.node(node, kIdentity, 0);
        if (!why.empty())
            return why;
    }
    if (collector.anyWithoutNormals)
        out.normals.clear();
    if (!collector.anyWithTexCoords)
        out.texCoords.clear();
    if (collector.anyWithoutColours)
        out.colours.clear();
    return "";
}
