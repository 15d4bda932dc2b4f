// Message boxes that always reach the player.
//
// SDL's own message box comes first. Where it cannot be shown (SDL 2's X11
// box needs the X core fonts, and fails without them), the same caption and
// text appear in a window of the program's own: a modal Dear ImGui window
// with an OK button in a small window opened for it. Either way the text goes to standard error as
// well, and SIGTERM or SIGINT still ends the box at once (MessageSignals.h).
//
// For tests only: AVELUNE_TEST_NO_NATIVE_MESSAGEBOX=1 makes SDL's box count
// as failed, so the program's own box is shown.
#pragma once

#include <SDL.h>

#include <string>

enum class MessageKind { kError, kInformation };

enum class MessageEnd {
    kDismissed,  // OK, Return, Escape, Space or the box's window closed
    kQuit,       // a signal asked the program to end
};

// Writes "avelune: " and `logText` (empty: `text`) to standard error, shows
// `text` captioned with the program's title and returns when the box is
// gone.
MessageEnd ShowMessageBox(MessageKind kind, const std::string& text, const std::string& logText = {});

// The environment switch that makes SDL's own box count as failed.
constexpr const char* kNoNativeMessageBoxVariable = "AVELUNE_TEST_NO_NATIVE_MESSAGEBOX";
