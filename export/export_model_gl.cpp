#include "export/export_model.h"

#include "export/export_obj.h"
#include "export/snapshot.h"
#include "platform/replace_file.h"

#include <iostream>

namespace {

int cannotWrite(const std::string& path, const std::string& why) {
    std::cerr << "exportModel: cannot write " << path << ": " << why << std::endl;
    return 1;
}

} // namespace

int exportModel(const SimpleMesh& input, const SimpleMesh& output, const float partCompression[4],
                std::vector<MeshPair>& pairs, int width, int height,
                const std::function<void()>& renderView, const std::string& folder,
                std::ostream& trace) {
    // The model and its texture are replaced together: when either cannot be written, both
    // files of the previous export stay as they were.
    const std::vector<PendingFile> files = {
        {folder + "/export.obj",
         [&](const std::string& tempPath) {
             return writeObjFile(tempPath, [&](ObjWriter& writer) {
                 writeExport(writer, input, output, partCompression, pairs, trace);
             });
         }},
        {folder + "/export.bmp",
         [&](const std::string& tempPath) {
             return writeSnapshot(width, height, renderView, tempPath);
         }},
    };
    std::string failedPath;
    const std::string why = replaceFiles(files, failedPath);
    if (!why.empty())
        return cannotWrite(failedPath, why);
    std::cerr << "Done!" << std::endl;
    return 0;
}
