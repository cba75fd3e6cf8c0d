// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/quit_request.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace {
bool g_requested = false;
}

void RequestQuit() {
    g_requested = true;
    // exit() ends the loop without closing windows, so the close handler does
    // not run on this path; queued, it takes effect once the loop runs.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

bool QuitRequested() {
    return g_requested;
}

void ResetQuitRequest() {
    g_requested = false;
}
