// The only way the game core reaches the outside world.
//
// The core (gfx/, game/, cockpit/, gauges/, input/) never sees a window, a
// clock or a sound device. A host implements these few services: the desktop
// host over SDL2, and the headless host that tests, replays and screenshots
// use. Every call is made on the one game thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "gfx/Blit.h"
#include "gfx/Color.h"

class GameHost {
public:
    virtual ~GameHost() = default;

    // Kill timer 1, then start it again with the given period: the next tick
    // falls one full period from now, even where the timer had been stopped.
    virtual void RearmTimer(uint32_t periodMs) = 0;
    // Stop timer 1: no tick arrives until something re-arms it.
    virtual void KillTimer() = 0;

    // The row order the host prefers for the surface: -1 top-down, 1 bottom-up.
    virtual int RecommendedSurfaceOrientation() = 0;
    // The display's 20 reserved colours: entries 0..9, then entries 246..255.
    virtual std::array<Rgb, 20> SystemColors() = 0;
    // Select the game palette for the window (the palette never changes).
    virtual void RealizePalette(const PaletteColors& palette) = 0;
    // Copy the top-left width x height pixels of the surface to the same
    // place in the window. `surfaceBits` is 640 x 480 bytes, stride 640, rows
    // top-down when `orientation` is -1, bottom-up otherwise.
    virtual void ShowSurface(const uint8_t* surfaceBits, int orientation, int width, int height) = 0;
    // The same, when nothing has been drawn into the surface since the last
    // ShowSurface of this size: the window is to show it again just as then
    // (over any line drawn since), and a host may skip comparing it.
    virtual void ShowSurfaceUnchanged(const uint8_t* surfaceBits, int orientation, int width, int height) {
        ShowSurface(surfaceBits, orientation, width, height);
    }
    // The same again, when the surface can differ from the one last shown
    // at this size only in the columns `rows` names in each row (row y as
    // seen, from the top); a host may compare only those.
    virtual void ShowSurfaceRows(const uint8_t* surfaceBits, int orientation, int width, int height,
                                 const SurfaceRows& rows) {
        (void)rows;
        ShowSurface(surfaceBits, orientation, width, height);
    }
    // A solid black one-pixel line on the window from (x0, y0) up to but not
    // including (x1, y1). Never drawn into the surface.
    virtual void DrawBlackLine(int x0, int y0, int x1, int y1) = 0;

    // Ask the program to end once the current handler returns.
    virtual void PostQuit() = 0;
    // Start a sound file playing without waiting for it; a missing file, or
    // no audio at all, is silent.
    virtual void StartSound(const std::string& fileName) = 0;
    // The runtime library's generator: 0..32767.
    virtual int Rand() = 0;
};
