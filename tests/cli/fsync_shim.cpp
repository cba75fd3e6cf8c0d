// SPDX-License-Identifier: GPL-3.0-or-later
// Preloaded into strakel-sketch by its tests to stop or fail the one call that
// every output passes through before it takes its name: fsync. With
// STRAKEL_TEST_FSYNC=fail the call fails with EIO; with =hold it writes "held\n"
// to standard output and never returns, so that a test can signal the program
// while its temporary files exist. Otherwise it is the system's call.
#include <errno.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

extern "C" __attribute__((visibility("default"))) int fsync(int fd) {
    const char* mode = std::getenv("STRAKEL_TEST_FSYNC");
    if (mode && std::strcmp(mode, "fail") == 0) {
        errno = EIO;
        return -1;
    }
    if (mode && std::strcmp(mode, "hold") == 0) {
        if (::write(STDOUT_FILENO, "held\n", 5) != 5) ::_exit(99);
        for (;;) ::pause();
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}
