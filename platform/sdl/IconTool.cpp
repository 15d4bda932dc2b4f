// Writes the program's icon as a PNG file: avelune_icon_tool OUTPUT.PNG
#include <png.h>

#include <cstdio>
#include <cstring>

#include "platform/sdl/AppIcon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: avelune_icon_tool OUTPUT.PNG\n");
        return 2;
    }
    const std::vector<uint8_t> rgba = AppIconRgba();
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = kIconSize;
    image.height = kIconSize;
    image.format = PNG_FORMAT_RGBA;
    if (png_image_write_to_file(&image, argv[1], 0, rgba.data(), kIconSize * 4, nullptr) == 0) {
        std::fprintf(stderr, "avelune_icon_tool: cannot write %s: %s\n", argv[1], image.message);
        return 1;
    }
    return 0;
}
