#include "mesh/decoder/format_decoders.h"

#include <cstdio> // jpeglib.h needs FILE
#include <jpeglib.h>

#include <csetjmp>

namespace {

struct ErrorJump {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void stopOnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1);
}
void ignoreMessage(j_common_ptr) {}

} // namespace

std::string decodeJpeg(const unsigned char* data, std::size_t size, int width, int height,
                       std::vector<unsigned char>& rgba) {
    jpeg_decompress_struct info{};
    ErrorJump error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = stopOnError;
    error.manager.output_message = ignoreMessage;
    std::string result;
    if (setjmp(error.jump)) {
        result = "refused (corrupt JPEG data)";
    } else {
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
        jpeg_read_header(&info, TRUE);
        if (int(info.image_width) != width || int(info.image_height) != height)
            error.manager.error_exit(reinterpret_cast<j_common_ptr>(&info));
        info.out_color_space = JCS_EXT_RGBA;
        jpeg_start_decompress(&info);
        rgba.assign(std::size_t(width) * std::size_t(height) * 4, 0);
        while (info.output_scanline < info.output_height) {
            // The picture's top row goes last, as OpenGL takes it.
            JSAMPROW row = rgba.data() + std::size_t(height - 1 - int(info.output_scanline)) *
                                             std::size_t(width) * 4;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
    }
    jpeg_destroy_decompress(&info);
    if (!result.empty())
        rgba.clear();
    return result;
}
