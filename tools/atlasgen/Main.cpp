// atlasgen: paints every picture of the game into prop.bmp, and writes the
// start sound and the icon.
//
//   atlasgen --out-dir DIR [--png atlas.png]
//       DIR/prop.bmp, DIR/AV1.wav, DIR/avelune.png (32 x 32),
//       DIR/avelune16.png, DIR/avelune.ico, DIR/avelune192.png and
//       DIR/avelune512.png (the web page's); --png also writes the atlas as a
//       PNG to look at.
//   atlasgen --out-dir DIR --preview PDIR
//       also composes a few cockpit pictures from the atlas into PDIR.
//   atlasgen --check-mapping
//       tries the colour-to-index rules on small canvases; fails loudly.
//   atlasgen --needle-tables
//       prints the needle tables (gfx/NeedleTables.cpp) for the needle
//       pictures this generator draws.
//
// The output depends on nothing but this program and the font files, so two
// runs write the same bytes.
#include <cairo.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "Jobs.h"
#include "MappingCheck.h"
#include "NeedleArt.h"
#include "Outputs.h"
#include "Preview.h"

// cairo 1.16 keeps a gradient it has rendered in an internal cache that is
// never released; a leak-checking build would otherwise fail the art step.
// Only allocations made inside libcairo are excused.
extern "C" const char* __lsan_default_suppressions() { return "leak:libcairo.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }

namespace {

bool InsideAtlas(const Sprite& r) {
    return r.x >= 0 && r.y >= 0 && r.width > 0 && r.height > 0 && r.x + r.width <= kAtlasWidth &&
           r.y + r.height <= kAtlasHeight;
}

// The picture's name in messages: its row's name, and for a series its number.
std::string PictureName(const JobPicture& p) {
    return p.job->place == nullptr ? p.job->name : std::string(p.job->name) + " " + std::to_string(p.arg);
}

bool PaintPicture(const JobPicture& p, AtlasIndices& atlas) {
    const Job& job = *p.job;
    if (!InsideAtlas(p.rect)) {
        std::fprintf(stderr, "atlasgen: picture %s lies outside the atlas\n", PictureName(p).c_str());
        return false;
    }
    if (job.paint != nullptr) {
        cairo_surface_t* canvas = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, p.rect.width, p.rect.height);
        cairo_t* cr = cairo_create(canvas);
        job.paint(cr, p.rect, p.arg);
        const cairo_status_t status = cairo_status(cr);
        cairo_destroy(cr);
        cairo_surface_flush(canvas);
        if (status != CAIRO_STATUS_SUCCESS) {
            std::fprintf(stderr, "atlasgen: painting %s failed: %s\n", PictureName(p).c_str(),
                         cairo_status_to_string(status));
            cairo_surface_destroy(canvas);
            return false;
        }
        ToIndices(cairo_image_surface_get_data(canvas), cairo_image_surface_get_stride(canvas), p.rect, job.dither,
                  atlas);
        cairo_surface_destroy(canvas);
    }
    if (job.finish != nullptr) job.finish(atlas, p.rect);
    return true;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: atlasgen --out-dir DIR [--png FILE] [--preview DIR]\n"
                 "       atlasgen --check-mapping\n"
                 "       atlasgen --needle-tables\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string outDir, png, preview;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out-dir") == 0 && i + 1 < argc) {
            outDir = argv[++i];
        } else if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc) {
            png = argv[++i];
        } else if (std::strcmp(argv[i], "--preview") == 0 && i + 1 < argc) {
            preview = argv[++i];
        } else if (std::strcmp(argv[i], "--check-mapping") == 0) {
            return CheckMapping() == 0 ? 0 : 1;
        } else if (std::strcmp(argv[i], "--needle-tables") == 0) {
            return PrintNeedleTables() ? 0 : 1;
        } else {
            return Usage();
        }
    }
    if (outDir.empty()) return Usage();

    AtlasIndices atlas;
    for (const JobPicture& picture : JobPictures(AtlasJobs())) {
        if (!PaintPicture(picture, atlas)) return 1;
    }
    const bool ok = WriteAtlasBmp(atlas, outDir + "/prop.bmp") && WriteStartSound(outDir + "/AV1.wav") &&
                    WriteIcons(outDir + "/avelune.png", outDir + "/avelune16.png", outDir + "/avelune.ico") &&
                    WriteIconPng(192, outDir + "/avelune192.png") && WriteIconPng(512, outDir + "/avelune512.png") &&
                    (png.empty() || WriteAtlasPng(atlas, png)) &&
                    (preview.empty() || WriteCockpitPreviews(atlas, preview));
    return ok ? 0 : 1;
}
