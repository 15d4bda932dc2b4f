// Whether a window manager runs on the window's display, to grant full
// screen: without one (a bare X server) SDL believes the window full screen
// while it keeps its size, and the picture is laid out for a screen it does
// not have.
#pragma once

#include <SDL.h>

// True where a window manager says it runs (EWMH's _NET_SUPPORTING_WM_CHECK
// on the root window names a window), and wherever the display is not X11
// (the others always have one).
bool WindowManagerRuns(SDL_Window* window);
