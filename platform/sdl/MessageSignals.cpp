#include "platform/sdl/MessageSignals.h"

#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <new>

namespace {

// Shared between the program and the processes it forks while a guard lives.
struct SharedState {
    std::atomic<int> signal{0};
    std::atomic<pid_t> child{0};
};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<pid_t>::is_always_lock_free,
              "the page is shared between processes and read in a signal handler");

std::atomic<SharedState*> g_state{nullptr};
pid_t g_parent = 0;
struct sigaction g_oldTerm {}, g_oldInt {};

extern "C" void OnSignal(int sig) {
    SharedState* state = g_state.load();
    if (state == nullptr) return;
    state->signal.store(sig);
    const pid_t child = state->child.load();
    if (child > 0) kill(child, SIGTERM);
}

// Runs in every child forked while a guard lives, before it returns from fork.
extern "C" void InChild() {
    SharedState* state = g_state.load();
    if (state == nullptr) return;
    g_state.store(nullptr);  // the child's own forks are none of this
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    sigaction(SIGTERM, &byDefault, nullptr);
    sigaction(SIGINT, &byDefault, nullptr);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != g_parent) _exit(1);  // the program is already gone
    // Published after the default action is back, so the handler's kill
    // always ends it; then a signal that came first ends it here.
    state->child.store(getpid());
    if (state->signal.load() != 0) _exit(1);
}

}  // namespace

MessageSignalGuard::MessageSignalGuard() {
    static std::once_flag registered;
    std::call_once(registered, [] { pthread_atfork(nullptr, nullptr, InChild); });
    void* page = mmap(nullptr, sizeof(SharedState), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED) std::abort();  // a few bytes of memory: nothing sensible is left to do
    g_parent = getpid();
    g_state.store(new (page) SharedState);
    struct sigaction caught {};
    caught.sa_handler = OnSignal;
    sigemptyset(&caught.sa_mask);
    caught.sa_flags = 0;  // no SA_RESTART: a wait of our own returns
    sigaction(SIGTERM, &caught, &g_oldTerm);
    sigaction(SIGINT, &caught, &g_oldInt);
}

MessageSignalGuard::~MessageSignalGuard() {
    sigaction(SIGTERM, &g_oldTerm, nullptr);
    sigaction(SIGINT, &g_oldInt, nullptr);
    SharedState* state = g_state.exchange(nullptr);
    munmap(state, sizeof(SharedState));
}

int MessageSignalGuard::signal() const {
    const SharedState* state = g_state.load();
    return state ? state->signal.load() : 0;
}

int MessageSignalGuard::child() const {
    const SharedState* state = g_state.load();
    return state ? state->child.load() : 0;
}
