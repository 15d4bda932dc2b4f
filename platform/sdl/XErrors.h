// SDL 2.26 wakes its own event wait by sending an X event to the window over
// a second connection to the X server. A wake-up sent as the window closes
// (a click that quits is such an event) can reach the server after the
// window is gone; the server answers BadWindow, and Xlib's default handler
// ends the program with status 1 as it closes, though nothing went wrong.
#pragma once

// Before SDL opens the X display: lets an event sent to a window that no
// longer exists go unremarked (no one is left to receive it); every other X
// error goes to the handler that was there before. Does nothing where the
// display is not X11 or Xlib cannot be loaded.
void ForgiveEventsToClosedWindows();

