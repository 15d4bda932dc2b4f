#include "platform/common/AtlasFiles.h"

#include <filesystem>

namespace {

std::unique_ptr<CDibImage> Checked(std::unique_ptr<CDibImage> atlas, const std::string& name, std::string& error) {
    const std::string problem = AtlasProblem(*atlas);
    if (!problem.empty()) {
        error = "the atlas " + name + " cannot be used: " + problem;
        return nullptr;
    }
    return atlas;
}

}  // namespace

std::unique_ptr<CDibImage> LoadAtlas(const std::string& path, std::string& error) {
    return Checked(std::make_unique<CDibImage>(path), path, error);
}

std::unique_ptr<CDibImage> LoadAtlasBytes(const uint8_t* bytes, size_t size, const std::string& name,
                                          std::string& error) {
    return Checked(std::make_unique<CDibImage>(bytes, size), name, error);
}

std::string FindAtlas(const char* argv0) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_regular_file("prop.bmp", ec)) return "prop.bmp";
    // Beside the program: the build writes the generated atlas there.
    fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (ec && argv0 != nullptr) program = fs::path(argv0);
    if (!program.empty()) {
        const fs::path beside = program.parent_path() / "prop.bmp";
        if (fs::is_regular_file(beside, ec)) return beside.string();
#ifdef AVELUNE_DATA_FROM_BIN
        // Installed: the data folder, found from the program's own place so
        // that the installed tree can be moved as a whole.
        const fs::path installed = (program.parent_path() / AVELUNE_DATA_FROM_BIN / "prop.bmp").lexically_normal();
        if (fs::is_regular_file(installed, ec)) return installed.string();
#endif
    }
    return "prop.bmp";
}
