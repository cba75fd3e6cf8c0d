// SPDX-License-Identifier: GPL-3.0-or-later
// Makes an interrupted run (Ctrl-C, SIGTERM, a closed terminal) leave no hidden
// temporary files beside the outputs it was writing.
#pragma once

namespace cli {

// On SIGHUP, SIGINT and SIGTERM: removes the temporary files of the writes in
// progress, then ends the process by that signal, as its default action would
// (a shell reports 128 + the signal number).
void RemoveTemporaryFilesOnInterrupt();

}  // namespace cli
