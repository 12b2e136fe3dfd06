#include "app/session_file.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

constexpr const char* kFormatName = "hollowvista-session";

// Values of one array as text, and back. Integers are run-length encoded ("V" or "V*N");
// reals are written with nine significant digits, which give the same float back.
void appendInt(std::string& out, long long v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

template <typename Int> std::string encodeRuns(const std::vector<Int>& values) {
    std::string out;
    for (std::size_t i = 0; i < values.size();) {
        std::size_t j = i + 1;
        while (j < values.size() && values[j] == values[i])
            ++j;
        if (!out.empty())
            out += ' ';
        appendInt(out, values[i]);
        if (j - i > 1) {
            out += '*';
            appendInt(out, static_cast<long long>(j - i));
        }
        i = j;
    }
    return out;
}

void appendReal(std::string& out, float v) {
    char buf[32];
    const int n = std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
    if (!out.empty())
        out += ' ';
    out.append(buf, n);
}

// Reads whitespace-separated tokens of values.
struct Tokens {
    const char* at;
    const char* end;
    bool next(std::string_view& token) {
        while (at < end && (*at == ' ' || *at == '\t'))
            ++at;
        if (at == end)
            return false;
        const char* start = at;
        while (at < end && *at != ' ' && *at != '\t')
            ++at;
        token = {start, static_cast<std::size_t>(at - start)};
        return true;
    }
};

template <typename Int> bool parseInt(std::string_view s, Int& v) {
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool parseReal(std::string_view s, float& v) {
    const std::string text(s);
    char* stop = nullptr;
    errno = 0;
    v = std::strtof(text.c_str(), &stop);
    return stop == text.c_str() + text.size() && !text.empty() && std::isfinite(v) && errno == 0;
}

// Run-length encoded integers; false when malformed. total receives how many values the
// text names; values holds them while there are at most limit.
template <typename Int>
bool decodeRuns(std::string_view text, std::vector<Int>& values, std::size_t limit,
                std::size_t& total) {
    Tokens tokens{text.data(), text.data() + text.size()};
    std::string_view token;
    values.clear();
    total = 0;
    while (tokens.next(token)) {
        const std::size_t star = token.find('*');
        Int v{};
        std::size_t run = 1;
        if (!parseInt(token.substr(0, star), v) ||
            (star != std::string_view::npos &&
             (!parseInt(token.substr(star + 1), run) || run == 0)))
            return false;
        if (run > limit + 1)
            run = limit + 1; // more than enough to say the array does not fit
        total += run;
        if (total <= limit)
            values.insert(values.end(), run, v);
    }
    return true;
}

bool decodeReals(std::string_view text, std::vector<float>& values) {
    Tokens tokens{text.data(), text.data() + text.size()};
    std::string_view token;
    values.clear();
    float v = 0;
    while (tokens.next(token)) {
        if (!parseReal(token, v))
            return false;
        values.push_back(v);
    }
    return true;
}

std::string encode(const std::vector<int>& v) {
    return encodeRuns(v);
}
std::string encode(const std::vector<Vec3>& v) {
    std::string out;
    for (const Vec3& p : v) {
        appendReal(out, p.x);
        appendReal(out, p.y);
        appendReal(out, p.z);
    }
    return out;
}
std::string encode(const std::vector<Vec2>& v) {
    std::string out;
    for (const Vec2& p : v) {
        appendReal(out, p.u);
        appendReal(out, p.v);
    }
    return out;
}
std::string encode(const IndexLists& lists) {
    return encodeRuns(lists.offsets()) + " | " + encodeRuns(lists.indices());
}

// Decoding into an array of the expected size (count); "" or why not.
std::string decode(std::string_view text, std::vector<int>& v, std::size_t count) {
    std::size_t total = 0;
    if (!decodeRuns(text, v, count, total))
        return "is not a list of whole numbers";
    if (total != count)
        return "has " + std::to_string(total) + " values, the model " + std::to_string(count);
    return "";
}
std::string decode(std::string_view text, std::vector<Vec3>& v, std::size_t count) {
    std::vector<float> reals;
    if (!decodeReals(text, reals) || reals.size() != 3 * count)
        return "does not hold " + std::to_string(count) + " points";
    v.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        v[i] = {reals[3 * i], reals[3 * i + 1], reals[3 * i + 2]};
    return "";
}
std::string decode(std::string_view text, std::vector<Vec2>& v, std::size_t count) {
    std::vector<float> reals;
    if (!decodeReals(text, reals) || reals.size() != 2 * count)
        return "does not hold " + std::to_string(count) + " points";
    v.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        v[i] = Vec2{reals[2 * i], reals[2 * i + 1]};
    return "";
}
std::string decode(std::string_view text, IndexLists& lists, std::size_t count) {
    const std::size_t bar = text.find(" | ");
    std::vector<std::uint32_t> offsets;
    std::vector<int> indices;
    std::size_t offsetCount = 0, indexCount = 0;
    const std::size_t indexLimit = lists.totalSize(); // the model's own face structure
    if (bar == std::string_view::npos ||
        !decodeRuns(text.substr(0, bar), offsets, count + 1, offsetCount) ||
        offsetCount != count + 1 ||
        !decodeRuns(text.substr(bar + 3), indices, indexLimit, indexCount) ||
        indexCount > indexLimit || offsets.size() != count + 1 ||
        !lists.assign(std::move(indices), std::move(offsets)))
        return "does not hold " + std::to_string(count) + " faces";
    return "";
}

// Calls visit(name, array of input, array of output, whether the file's model sets the
// input's array) for every array a session keeps.
template <typename A, typename B, typename Visit>
void forEachSessionArray(A& in, B& out, Visit visit) {
    visit("face-visible", in.faceVisible, out.faceVisible, false);
    visit("vertex-part", in.vertexPart, out.vertexPart, false);
    visit("face-part", in.facePart, out.facePart, false);
    visit("vertex-in-part", in.vertexInPart, out.vertexInPart, false);
    visit("vertices", in.vertices, out.vertices, true);
    visit("normals", in.normals, out.normals, true);
    visit("tex-coords", in.texCoords, out.texCoords, true);
    visit("faces", in.faces, out.faces, true);
    visit("normal-faces", in.normalFaces, out.normalFaces, true);
    visit("tex-coord-faces", in.texCoordFaces, out.texCoordFaces, true);
}

// Whether name is one of the arrays a session keeps; any other is a corrupt line.
bool isSessionArrayName(const std::string& name) {
    SimpleMesh none;
    bool known = false;
    forEachSessionArray(none, none, [&](const char* n, auto&, auto&, bool) { known |= name == n; });
    return known;
}

bool indicesBelow(const IndexLists& lists, std::size_t count) {
    for (const int i : lists.indices())
        if (i < 0 || static_cast<std::size_t>(i) >= count)
            return false;
    return true;
}

void putLine(std::ostringstream& out, const char* key, std::initializer_list<float> values) {
    out << key;
    for (float v : values) {
        std::string s;
        appendReal(s, v);
        out << ' ' << s;
    }
    out << '\n';
}

} // namespace

std::optional<FileFingerprint> fingerprintFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return std::nullopt;
    FileFingerprint print{0, 14695981039346656037ull};
    std::vector<unsigned char> block(1 << 16);
    std::size_t n = 0;
    while ((n = std::fread(block.data(), 1, block.size(), f)) > 0) {
        print.size += n;
        for (std::size_t i = 0; i < n; ++i)
            print.hash = (print.hash ^ block[i]) * 1099511628211ull;
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        return std::nullopt;
    return print;
}

std::vector<SessionArray> encodeMeshArrays(const SimpleMesh& input, const SimpleMesh& output) {
    std::vector<SessionArray> arrays;
    forEachSessionArray(input, output,
                        [&](const char* name, const auto& in, const auto& out, bool fromFile) {
                            if (!fromFile)
                                arrays.push_back({"input", name, false, encode(in.get())});
                            if (out.sharesWith(in))
                                arrays.push_back({"output", name, true, ""});
                            else
                                arrays.push_back({"output", name, false, encode(out.get())});
                        });
    return arrays;
}

std::string decodeMeshArrays(const std::vector<SessionArray>& arrays, SimpleMesh& input,
                             SimpleMesh& output) {
    std::string error;
    const std::size_t faces = input.faces.size(), vertices = input.vertices.size();
    forEachSessionArray(input, output, [&](const char* name, auto& in, auto& out, bool fromFile) {
        for (const SessionArray& a : arrays) {
            if (!error.empty() || a.name != name)
                continue;
            auto& target = a.model == "input" ? in : out;
            if (a.model == "input" && fromFile) {
                error = "input " + a.name + " comes from the model file";
                return;
            }
            if (a.sameAsInput) {
                if (a.model == "input")
                    error = "input " + a.name + " cannot be the same as itself";
                else
                    out = in;
                continue;
            }
            // Arrays per face and per vertex have the model's counts; the output's geometry
            // has the input's counts.
            const std::string n = name;
            std::size_t count = in.size();
            if (n == "face-visible" || n == "face-part")
                count = faces;
            if (n == "vertex-part" || n == "vertex-in-part")
                count = vertices;
            auto value = in.get();
            const std::string why = decode(a.values, value, count);
            if (!why.empty()) {
                error = a.model + " " + a.name + " " + why;
                return;
            }
            target = std::move(value);
        }
    });
    if (error.empty() && !(indicesBelow(output.faces, output.vertices.size()) &&
                           indicesBelow(output.normalFaces, output.normals.size()) &&
                           indicesBelow(output.texCoordFaces, output.texCoords.size())))
        error = "output faces name points the model does not have";
    return error;
}

std::string sessionText(const SessionData& d) {
    std::ostringstream out;
    out << kFormatName << ' ' << kSessionVersion << '\n';
    out << "model " << d.modelPath << '\n';
    out << "model-size " << d.model.size << '\n';
    char hash[24];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(d.model.hash));
    out << "model-hash fnv1a64:" << hash << '\n';
    out << "texture " << (d.texturePath.empty() ? "-" : d.texturePath) << '\n';
    const Quat& q = d.viewRotation;
    const auto& t = d.viewTranslation;
    putLine(out, "view-pose", {q[0], q[1], q[2], q[3], t[0], t[1], t[2]});
    out << "view-field-of-view " << d.fieldOfView << '\n';
    const ModelFraming& f = d.viewFraming;
    putLine(out, "view-framing", {f.scale, f.centre[0], f.centre[1], f.centre[2]});
    const CameraPose& s = d.setupCamera;
    putLine(out, "setup-pose",
            {s.rotation[0], s.rotation[1], s.rotation[2], s.rotation[3], s.translation[0],
             s.translation[1], s.translation[2], s.fieldOfView});
    putLine(out, "setup-framing",
            {s.framing.scale, s.framing.centre[0], s.framing.centre[1], s.framing.centre[2]});
    out << "setup-stored " << d.setupCameraStored << '\n';
    out << "display " << d.shownModel << ' ' << d.backFace << ' ' << d.wireframe << '\n';
    out << "part " << d.currentPart << '\n';
    out << "mode " << d.editMode << '\n';
    putLine(out, "spinner", {d.compressionValue});
    for (int p = 0; p < 4; ++p) {
        out << "part-setting " << p;
        putLine(out, "",
                {d.position[p], d.compression[p], d.minDepth[p], d.maxDepth[p], d.medianDepth[p]});
    }
    out << "measured " << d.measured << '\n';
    out << "painting-changed " << d.paintingChangedSincePreview << '\n';
    out << "hide-invisible " << d.inputHideInvisible << ' ' << d.outputHideInvisible << '\n';
    for (const SessionArray& a : d.arrays) {
        out << "array " << a.model << ' ' << a.name;
        if (a.sameAsInput)
            out << " same\n";
        else
            out << " = " << a.values << '\n';
    }
    out << "end\n";
    return out.str();
}

std::optional<SessionData> parseSessionText(const std::string& text, std::string& error) {
    SessionData d;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    auto corrupt = [&]() {
        error = "corrupt at line " + std::to_string(lineNumber);
        return std::nullopt;
    };
    // Reals after the key of the line; false unless exactly count finite ones.
    auto reals = [](std::istringstream& words, std::initializer_list<float*> into) {
        std::string w;
        for (float* v : into)
            if (!(words >> w) || !parseReal(w, *v))
                return false;
        return !(words >> w);
    };
    auto flag = [](std::istringstream& words, auto& v) {
        std::string w;
        int n = -1;
        const bool ok = (words >> w) && parseInt(w, n) && n >= 0 && n <= 1 && !(words >> w);
        v = n == 1;
        return ok;
    };
    if (!std::getline(in, line)) {
        error = "not a session file";
        return std::nullopt;
    }
    ++lineNumber;
    {
        std::istringstream words(line);
        std::string name, version;
        int v = 0;
        if (!(words >> name >> version) || name != kFormatName || !parseInt(version, v)) {
            error = "not a session file";
            return std::nullopt;
        }
        if (v > kSessionVersion) {
            error = "written by a later version (" + version + ")";
            return std::nullopt;
        }
        if (v < 1)
            return corrupt();
    }
    bool ended = false;
    int seen = 0; // which header lines came, one bit each
    while (std::getline(in, line)) {
        ++lineNumber;
        if (ended)
            return corrupt();
        const std::size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
        std::istringstream words(rest);
        bool ok = true;
        int bit = 0;
        if (key == "end") {
            ended = rest.empty();
            ok = ended;
        } else if (key == "model") {
            d.modelPath = rest;
            ok = !rest.empty() && rest[0] == '/';
            bit = 1;
        } else if (key == "model-size") {
            ok = parseInt(rest, d.model.size);
            bit = 2;
        } else if (key == "model-hash") {
            ok = rest.size() == 24 && rest.compare(0, 8, "fnv1a64:") == 0;
            if (ok) {
                const auto r = std::from_chars(rest.data() + 8, rest.data() + 24, d.model.hash, 16);
                ok = r.ec == std::errc() && r.ptr == rest.data() + 24;
            }
            bit = 4;
        } else if (key == "texture") {
            d.texturePath = rest == "-" ? "" : rest;
            ok = !rest.empty() && (rest == "-" || rest[0] == '/');
            bit = 8;
        } else if (key == "view-pose") {
            Quat& q = d.viewRotation;
            auto& t = d.viewTranslation;
            ok = reals(words, {&q[0], &q[1], &q[2], &q[3], &t[0], &t[1], &t[2]});
            bit = 16;
        } else if (key == "view-field-of-view") {
            ok = parseInt(rest, d.fieldOfView) && d.fieldOfView > 0 && d.fieldOfView < 180;
        } else if (key == "view-framing") {
            ModelFraming& f = d.viewFraming;
            ok = reals(words, {&f.scale, &f.centre[0], &f.centre[1], &f.centre[2]});
        } else if (key == "setup-pose") {
            CameraPose& s = d.setupCamera;
            ok = reals(words,
                       {&s.rotation[0], &s.rotation[1], &s.rotation[2], &s.rotation[3],
                        &s.translation[0], &s.translation[1], &s.translation[2], &s.fieldOfView});
            bit = 32;
        } else if (key == "setup-framing") {
            ModelFraming& f = d.setupCamera.framing;
            ok = reals(words, {&f.scale, &f.centre[0], &f.centre[1], &f.centre[2]});
        } else if (key == "setup-stored") {
            ok = flag(words, d.setupCameraStored);
        } else if (key == "display") {
            std::string a, b, c, extra;
            ok = (words >> a >> b >> c) && !(words >> extra) && parseInt(a, d.shownModel) &&
                 parseInt(b, d.backFace) && parseInt(c, d.wireframe) && d.shownModel >= 0 &&
                 d.shownModel <= 1 && d.backFace >= 0 && d.backFace <= 1 && d.wireframe >= 0 &&
                 d.wireframe <= 1;
        } else if (key == "part") {
            ok = parseInt(rest, d.currentPart) && d.currentPart >= 0 && d.currentPart <= 3;
        } else if (key == "mode") {
            ok = flag(words, d.editMode);
        } else if (key == "spinner") {
            ok = reals(words, {&d.compressionValue});
        } else if (key == "part-setting") {
            std::string p;
            int part = -1;
            ok = (words >> p) && parseInt(p, part) && part >= 0 && part <= 3 &&
                 reals(words, {&d.position[part], &d.compression[part], &d.minDepth[part],
                               &d.maxDepth[part], &d.medianDepth[part]});
        } else if (key == "measured") {
            ok = flag(words, d.measured);
        } else if (key == "painting-changed") {
            ok = flag(words, d.paintingChangedSincePreview);
        } else if (key == "hide-invisible") {
            std::string a, b, extra;
            ok = (words >> a >> b) && !(words >> extra) && parseInt(a, d.inputHideInvisible) &&
                 parseInt(b, d.outputHideInvisible);
        } else if (key == "array") {
            SessionArray a;
            std::string mark;
            ok = static_cast<bool>(words >> a.model >> a.name >> mark) &&
                 (a.model == "input" || a.model == "output") && isSessionArrayName(a.name);
            // The values follow "MODEL NAME = " exactly, so that the line reads back as written.
            const std::string valuesAfter = a.model + ' ' + a.name + " = ";
            if (ok && mark == "same") {
                a.sameAsInput = true;
                std::string extra;
                ok = !(words >> extra);
            } else if (ok && mark == "=" && rest.compare(0, valuesAfter.size(), valuesAfter) == 0) {
                a.values = rest.substr(valuesAfter.size());
            } else {
                ok = false;
            }
            if (ok)
                d.arrays.push_back(std::move(a));
        } else {
            ok = false;
        }
        if (!ok)
            return corrupt();
        seen |= bit;
    }
    if (!ended) {
        error = "truncated";
        return std::nullopt;
    }
    if (seen != 63) {
        error = "corrupt: header lines missing";
        return std::nullopt;
    }
    return d;
}
