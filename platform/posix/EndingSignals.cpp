#include "platform/posix/EndingSignals.h"

#include <limits.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

namespace {

// Every signal whose default ends the program, but those that report its
// own faults (SEGV, BUS, FPE, ILL, ABRT, TRAP), which the sanitizers answer.
constexpr int kEndingSignals[] = {SIGINT,  SIGTERM, SIGHUP,  SIGQUIT,   SIGALRM, SIGUSR1,
                                  SIGUSR2, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF};
constexpr std::size_t kMaxListed = 8;

// Where the handler can reach the paths without allocating.
struct CListedPath {
    volatile sig_atomic_t used;
    char path[PATH_MAX];
};
CListedPath g_listed[kMaxListed];

// How often the signals are held, and the mask before the first hold.
int g_holds = 0;
sigset_t g_beforeHolding;

extern "C" void RemoveListedAndEnd(int signal) {
    for (const CListedPath& listed : g_listed) {
        if (listed.used) {
            unlink(listed.path);
        }
    }
    // The handler was reset on entry: once it returns, the signal ends the
    // program as it would have without one.
    raise(signal);
}

void InstallHandlers() {
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    for (const int signal : kEndingSignals) {
        struct sigaction previous {};
        // A signal the program was started (or chose) to ignore stays ignored.
        if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_DFL) {
            struct sigaction removal {};
            removal.sa_handler = RemoveListedAndEnd;
            removal.sa_flags = SA_RESETHAND;
            sigfillset(&removal.sa_mask);
            sigaction(signal, &removal, nullptr);
        }
    }
}

sigset_t GetEndingSignals() {
    sigset_t ending;
    sigemptyset(&ending);
    for (const int signal : kEndingSignals) {
        sigaddset(&ending, signal);
    }
    return ending;
}

}  // namespace

bool ListForRemoval(const std::string& path) {
    InstallHandlers();
    for (CListedPath& listed : g_listed) {
        if (!listed.used && path.size() < sizeof listed.path) {
            std::memcpy(listed.path, path.c_str(), path.size() + 1);
            listed.used = 1;
            return true;
        }
    }
    return false;
}

void UnlistForRemoval(const std::string& path) {
    for (CListedPath& listed : g_listed) {
        if (listed.used && path == listed.path) {
            listed.used = 0;
        }
    }
}

void HoldEndingSignals() {
    if (g_holds++ == 0) {
        const sigset_t ending = GetEndingSignals();
        sigprocmask(SIG_BLOCK, &ending, &g_beforeHolding);
    }
}

void ReleaseEndingSignals() {
    if (g_holds > 0 && --g_holds == 0) {
        sigprocmask(SIG_SETMASK, &g_beforeHolding, nullptr);
    }
}

CEndingSignalsBlocked::CEndingSignalsBlocked() {
    const sigset_t ending = GetEndingSignals();
    sigprocmask(SIG_BLOCK, &ending, &m_previous);
}

CEndingSignalsBlocked::~CEndingSignalsBlocked() {
    sigprocmask(SIG_SETMASK, &m_previous, nullptr);
}
