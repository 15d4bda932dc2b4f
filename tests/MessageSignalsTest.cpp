// SIGTERM and SIGINT while a message box is up: the box's process (here a
// child that would sleep for half a minute, as SDL's box waits for a click)
// ends at once, whether the signal comes while it runs or before it starts,
// and the program's own handlers are back afterwards.
#ifdef AVELUNE_HAS_DESKTOP

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/sdl/MessageSignals.h"

namespace {

volatile sig_atomic_t g_before = 0;
extern "C" void BeforeHandler(int sig) { g_before = sig; }

// Forks a stand-in for the box's process: it sleeps 30 s and exits 0.
pid_t ForkBox() {
    const pid_t pid = fork();
    if (pid == 0) {
        sleep(30);
        _exit(0);
    }
    return pid;
}

}  // namespace

TEST(MessageSignals, ASignalEndsTheBoxAndIsReported) {
    struct Case {
        int sig;
        bool beforeFork;  // the signal comes before the box's process starts
    };
    const Case cases[] = {{SIGTERM, false}, {SIGINT, false}, {SIGTERM, true}, {SIGINT, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "signal " << c.sig << (c.beforeFork ? " before" : " after") << " fork");
        struct sigaction before {}, old {};
        before.sa_handler = BeforeHandler;
        sigemptyset(&before.sa_mask);
        sigaction(c.sig, &before, &old);
        g_before = 0;
        int status = 0;
        {
            MessageSignalGuard guard;
            EXPECT_FALSE(guard.signalled());
            if (c.beforeFork) raise(c.sig);
            const pid_t box = ForkBox();
            ASSERT_GT(box, 0);
            if (!c.beforeFork) {
                while (guard.child() != box) usleep(1000);  // the child has its handlers reset
                raise(c.sig);
            }
            ASSERT_EQ(waitpid(box, &status, 0), box);
            EXPECT_EQ(guard.signal(), c.sig);
        }
        if (c.beforeFork) {
            // It saw the signal already noted and left at once.
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "status " << status;
        } else {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "status " << status;
        }
        EXPECT_EQ(g_before, 0) << "the handler from before the box ran during it";
        raise(c.sig);
        EXPECT_EQ(g_before, c.sig) << "the handler from before the box is not back";
        sigaction(c.sig, &old, nullptr);
    }
}

TEST(MessageSignals, ForksOutsideAGuardAreLeftAlone) {
    // The program ignores SIGTERM here; a child forked after the box keeps
    // that, as any child would.
    struct sigaction ignore {}, old {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGTERM, &ignore, &old);
    { MessageSignalGuard guard; }
    const pid_t pid = fork();
    if (pid == 0) {
        struct sigaction now {};
        sigaction(SIGTERM, nullptr, &now);
        _exit(now.sa_handler == SIG_IGN ? 0 : 3);
    }
    sigaction(SIGTERM, &old, nullptr);
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

#endif  // AVELUNE_HAS_DESKTOP
