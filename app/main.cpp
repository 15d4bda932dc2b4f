// avelune: the desktop game, or with --headless the same game without a window.
#include <cstdio>
#include <cstring>

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
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0) return RunHeadless(argc, argv);
    }
    return RunDesktop(argc, argv);
}
