// When the desktop window is drawn again, and how much of it.
//
// One pass of the event loop may deliver a tick (whose screen can show the
// same picture a dozen times), any number of events, or nothing at all. All
// of it is gathered here and becomes at most one window update after the
// pass: ImGui run only if the menu bar, a pop-up or a dialog may look
// different, and nothing at all, not even a present, when nothing changed.
// Where the renderer keeps the window's pixels between presents (SDL's
// software renderer draws into the window's own image), a picture that
// changed in part with nothing drawn over it is redrawn and sent to the
// window system in that part alone.
#pragma once

struct FramePlan {
    int imguiFrames = 0;      // new ImGui frames to build (0: draw the last one again)
    bool present = false;     // draw and present the window (uploading what changed)
    bool wholeWindow = true;  // clear and draw all of it; else only the changed part of the picture
    friend bool operator==(const FramePlan&, const FramePlan&) = default;
};

class PresentSchedule {
public:
    // Whether the window keeps its pixels from one present to the next.
    void SetWindowKeepsPixels(bool keeps) { keepsPixels_ = keeps; }
    // The window's pixels are lost, or its picture moved (a size change, a
    // part-update that failed): the next update draws all of it.
    void NoteWindowLost() { windowLost_ = true; }

    // An event that may change the menu bar, a pop-up or a dialog (ImGui
    // settles a new pop-up or hover over two frames).
    void NoteUiInput() { uiInput_ = true; }
    // The game's picture or palette differs from the one in the texture.
    void NotePictureChanged() { pictureChanged_ = true; }
    // A flight window or dialog is open: its text follows the game.
    void NoteWindowsOpen() { windowsOpen_ = true; }
    // A menu or the About box lies over the picture (or opened in the last
    // frame, and shows from the next).
    void NoteOverlay() { overlay_ = true; }

    // The window update this pass needs; starts the next pass empty.
    FramePlan Take();

private:
    bool keepsPixels_ = false;
    bool windowLost_ = true;  // nothing drawn yet
    bool uiInput_ = false;
    bool pictureChanged_ = false;
    bool windowsOpen_ = false;
    bool overlay_ = false;
};
