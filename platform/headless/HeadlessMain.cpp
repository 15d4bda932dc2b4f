#include <cstdio>

int RunHeadless(int, char**) {
    std::fprintf(stderr, "avelune: headless runner pending\n");
    return 1;
}
