#include "platform/sdl/XErrors.h"

#include <SDL.h>
#include <dlfcn.h>

#include <cstdlib>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#endif

namespace {

#if defined(SDL_VIDEO_DRIVER_X11)
using Handler = int (*)(Display*, XErrorEvent*);
Handler previous = nullptr;
bool installed = false;

int Forgive(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow && error->request_code == X_SendEvent) return 0;
    return previous ? previous(display, error) : 0;
}

// Xlib as SDL loads it: the same library by the same name, so the handler
// set here is the one SDL finds (and puts back when it closes the display).
void* LoadXlib() {
    if (void* loaded = dlopen("libX11.so.6", RTLD_LAZY | RTLD_GLOBAL)) return loaded;
    return dlopen("libX11.so", RTLD_LAZY | RTLD_GLOBAL);
}
#endif

}  // namespace

void ForgiveEventsToClosedWindows() {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (installed) return;
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return;
    void* xlib = LoadXlib();  // kept loaded for the program's life
    if (xlib == nullptr) return;
    const auto set = reinterpret_cast<decltype(&XSetErrorHandler)>(dlsym(xlib, "XSetErrorHandler"));
    if (set == nullptr) return;
    previous = set(Forgive);
    installed = true;
#endif
}

