// avelune: the desktop game, or with --headless the same game without a window.
#include <cstring>

int RunHeadless(int argc, char** argv);
int RunDesktop(int argc, char** argv);

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0) return RunHeadless(argc, argv);
    }
    return RunDesktop(argc, argv);
}
