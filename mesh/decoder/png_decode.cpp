#include "mesh/decoder/format_decoders.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace {

struct Source {
    const unsigned char* data;
    std::size_t size, pos;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
    Source* source = static_cast<Source*>(png_get_io_ptr(png));
    if (count > source->size - source->pos)
        png_error(png, "truncated");
    std::memcpy(out, source->data + source->pos, count);
    source->pos += count;
}

void stopOnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void ignoreWarning(png_structp, png_const_charp) {}

} // namespace

std::string decodePng(const unsigned char* data, std::size_t size, int width, int height,
                      std::vector<unsigned char>& rgba) {
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, stopOnError, ignoreWarning);
    if (!png)
        return "refused (out of memory)";
    png_infop info = png_create_info_struct(png);
    Source source{data, size, 0};
    // Everything the error handler may jump over lives outside this frame's registers.
    std::vector<png_bytep>* rows = new std::vector<png_bytep>();
    std::string result;
    if (setjmp(png_jmpbuf(png))) {
        result = "refused (corrupt PNG data)";
    } else {
        png_set_read_fn(png, &source, readFromMemory);
        png_set_user_limits(png, 16384, 16384);
        png_read_info(png, info);
        if (int(png_get_image_width(png, info)) != width ||
            int(png_get_image_height(png, info)) != height)
            png_error(png, "size");
        // Every layout to 8-bit RGBA: palettes and low bit depths expanded, 16 bits cut to 8,
        // grey to RGB, an opaque alpha added where the file has none.
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_gray_to_rgb(png);
        png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        if (png_get_rowbytes(png, info) != std::size_t(width) * 4)
            png_error(png, "layout");
        rgba.assign(std::size_t(width) * std::size_t(height) * 4, 0);
        rows->resize(std::size_t(height));
        for (int y = 0; y < height; ++y) // the picture's top row last, as OpenGL takes it
            (*rows)[std::size_t(y)] = rgba.data() + std::size_t(height - 1 - y) * width * 4;
        png_read_image(png, rows->data());
        png_read_end(png, nullptr);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    delete rows;
    if (!result.empty())
        rgba.clear();
    return result;
}
