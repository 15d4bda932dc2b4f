#include "Outputs.h"

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "ArtPalette.h"
#include "PaintKit.h"
#include "files/ReplaceFile.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Whole or not at all: a file that cannot be written (a full disk, a folder
// in its place) leaves what stood there as it was.
bool WriteBytes(const std::vector<uint8_t>& bytes, const std::string& path) {
    std::string reason;
    if (!ReplaceFile(path, bytes.data(), bytes.size(), reason)) {
        std::fprintf(stderr, "atlasgen: cannot write %s: %s\n", path.c_str(), reason.c_str());
        return false;
    }
    return true;
}

// BITMAPINFOHEADER for an uncompressed bottom-up picture.
void PutInfoHeader(std::vector<uint8_t>& out, int width, int height, int bits, uint32_t imageSize, uint32_t colours) {
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bits));
    Put32(out, 0);  // BI_RGB
    Put32(out, imageSize);
    Put32(out, 2835);  // 72 dots per inch
    Put32(out, 2835);
    Put32(out, colours);
    Put32(out, 0);
}

}  // namespace

bool WriteCairoPng(cairo_surface_t* surface, const std::string& path) {
    std::vector<uint8_t> png;
    const auto append = [](void* out, const unsigned char* data, unsigned int length) {
        auto* bytes = static_cast<std::vector<uint8_t>*>(out);
        bytes->insert(bytes->end(), data, data + length);
        return CAIRO_STATUS_SUCCESS;
    };
    if (cairo_surface_write_to_png_stream(surface, append, &png) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "atlasgen: cannot make the picture %s\n", path.c_str());
        return false;
    }
    return WriteBytes(png, path);
}

std::vector<uint8_t> AtlasBmpBytes(const AtlasIndices& atlas) {
    const uint32_t imageSize = static_cast<uint32_t>(kAtlasWidth) * kAtlasHeight;  // 3200 is a multiple of 4
    const uint32_t offBits = 14 + 40 + 256 * 4;
    std::vector<uint8_t> out;
    out.reserve(offBits + imageSize);
    out.push_back('B');
    out.push_back('M');
    Put32(out, offBits + imageSize);
    Put32(out, 0);
    Put32(out, offBits);
    PutInfoHeader(out, kAtlasWidth, kAtlasHeight, 8, imageSize, 256);
    for (const Rgb8& c : AtlasPalette()) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    const auto& pixels = atlas.Pixels();
    for (int y = kAtlasHeight - 1; y >= 0; --y) {  // bottom-up
        const auto* row = pixels.data() + static_cast<size_t>(y) * kAtlasWidth;
        out.insert(out.end(), row, row + kAtlasWidth);
    }
    return out;
}

bool WriteAtlasBmp(const AtlasIndices& atlas, const std::string& path) { return WriteBytes(AtlasBmpBytes(atlas), path); }

bool WriteAtlasPng(const AtlasIndices& atlas, const std::string& path) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kAtlasWidth, kAtlasHeight);
    cairo_surface_flush(surface);
    uint8_t* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const auto& pal = AtlasPalette();
    for (int y = 0; y < kAtlasHeight; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < kAtlasWidth; ++x) {
            const Rgb8 c = pal[atlas.At(x, y)];
            row[x] = (static_cast<uint32_t>(c.r) << 16) | (static_cast<uint32_t>(c.g) << 8) | c.b;
        }
    }
    cairo_surface_mark_dirty(surface);
    const bool ok = WriteCairoPng(surface, path);
    cairo_surface_destroy(surface);
    return ok;
}

bool WriteStartSound(const std::string& path) {
    // An engine spooling up under a two-note chime: a buzzy tone rising from
    // 70 to 140 Hz, and a bell pair (E5, then A5) over it. Pure arithmetic,
    // so every run writes the same bytes.
    constexpr int kRate = 22050;
    constexpr int kSamples = kRate;  // one second
    constexpr double kPi = 3.14159265358979323846;
    std::vector<int16_t> samples(kSamples);
    double enginePhase = 0.0;
    for (int i = 0; i < kSamples; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double frequency = 70.0 + 70.0 * t * t * (3.0 - 2.0 * t);
        enginePhase += 2.0 * kPi * frequency / kRate;
        double engine = 0.0;
        for (int h = 1; h <= 6; ++h) engine += std::sin(h * enginePhase) / h;
        const double engineEnvelope = std::min(1.0, t * 8.0) * (1.0 - 0.6 * t) * (t < 0.93 ? 1.0 : (1.0 - t) / 0.07);
        double bell = 0.0;
        auto strike = [&](double at, double f) {
            if (t < at) return;
            const double u = t - at;
            const double decay = std::exp(-u * 5.0) * std::min(1.0, u * 400.0);
            bell += decay * (std::sin(2 * kPi * f * u) + 0.4 * std::sin(2 * kPi * 2.76 * f * u) +
                             0.2 * std::sin(2 * kPi * 5.4 * f * u));
        };
        strike(0.10, 659.26);
        strike(0.45, 880.00);
        const double fadeOut = t < 0.95 ? 1.0 : (1.0 - t) / 0.05;
        const double v = (0.30 * engine * engineEnvelope + 0.28 * bell) * fadeOut;
        const double clamped = v > 1.0 ? 1.0 : (v < -1.0 ? -1.0 : v);
        samples[i] = static_cast<int16_t>(std::lround(clamped * 30000.0));
    }
    std::vector<uint8_t> out;
    const uint32_t dataBytes = kSamples * 2;
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, 1);  // mono
    Put32(out, kRate);
    Put32(out, kRate * 2);
    Put16(out, 2);
    Put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, dataBytes);
    for (int16_t s : samples) Put16(out, static_cast<uint16_t>(s));
    return WriteBytes(out, path);
}

namespace {

// The 16 colours of the classic desktop, in the usual 4-bit order.
constexpr Rgb8 kIconColours[16] = {
    {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},   {0, 0, 128},   {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
};

void IconColour(cairo_t* cr, int k) {
    SetRgb(cr, kIconColours[k].r, kIconColours[k].g, kIconColours[k].b);
}

// A runway in perspective under a navy night sky with a white aircraft
// climbing away, laid out on a 32 x 32 grid and drawn at each size.
void PaintIcon(cairo_t* cr, int size) {
    const double s = size / 32.0;
    cairo_scale(cr, s, s);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);  // 16 colours: no blended edges
    // Sky disc and ground.
    cairo_arc(cr, 16, 16, 15.5, 0, 2 * 3.14159265358979);
    cairo_save(cr);
    cairo_clip(cr);
    IconColour(cr, 4);
    cairo_paint(cr);
    IconColour(cr, 2);
    cairo_rectangle(cr, 0, 19, 32, 13);
    cairo_fill(cr);
    IconColour(cr, 8);  // runway
    Polygon(cr, {{14.5, 19}, {17.5, 19}, {25, 32}, {7, 32}});
    cairo_fill(cr);
    IconColour(cr, 15);
    cairo_rectangle(cr, 15.5, 22, 1, 2.5);
    cairo_rectangle(cr, 15.4, 26.5, 1.2, 3.5);
    cairo_fill(cr);
    IconColour(cr, 11);  // approach lights
    for (int i = 0; i < 4; ++i) {
        cairo_rectangle(cr, 6 + i * 2.0, 30 - i * 2.6, 1.4, 1.4);
        cairo_rectangle(cr, 24.6 - i * 2.0, 30 - i * 2.6, 1.4, 1.4);
    }
    cairo_fill(cr);
    cairo_restore(cr);
    // Aircraft seen from behind: wings, fuselage, tail.
    IconColour(cr, 15);
    cairo_rectangle(cr, 5, 10, 22, 2.5);
    cairo_rectangle(cr, 14.5, 5, 3, 9);
    cairo_rectangle(cr, 11, 6, 10, 1.8);
    cairo_fill(cr);
    IconColour(cr, 9);
    cairo_rectangle(cr, 5, 10, 2, 2.5);
    cairo_rectangle(cr, 25, 10, 2, 2.5);
    cairo_fill(cr);
    // Rim.
    IconColour(cr, 7);
    cairo_set_line_width(cr, 1.2);
    cairo_arc(cr, 16, 16, 15.2, 0, 2 * 3.14159265358979);
    cairo_stroke(cr);
}

struct IconImage {
    int size;
    std::vector<int> indices;  // -1 transparent, rows top-down
};

IconImage RenderIcon(int size) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    PaintIcon(cr, size);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    IconImage image{size, std::vector<int>(static_cast<size_t>(size) * size, -1)};
    const uint8_t* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < size; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < size; ++x) {
            const uint32_t p = row[x];
            const int a = static_cast<int>(p >> 24);
            if (a < 128) continue;
            const int r = static_cast<int>((((p >> 16) & 0xFF) * 255 + a / 2) / a);
            const int g = static_cast<int>((((p >> 8) & 0xFF) * 255 + a / 2) / a);
            const int b = static_cast<int>(((p & 0xFF) * 255 + a / 2) / a);
            int best = 0;
            long bestD = -1;
            for (int k = 0; k < 16; ++k) {
                const long dr = kIconColours[k].r - r, dg = kIconColours[k].g - g, db = kIconColours[k].b - b;
                const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                if (bestD < 0 || d < bestD) {
                    bestD = d;
                    best = k;
                }
            }
            image.indices[static_cast<size_t>(y) * size + x] = best;
        }
    }
    cairo_surface_destroy(surface);
    return image;
}

bool WriteIconPng(const IconImage& image, const std::string& path) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.size, image.size);
    cairo_surface_flush(surface);
    uint8_t* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < image.size; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < image.size; ++x) {
            const int k = image.indices[static_cast<size_t>(y) * image.size + x];
            row[x] = k < 0 ? 0u
                           : (0xFF000000u | (static_cast<uint32_t>(kIconColours[k].r) << 16) |
                              (static_cast<uint32_t>(kIconColours[k].g) << 8) | kIconColours[k].b);
        }
    }
    cairo_surface_mark_dirty(surface);
    const bool ok = WriteCairoPng(surface, path);
    cairo_surface_destroy(surface);
    return ok;
}

// One icon image as an .ico entry: a 4-bit DIB of double height (colour
// rows, then the 1-bit transparency mask), both bottom-up, rows padded to 4.
std::vector<uint8_t> IconDib(const IconImage& image) {
    const int n = image.size;
    const int colourStride = ((n * 4 + 31) / 32) * 4, maskStride = ((n + 31) / 32) * 4;
    std::vector<uint8_t> out;
    PutInfoHeader(out, n, 2 * n, 4, static_cast<uint32_t>((colourStride + maskStride) * n), 16);
    for (const Rgb8& c : kIconColours) out.insert(out.end(), {c.b, c.g, c.r, 0});
    for (int y = n - 1; y >= 0; --y) {
        std::vector<uint8_t> row(colourStride, 0);
        for (int x = 0; x < n; ++x) {
            const int k = image.indices[static_cast<size_t>(y) * n + x];
            const uint8_t v = static_cast<uint8_t>(k < 0 ? 0 : k);
            row[x / 2] |= (x % 2 == 0) ? static_cast<uint8_t>(v << 4) : v;
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskStride, 0);
        for (int x = 0; x < n; ++x) {
            if (image.indices[static_cast<size_t>(y) * n + x] < 0) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

bool WriteIcons(const std::string& png32, const std::string& png16, const std::string& ico) {
    const IconImage large = RenderIcon(32), small = RenderIcon(16);
    if (!WriteIconPng(large, png32) || !WriteIconPng(small, png16)) return false;
    const std::vector<uint8_t> dibLarge = IconDib(large), dibSmall = IconDib(small);
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);  // icon
    Put16(out, 2);  // two images
    uint32_t offset = 6 + 2 * 16;
    for (const auto* dib : {&dibLarge, &dibSmall}) {
        const int n = dib == &dibLarge ? 32 : 16;
        out.push_back(static_cast<uint8_t>(n));
        out.push_back(static_cast<uint8_t>(n));
        out.push_back(16);  // colours
        out.push_back(0);
        Put16(out, 1);  // planes
        Put16(out, 4);  // bits per pixel
        Put32(out, static_cast<uint32_t>(dib->size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(dib->size());
    }
    out.insert(out.end(), dibLarge.begin(), dibLarge.end());
    out.insert(out.end(), dibSmall.begin(), dibSmall.end());
    return WriteBytes(out, ico);
}

bool WriteIconPng(int size, const std::string& path) { return WriteIconPng(RenderIcon(size), path); }
