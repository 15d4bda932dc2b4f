// When the desktop window is drawn again, and how much of it.
//
// One pass of the event loop may deliver a tick (whose screen can show the
// same picture a dozen times), any number of events, or nothing at all. All
// of it is gathered here and becomes at most one window update after the
// pass: the picture uploaded only if it differs from the one shown, ImGui
// run only if the menu bar, a pop-up or a dialog may look different, and
// nothing at all, not even a present, when nothing changed.
#pragma once

struct FramePlan {
    int imguiFrames = 0;   // new ImGui frames to build (0: draw the last one again)
    bool present = false;  // draw and present the window (uploading the picture if it changed)
    friend bool operator==(const FramePlan&, const FramePlan&) = default;
};

class PresentSchedule {
public:
    // An event that may change the menu bar, a pop-up or a dialog (ImGui
    // settles a new pop-up or hover over two frames).
    void NoteUiInput() { uiInput_ = true; }
    // The game's picture or palette differs from the one in the texture.
    void NotePictureChanged() { pictureChanged_ = true; }
    // A flight window or dialog is open: its text follows the game.
    void NoteWindowsOpen() { windowsOpen_ = true; }

    // The window update this pass needs; starts the next pass empty.
    FramePlan Take();

private:
    bool uiInput_ = false;
    bool pictureChanged_ = false;
    bool windowsOpen_ = false;
};
