#include "tests/TestAtlas.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

std::unique_ptr<CDibImage> MakeTestAtlas(const PixelFn& pixel) {
    if (!pixel) {
        // Most tests cut from the default pattern: make its file image once.
        static const std::vector<uint8_t> bytes = MakeBitmapBytes(kAtlasWidth, kAtlasHeight, 8);
        return std::make_unique<CDibImage>(bytes.data(), bytes.size());
    }
    BitmapOptions o;
    o.pixel = pixel;
    const auto bytes = MakeBitmapBytes(kAtlasWidth, kAtlasHeight, 8, o);
    return std::make_unique<CDibImage>(bytes.data(), bytes.size());
}

std::unique_ptr<CDibImage> MakeUniformAtlas(uint8_t index) {
    return MakeTestAtlas([index](int, int) { return index; });
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string CaseName(const char* words) {
    std::string name;
    for (const char* c = words; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    ASSERT_TRUE(file) << "cannot create " << path;
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file) << "cannot write " << path;
}

std::string MakeTempDir() {
    static std::atomic<int> counter{0};
    const auto dir = std::filesystem::temp_directory_path() /
                     ("avelune-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

void WriteTestAtlasFile(const std::string& path, const PixelFn& pixel) {
    BitmapOptions o;
    o.pixel = pixel;
    WriteFileBytes(path, MakeBitmapBytes(kAtlasWidth, kAtlasHeight, 8, o));
}

std::unique_ptr<CAveluneView> MakeTestView(GameHost& host, const PixelFn& pixel) {
    return std::make_unique<CAveluneView>(host, MakeTestAtlas(pixel));
}

std::unique_ptr<HeadlessSession> MakeTestSession(int orientation, const PixelFn& pixel) {
    return std::make_unique<HeadlessSession>(MakeTestAtlas(pixel), orientation);
}
