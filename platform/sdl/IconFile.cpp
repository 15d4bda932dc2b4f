#include "platform/sdl/IconFile.h"

#include <png.h>

#include <cstring>

bool LoadIconPng(const std::string& path, IconImage& icon, std::string& error) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        error = "cannot read the icon " + path + ": " + image.message;
        return false;
    }
    // An icon is small; a huge picture here is a mistake, not an icon.
    if (image.width == 0 || image.height == 0 || image.width > 256 || image.height > 256) {
        error = "the icon " + path + " is not an icon-sized picture";
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
    std::vector<uint32_t> pixels(static_cast<size_t>(image.width) * image.height);
    if (png_image_finish_read(&image, nullptr, pixels.data(), static_cast<png_int_32>(image.width * 4), nullptr) ==
        0) {
        error = "cannot read the icon " + path + ": " + image.message;
        return false;
    }
    icon.width = static_cast<int>(image.width);
    icon.height = static_cast<int>(image.height);
    icon.argb = std::move(pixels);
    return true;
}
