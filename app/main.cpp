// avelune: the desktop game, or with --headless the same game without a window.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>

#include <csignal>

#include "gfx/Blit.h"

int RunHeadless(int argc, char** argv);
int RunShareLink(int argc, char** argv);

#ifdef AVELUNE_DESKTOP
int RunDesktop(int argc, char** argv);
#else
// A build without SDL2 (AVELUNE_BUILD_DESKTOP=OFF) still runs headless.
static int RunDesktop(int, char**) {
    std::fprintf(stderr, "avelune: this build has no desktop window; run it with --headless (see --headless --help)\n");
    return 1;
}
#endif

namespace {

int Run(int argc, char** argv) {
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
        if (std::strcmp(argv[i], "--share-link") == 0) return RunShareLink(argc, argv);
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0) return RunHeadless(argc, argv);
    }
    return RunDesktop(argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
    // A file-size limit makes a write fail with "File too large" instead of
    // ending the program unannounced: every output then says what happened
    // and leaves no temporary file behind.
    std::signal(SIGXFSZ, SIG_IGN);
    // Whatever is thrown ends the program with a message, never an abort.
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "avelune: stopped: there is not enough memory\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "avelune: stopped: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "avelune: stopped by an unknown failure\n");
    }
    return 1;
}
