#include <cstdio>

// The desktop window: replaced by the SDL2 host.
int RunDesktop(int, char**) {
    std::fprintf(stderr, "avelune: the desktop window is not built yet; use --headless\n");
    return 1;
}
