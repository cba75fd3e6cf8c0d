// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/interrupt_cleanup.h"

#include <signal.h>

#include "imaging/engine/atomic_file.h"

namespace cli {
namespace {

// Async-signal-safe calls only.
extern "C" void OnInterrupt(int signal) {
    pix::RemoveTemporaryFilesForExit();
    // The handler was installed to run once: the signal raised again is held
    // back until the handler returns, then its default action ends the process.
    ::raise(signal);
}

}  // namespace

void RemoveTemporaryFilesOnInterrupt() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGHUP, SIGINT, SIGTERM}) sigaddset(&action.sa_mask, s);
    for (int s : {SIGHUP, SIGINT, SIGTERM}) {
        // A signal the caller chose to ignore (nohup) stays ignored.
        struct sigaction before {};
        if (::sigaction(s, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
        ::sigaction(s, &action, nullptr);
    }
}

}  // namespace cli
