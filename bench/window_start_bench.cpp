// SPDX-License-Identifier: GPL-3.0-or-later
// The window's start against a trivial Qt window: each runs as a child process
// (offscreen platform) that makes its application and window, shows it and
// leaves once the window is exposed; the parent reports the median wall time
// and CPU time of each over the runs, and their ratios.
// window_start_bench [RUNS]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_setup.h"
#include "app/main_window.h"

extern char** environ;

namespace {

// Shows `window` and returns from the event loop once it is exposed.
int ShowAndLeave(QApplication& app, QWidget& window) {
    window.show();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (window.windowHandle() && window.windowHandle()->isExposed()) app.quit();
    });
    poll.start(0);
    return app.exec();
}

int Child(int argc, char** argv, bool strakel) {
    QApplication app(argc, argv);
    if (!strakel) {
        QWidget window;
        window.resize(320, 240);
        return ShowAndLeave(app, window);
    }
    SetUpApplication(app);
    TForm1 form("");
    return ShowAndLeave(app, form);
}

struct Run {
    double wallMs = -1, cpuMs = -1;
};

Run Spawn(const char* self, const char* mode) {
    char* argv[] = {const_cast<char*>(self), const_cast<char*>(mode), nullptr};
    const auto start = std::chrono::steady_clock::now();
    // The children's Qt warnings would drown the table.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self, &quiet, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) return {};
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status))
        return {};
    const double wall =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return {wall, ms(usage.ru_utime) + ms(usage.ru_stime)};
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc == 2 && std::strcmp(argv[1], "--strakel") == 0) return Child(argc, argv, true);
    if (argc == 2 && std::strcmp(argv[1], "--trivial") == 0) return Child(argc, argv, false);
    const int runs = argc == 2 ? std::max(1, std::atoi(argv[1])) : 15;
    std::vector<double> wall[2], cpu[2];
    // Interleaved, so that a busy moment of the machine falls on both alike.
    for (int i = 0; i < runs; ++i)
        for (int k = 0; k < 2; ++k) {
            const Run r = Spawn("/proc/self/exe", k ? "--strakel" : "--trivial");
            if (r.wallMs < 0) {
                std::fprintf(stderr, "window_start_bench: a child failed\n");
                return 1;
            }
            wall[k].push_back(r.wallMs);
            cpu[k].push_back(r.cpuMs);
        }
    const double w0 = Median(wall[0]), w1 = Median(wall[1]);
    const double c0 = Median(cpu[0]), c1 = Median(cpu[1]);
    std::printf("median of %d runs   wall ms   cpu ms\n", runs);
    std::printf("trivial Qt window  %8.1f %8.1f\n", w0, c0);
    std::printf("Strakel window     %8.1f %8.1f\n", w1, c1);
    std::printf("ratio              %8.2f %8.2f\n", w1 / w0, c1 / c0);
    return 0;
}
