// A host window's picture, kept as the player sees it.
//
// The game never draws on the window directly: it copies the top-left part
// of its surface there (640 x 480 or 632 x 440) and draws black lines over
// the copy. This keeps the result as 640 x 480 palette indices plus a mask
// of the pixels a line has blackened since the last copy covered them, so a
// window that was covered and uncovered, or a change of scale, shows exactly
// the last picture again. Every host keeps its window this way: the desktop
// maps it through the game palette into 32-bit pixels to present it, the
// headless host reads it back for tests and screenshots.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "gfx/Color.h"
#include "gfx/Blit.h"

// A rectangle of window pixels, x0 <= x < x1 and y0 <= y < y1.
struct PictureRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
    int width() const { return x1 - x0; }
    int height() const { return y1 - y0; }
    friend bool operator==(const PictureRect&, const PictureRect&) = default;
};

class WindowPicture {
public:
    static constexpr int kWidth = kSurfaceWidth;
    static constexpr int kHeight = kSurfaceHeight;

    // Copies the top-left width x height of the surface (clipped to the
    // window) and so removes any line drawn over that part.
    void Show(const uint8_t* surfaceBits, int orientation, int width, int height);
    // The same, where the caller knows the surface holds what the last Show
    // took from it: only the lines drawn since are removed. A Show with other
    // arguments than the last is made in full.
    void ShowUnchanged(const uint8_t* surfaceBits, int orientation, int width, int height);
    // The same, where the caller knows the surface can differ from what the
    // last Show took from it only in the columns `rows` names in each row
    // (as seen): only they are compared. A Show with other arguments than
    // the last is made in full.
    void ShowRows(const uint8_t* surfaceBits, int orientation, int width, int height, const SurfaceRows& rows);
    // A one-pixel black line from (x0, y0) up to but not including (x1, y1),
    // lit as the window system lights it: one pixel per step along the longer
    // axis, the nearest to the true line, halves rounded away from the start.
    // Any coordinates are safe; what falls outside the window is dropped.
    void DrawBlackLine(int x0, int y0, int x1, int y1);

    uint8_t Index(int x, int y) const { return index_[Offset(x, y)]; }
    bool IsLine(int x, int y) const { return line_[Offset(x, y)] != 0; }
    // The colour at (x, y) through the palette, lines black.
    Rgb Color(const PaletteColors& palette, int x, int y) const;

    // Equal pictures show the same pixels.
    friend bool operator==(const WindowPicture& a, const WindowPicture& b) {
        return a.index_ == b.index_ && a.line_ == b.line_;
    }

    // Something changed since the last TakeChanged() or TakeDirty().
    bool changed() const { return !dirty_.empty(); }
    bool TakeChanged() { return !TakeDirty().empty(); }
    // The smallest rectangle holding every pixel that changed since the
    // last take (empty when none did); a new picture is dirty all over.
    PictureRect TakeDirty() {
        const PictureRect was = dirty_;
        dirty_ = PictureRect{};
        return was;
    }

    // The top-left width x height as 0xAARRGGBB pixels (opaque), rows
    // `pitch` bytes apart.
    void ToArgb(const PaletteColors& palette, int width, int height, uint32_t* out, int pitch) const;
    // The same for `rect` alone (clipped to the window): `out` is its
    // top-left pixel.
    void ToArgb(const PaletteColors& palette, const PictureRect& rect, uint32_t* out, int pitch) const;

private:
    static size_t Offset(int x, int y) { return static_cast<size_t>(y) * kWidth + static_cast<size_t>(x); }
    void Blacken(int x, int y);
    void MarkDirty(int x0, int x1, int y);  // x0 <= x < x1 on row y
    void ClearLines(int y, int width);      // on row y, x < width
    // Show comparing only `rows` (all when null).
    void CopyRows(const uint8_t* surfaceBits, int orientation, int width, int height, const SurfaceRows* rows);

    // Rows start on cache lines, as the game's surface rows do: whole-line copies.
    alignas(64) std::array<uint8_t, kWidth * kHeight> index_{};
    std::array<uint8_t, kWidth * kHeight> line_{};
    PictureRect dirty_{0, 0, kWidth, kHeight};
    int linesLit_ = 0;  // pixels set in line_
    // Per row: how many are set, and from which column to which (one past):
    // rows no line crosses are passed over without a look.
    struct RowLines {
        uint16_t count = 0, from = 0, to = 0;
    };
    std::array<RowLines, kHeight> rowLines_{};
    // What the last Show copied from.
    struct Source {
        const uint8_t* bits = nullptr;
        int orientation = 0, width = 0, height = 0;
        friend bool operator==(const Source&, const Source&) = default;
    } shown_;
};

// Writes the top-left width x height of the picture as an RGB PNG file;
// false (with `error` set) when it cannot be written.
bool WritePicturePng(const WindowPicture& picture, const PaletteColors& palette, int width, int height,
                     const std::string& path, std::string& error);
