#include "app/file_chooser.h"

const std::vector<FileFilter>& fileFilters() {
    // The images DevIL reads, by their usual extensions.
    static const std::vector<FileFilter> filters = {
        {"Wavefront OBJ (*.obj)", {"*.obj"}},
        {"Images",
         {"*.bmp", "*.dds", "*.gif", "*.hdr", "*.ico", "*.jpe", "*.jpeg", "*.jpg", "*.pbm", "*.pcx",
          "*.pgm", "*.png", "*.pnm", "*.ppm", "*.psd", "*.sgi", "*.tga", "*.tif", "*.tiff"}},
        {"All Files", {"*"}},
    };
    return filters;
}

const std::vector<FileFilter>& sessionFileFilters() {
    static const std::vector<FileFilter> filters = {
        {"Hollowvista session (*.hvsession)", {"*.hvsession"}},
        {"All Files", {"*"}},
    };
    return filters;
}

const std::vector<FileFilter>& filtersFor(FileKind kind) {
    return kind == FileKind::Session ? sessionFileFilters() : fileFilters();
}

int startingFilter(FileKind kind) {
    return kind == FileKind::Image ? 1 : 0;
}
