// The pictures of the title, information and result screens: what the
// painters of ScreensArt*.cpp share.
//
// Colours are palette indices wherever an area is flat (so it lands on
// exactly that index, and two pictures that must meet seamlessly use the same
// one); gradients are painted in RGB and dithered by the generator.
#pragma once

#include <cairo.h>

#include "Jobs.h"
#include "PaintKit.h"

namespace screens {

// ---- Colours the screens share ------------------------------------------

// The inside of the message panel: labels, headlines and messages are painted
// on this same index so they sit in the panel without a seam.
int PanelInk();
// The title picture's top row, which is also the information page's bottom row.
int TitleTopSky();

// ---- Text ------------------------------------------------------------------

// Picks the largest size from `size` down to `smallest` at which the text's
// ink fits `width` pixels, selects it and returns it. Lettering that would
// have to shrink below `smallest` is a fault of the picture: the generator
// stops with a message naming the text.
double FitFont(cairo_t* cr, Font font, const char* text, double width, double size, double smallest);
// Width of the ink of `text` in the current font.
double InkWidth(cairo_t* cr, const char* text);
// Text in the current font, its ink centred on x, baseline at y.
void TextCentredAt(cairo_t* cr, const char* text, double x, double baseline);
// Text with a one-pixel dark outline all round, for lettering over pictures.
void OutlinedText(cairo_t* cr, const char* text, double x, double baseline, int ink, int outline);

// ---- Buttons ----------------------------------------------------------------

// The look of a push button: raised (as it rests), or pressed in.
enum class ButtonState { Raised, Pressed };

// A bevelled button face filling the rectangle, with its label (may be null)
// centred on it; a pressed button's label sits one pixel lower and right.
void ButtonFace(cairo_t* cr, int x, int y, int w, int h, ButtonState state, const char* label);
// Only the edge of a button, the same pixels ButtonFace paints there, leaving
// the face inside transparent: the start button's pictures also serve as the
// back button, so the word under them comes from the picture they cover.
void ButtonEdge(cairo_t* cr, int x, int y, int w, int h, ButtonState state);
// Width of a button's edge (outline and bevel rings), in pixels.
constexpr int kButtonEdge = 5;

// The information page's round "i" glyph centred in a box.
void InfoGlyph(cairo_t* cr, double cx, double cy, int ink);

// ---- Panels and scenes --------------------------------------------------------

// The message panel (556 x 64): a steel frame round a flat dark inside of
// PanelInk. Uniform along its length, so its own last columns drawn further
// right make a longer panel without a seam.
void MessagePanel(cairo_t* cr, int x, int y, int w, int h);
// The title plates (365 x 210): a rounded navy plate with a gold rim.
void TitlePlate(cairo_t* cr, int w, int h);
// The button bar of the information pages (283 x 43) at (x, y): back, the
// page's own "i", and continue, or (second page) back and a page note.
void InformationBar(cairo_t* cr, int x, int y, bool secondPage);
// A dusk approach seen from behind the aircraft: sky, hills, ground and a
// runway whose centre line vanishes at (vanishX, horizonY).
void DuskScene(cairo_t* cr, int x, int y, int w, int h, double vanishX, double horizonY, double runwayHalfWidth);
// A small airliner seen from behind, centred on (cx, cy), `span` pixels from
// wing tip to wing tip, banked by `bankDegrees` (right wing down positive).
void AirlinerRear(cairo_t* cr, double cx, double cy, double span, double bankDegrees);

// ---- Painters (one catalogue rectangle each) ----------------------------------

void PaintTitlePicture(cairo_t* cr, const Sprite& r, int);
void PaintTitlePanel(cairo_t* cr, const Sprite& r, int);
void PaintTitleBackground(cairo_t* cr, const Sprite& r, int);
// The beacon in its window: phase 0 the white beam, 1 turned away, 2 the green beam.
void PaintBeacon(cairo_t* cr, const Sprite& r, int phase);
// The approach lights with flasher `rabbit` (0..3) lit.
void PaintApproachLights(cairo_t* cr, const Sprite& r, int rabbit);
// The small aircraft seen from behind, banked by `bankDegrees`.
void PaintAircraft(cairo_t* cr, const Sprite& r, int bankDegrees);
void FinishAircraft(AtlasIndices& atlas, const Sprite& r);

// The start button's edge and the quit button, `state` a ButtonState.
void PaintStartButton(cairo_t* cr, const Sprite& r, int state);
void PaintQuitButton(cairo_t* cr, const Sprite& r, int state);
void PaintPagePressed(cairo_t* cr, const Sprite& r, int);
void PaintPageReleased(cairo_t* cr, const Sprite& r, int);
void PaintContinuePressed(cairo_t* cr, const Sprite& r, int);
void FinishMiddleReleased(AtlasIndices& atlas, const Sprite& r);

void PaintInformationPage(cairo_t* cr, const Sprite& r, int);
void FinishInformationPage(AtlasIndices& atlas, const Sprite& r);
void PaintInformationBar(cairo_t* cr, const Sprite& r, int);
void PaintSecondPageBar(cairo_t* cr, const Sprite& r, int);
void PaintSecondPagePanel(cairo_t* cr, const Sprite& r, int);
void PaintLabel(cairo_t* cr, const Sprite& r, int);
void PaintPreviewCockpit(cairo_t* cr, const Sprite& r, int);
void FinishPreviewCockpit(AtlasIndices& atlas, const Sprite& r);
void PaintPreviewApproach(cairo_t* cr, const Sprite& r, int);

void PaintMessagePanel(cairo_t* cr, const Sprite& r, int);
void PaintWarningHeadline(cairo_t* cr, const Sprite& r, int);
void PaintFailureHeadline(cairo_t* cr, const Sprite& r, int);
void PaintArrivalHeadline(cairo_t* cr, const Sprite& r, int);
void PaintWarningLampLit(cairo_t* cr, const Sprite& r, int);
void PaintWarningLampDark(cairo_t* cr, const Sprite& r, int);
void PaintCourseMessage(cairo_t* cr, const Sprite& r, int);
void PaintOverspeedMessage(cairo_t* cr, const Sprite& r, int);
void PaintOverspeedEnd(cairo_t* cr, const Sprite& r, int);
void PaintArrivalMessage(cairo_t* cr, const Sprite& r, int);

// The wording of the hover label painted in a label rectangle, or null when
// the rectangle is not one of the labels.
const char* LabelText(const Sprite& r);

}  // namespace screens
