// SPDX-License-Identifier: GPL-3.0-or-later
// The queued quit request: it posts a quit that ends the event loop once the
// loop runs (also when asked before the loop started); nothing returns early
// and no window is closed by it.
#pragma once

void RequestQuit();
// Whether a quit was requested in this process (for tests).
bool QuitRequested();
// Forgets an earlier request (for tests).
void ResetQuitRequest();
