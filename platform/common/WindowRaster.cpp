#include "platform/common/WindowRaster.h"

#include <png.h>

#include <cstring>
#include <vector>

bool WriteRgbPng(const std::string& path, int width, int height, const std::function<Rgb(int, int)>& colorAt,
                 std::string& error) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = colorAt(x, y);
            uint8_t* out = &rgb[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3];
            out[0] = c.red;
            out[1] = c.green;
            out[2] = c.blue;
        }
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    if (png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), width * 3, nullptr) == 0) {
        error = "cannot write " + path + ": " + image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}
