#include "platform/common/WindowRaster.h"

#include <png.h>

#include "files/ReplaceFile.h"

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
    // Encoded in memory first: the file is then written whole or not at all,
    // and a failed write never removes what was there before.
    png_alloc_size_t bytes = 0;
    std::vector<uint8_t> png;
    if (png_image_write_get_memory_size(image, bytes, 0, rgb.data(), width * 3, nullptr) != 0) {
        png.resize(bytes);
        if (png_image_write_to_memory(&image, png.data(), &bytes, 0, rgb.data(), width * 3, nullptr) == 0) bytes = 0;
    }
    if (bytes == 0) {
        error = "cannot write " + path + ": " + image.message;
        png_image_free(&image);
        return false;
    }
    std::string reason;
    if (!ReplaceFile(path, png.data(), bytes, reason)) {
        error = "cannot write " + path + ": " + reason;
        return false;
    }
    return true;
}
