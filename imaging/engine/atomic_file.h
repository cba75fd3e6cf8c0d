// SPDX-License-Identifier: GPL-3.0-or-later
// Writes files whole or not at all: the bytes go to a short hidden temporary
// file in the target's folder, are flushed to disk and renamed over the target.
// The temporary files of writes in progress are listed where a signal handler
// can remove them.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace pix {

// Temporary files are named ".strakel-" and 8 letters or digits, whatever the
// target is called, so that every name the file system allows can be written.
constexpr char kTemporaryPrefix[] = ".strakel-";
constexpr size_t kTemporaryNameLength = sizeof kTemporaryPrefix - 1 + 8;

// Writes `bytes` to `path`. Returns 1 on success; -8 for a path without a file
// name; -131 when the temporary file cannot be made (a missing or read-only
// folder); -5 when writing, flushing or the rename fails. On failure the
// temporary file is gone and an existing file at `path` is as it was. When
// `systemError` is given it receives the errno of the failing call (0 if none).
//
// A new file gets the permissions the folder gives any new file (0666 less the
// umask, or the folder's default ACL). A regular file that is replaced keeps its
// permission bits (and, where the process may set them, its owner and group);
// when its group cannot be kept, the group bits become those it gave to others.
// A symbolic link at `path` is replaced by the file, not written through.
//
// With `replace` false an existing file (or link) at `path` is never replaced:
// the write fails with -5 and EEXIST, also when the file appeared while the
// bytes were being written.
int32_t WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes,
                            int* systemError = nullptr, bool replace = true);

// Removes the temporary file of every write in progress, and makes writes
// that are still starting fail. Uses async-signal-safe calls only: meant for a
// handler of SIGHUP, SIGINT, SIGQUIT or SIGTERM that then ends the process.
// (The writer blocks those signals in its own thread for the few calls that
// create and list a temporary file.)
void RemoveTemporaryFilesForExit();

// The system calls of the writer that tests replace to inject failures.
struct AtomicFileCalls {
    ssize_t (*write)(int fd, const void* data, size_t size);
    int (*fsync)(int fd);
    // renameat2: flags 0 or RENAME_NOREPLACE.
    int (*renameat)(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags);
};

// The calls of the system itself.
AtomicFileCalls SystemAtomicFileCalls();

// Installs `calls` for every later write of the process and returns the ones
// before. Not for use while another thread writes.
AtomicFileCalls SetAtomicFileCalls(const AtomicFileCalls& calls);

}  // namespace pix
