#include "export/snapshot.h"

#include "platform/image_file.h"

#include <IL/il.h>

std::string writeSnapshot(int width, int height, const std::function<void()>& renderView,
                          const std::string& path) {
    if (width <= 0 || height <= 0)
        return "the window has no pixels";
    if (renderView)
        renderView();
    return savePixels(path, IL_BMP, width, height, 4, readPixels(width, height, 4));
}
