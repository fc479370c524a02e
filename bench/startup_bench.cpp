// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up time (process start until the main window has painted, offscreen) and peak resident
// memory of the real executable, over repeated runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Run {
    double milliseconds;
    long peakKilobytes;
};

// Starts the player with the start-up probe and times it until it reports its first paint.
bool runOnce(const char *program, const fs::path &dataHome, Run &run)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return false;
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("VORLA_STARTUP_PROBE", "1", 1);
        setenv("VORLA_AUDIO_SINK", "fakesink sync=true", 1);
        setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        execl(program, program, static_cast<char *>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    std::string output;
    char buffer[256];
    ssize_t got;
    bool painted = false;
    while (!painted && (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<std::size_t>(got));
        painted = output.find("painted\n") != std::string::npos;
    }
    auto end = std::chrono::steady_clock::now();
    close(pipeEnds[0]);
    int status = 0;
    struct rusage usage = {};
    if (wait4(child, &status, 0, &usage) != child || !painted)
        return false;
    run.milliseconds = std::chrono::duration<double, std::milli>(end - start).count();
    run.peakKilobytes = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    const char *program = argc > 1 ? argv[1] : VORLA_EXECUTABLE;
    const int runs = argc > 2 ? std::max(10, std::atoi(argv[2])) : 15;

    fs::path dataHome = fs::temp_directory_path() / ("vorla-startup-" + std::to_string(getpid()));
    fs::create_directories(dataHome / "vorla");
    std::error_code ignored;
    fs::copy_file(VORLA_CHIME, dataHome / "vorla" / "open.mp3", ignored);

    std::vector<Run> results;
    Run warmUp;
    runOnce(program, dataHome, warmUp);
    for (int i = 0; i < runs; ++i) {
        Run run;
        if (!runOnce(program, dataHome, run)) {
            std::fprintf(stderr, "run %d of %s failed\n", i + 1, program);
            fs::remove_all(dataHome, ignored);
            return 1;
        }
        results.push_back(run);
    }
    fs::remove_all(dataHome, ignored);

    std::vector<double> times;
    long peak = 0;
    for (const Run &run : results) {
        times.push_back(run.milliseconds);
        peak = std::max(peak, run.peakKilobytes);
    }
    std::sort(times.begin(), times.end());
    double median = times[times.size() / 2];
    if (times.size() % 2 == 0)
        median = (times[times.size() / 2 - 1] + times[times.size() / 2]) / 2;

    std::printf("%-34s %10s %10s %8s\n", "start-up (offscreen, to first paint)", "measured",
                "target", "ratio");
    std::printf("%-34s %8.1f ms %7.0f ms %8.2f\n", "median of runs", median, 120.0, median / 120);
    std::printf("%-34s %8.1f ms\n", "fastest run", times.front());
    std::printf("%-34s %8.1f ms\n", "slowest run", times.back());
    std::printf("%-34s %8.1f MB %7.0f MB %8.2f\n", "peak resident memory", peak / 1024.0, 50.0,
                peak / 1024.0 / 50);
    std::printf("(%zu runs after one warm-up)\n", results.size());
    return 0;
}
