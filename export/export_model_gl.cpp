#include "export/export_model.h"

#include "export/export_obj.h"
#include "export/snapshot.h"

#include <iostream>

namespace {

int cannotWrite(const std::string& path, const std::string& why) {
    std::cerr << "exportModel: cannot write " << path << ": " << why << std::endl;
    return 1;
}

} // namespace

int exportModel(const SimpleMesh& input, const SimpleMesh& output, const float partCompression[4],
                std::vector<MeshPair>& pairs, int width, int height,
                const std::function<void()>& renderView, const std::string& folder) {
    const std::string model = folder + "/export.obj", image = folder + "/export.bmp";
    std::string why = writeExportFile(model, input, output, partCompression, pairs, std::cout);
    if (!why.empty())
        return cannotWrite(model, why);
    why = saveSnapshot(width, height, renderView, image);
    if (!why.empty())
        return cannotWrite(image, why);
    std::cerr << "Done!" << std::endl;
    return 0;
}
