// avelune: the desktop game, or with --headless the same game without a window.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gfx/Blit.h"

int RunHeadless(int argc, char** argv);

#ifdef AVELUNE_DESKTOP
int RunDesktop(int argc, char** argv);
#else
// A build without SDL2 (AVELUNE_BUILD_DESKTOP=OFF) still runs headless.
static int RunDesktop(int, char**) {
    std::fprintf(stderr, "avelune: this build has no desktop window; run it with --headless (see --headless --help)\n");
    return 1;
}
#endif

int main(int argc, char** argv) {
    // AVELUNE_BLIT=portable draws with the plain C++ rows even where the
    // processor has faster ones (to compare the two); "fastest" is the default.
    if (const char* blit = std::getenv("AVELUNE_BLIT"); blit != nullptr && *blit != '\0') {
        BlitPath path;
        if (!BlitPathNamed(blit, path)) {
            std::fprintf(stderr, "avelune: AVELUNE_BLIT is '%s'; it may be 'portable' or 'fastest'\n", blit);
            return 2;
        }
        SetBlitPath(path);
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0) return RunHeadless(argc, argv);
    }
    return RunDesktop(argc, argv);
}
