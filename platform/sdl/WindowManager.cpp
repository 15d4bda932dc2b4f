#include "platform/sdl/WindowManager.h"

#include <SDL_syswm.h>
#include <dlfcn.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

bool WindowManagerRuns(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return true;
    // Xlib is loaded already (SDL's X11 driver uses it): its functions are
    // looked up rather than linked, so the program needs nothing more.
    const auto intern = reinterpret_cast<decltype(&XInternAtom)>(dlsym(RTLD_DEFAULT, "XInternAtom"));
    const auto property = reinterpret_cast<decltype(&XGetWindowProperty)>(dlsym(RTLD_DEFAULT, "XGetWindowProperty"));
    const auto release = reinterpret_cast<decltype(&XFree)>(dlsym(RTLD_DEFAULT, "XFree"));
    const auto root = reinterpret_cast<decltype(&XDefaultRootWindow)>(dlsym(RTLD_DEFAULT, "XDefaultRootWindow"));
    if (!intern || !property || !release || !root) return true;
    Display* display = info.info.x11.display;
    const Atom check = intern(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;  // no program on this server ever named the atom
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = property(display, root(display), check, 0, 1, False, XA_WINDOW, &type, &format, &items,
                                &after, &data);
    if (data) release(data);
    return status == Success && type == XA_WINDOW && items == 1;
#else
    (void)window;
    return true;
#endif
}
