#include "bench/support/obj_model_file.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Appends printf-formatted text to a block buffer, writing full blocks to the file.
class BlockWriter {
  public:
    explicit BlockWriter(std::FILE* file) : file_(file) { buffer_.reserve(1 << 20); }
    ~BlockWriter() { flush(); }
    template <typename... Args> void print(const char* format, Args... args) {
        char line[128];
        const int n = std::snprintf(line, sizeof line, format, args...);
        buffer_.append(line, static_cast<std::size_t>(n));
        if (buffer_.size() >= (1 << 20))
            flush();
    }
    void flush() {
        written_ += std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
        buffer_.clear();
    }
    std::uint64_t written() const { return written_; }

  private:
    std::FILE* file_;
    std::string buffer_;
    std::uint64_t written_ = 0;
};

} // namespace

std::uint64_t writeGridModel(const std::string& path, int cells) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        return 0;
    const int points = cells + 1;
    BlockWriter out(file.get());
    out.print("# grid of %d x %d quads\n", cells, cells);
    for (int row = 0; row < points; ++row)
        for (int col = 0; col < points; ++col) {
            const double x = 40.0 * col / cells - 20, y = 30.0 * row / cells - 15;
            out.print("v %.6f %.6f %.6f\n", x, y, 2 * std::sin(x / 3) * std::cos(y / 4));
        }
    for (int row = 0; row < points; ++row)
        for (int col = 0; col < points; ++col)
            out.print("vt %.6f %.6f\n", double(col) / cells, 1 - double(row) / cells);
    for (int row = 0; row < points; ++row)
        for (int col = 0; col < points; ++col) {
            const double x = 40.0 * col / cells - 20, y = 30.0 * row / cells - 15;
            const double dx = -2.0 / 3 * std::cos(x / 3) * std::cos(y / 4);
            const double dy = 0.5 * std::sin(x / 3) * std::sin(y / 4);
            const double length = std::sqrt(dx * dx + dy * dy + 1);
            out.print("vn %.6f %.6f %.6f\n", dx / length, dy / length, 1 / length);
        }
    for (int row = 0; row < cells; ++row)
        for (int col = 0; col < cells; ++col) {
            const int a = row * points + col + 1, b = a + 1, c = a + points, d = c + 1;
            out.print("f %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, b, b, b, d, d, d);
            out.print("f %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, d, d, d, c, c, c);
        }
    out.flush();
    return out.written();
}
