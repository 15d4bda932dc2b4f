// SIGTERM and SIGINT end the program even while a message box is up.
//
// SDL shows its X11 message box from a child process and waits for that
// child in waitpid(), retrying when a signal interrupts it; SDL's own signal
// handler merely queues a quit event that nobody reads meanwhile. So the
// program, asked to end, would sit there until someone closed the box.
//
// While a guard lives, the two signals are caught here instead: the handler
// notes the signal and ends any process forked meanwhile (the box's), so the
// wait returns at once, and the caller, seeing signalled(), ends the program
// as it would after the box. A process forked meanwhile reports its id
// through a page shared with the program, takes the default action for both
// signals again, and dies with the program (PR_SET_PDEATHSIG), so a box never
// outlives it.
#pragma once

class MessageSignalGuard {
public:
    MessageSignalGuard();
    ~MessageSignalGuard();

    MessageSignalGuard(const MessageSignalGuard&) = delete;
    MessageSignalGuard& operator=(const MessageSignalGuard&) = delete;

    // The signal that arrived while the guard lived, or 0.
    int signal() const;
    bool signalled() const { return signal() != 0; }
    // The process forked last while the guard lived (the box's), or 0.
    int child() const;
};
