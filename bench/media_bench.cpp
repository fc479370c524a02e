// SPDX-License-Identifier: GPL-3.0-or-later
// The media interpreter's three costs, on files made for the run: the length query of a long
// VBR MP3 without a Xing header, the seek step of a position-slider drag, and the CPU of real-time
// playback beside gst-play-1.0 and mpg123 on the same file. Prints one table with ratios.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "engine/device_name.h"
#include "engine/media_engine.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int LONG_SECONDS = 300;
constexpr int PLAY_SECONDS = 30;
constexpr int SEEK_STEPS = 200;
constexpr int LENGTH_ROUNDS = 10;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double cpuSeconds(const rusage &usage)
{
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return cpuSeconds(usage);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[static_cast<std::size_t>(share * (values.size() - 1))];
}

// A VBR MP3 of pink noise without a Xing header, made by GStreamer's own encoder.
bool makeVbrMp3(const fs::path &path, int seconds)
{
    std::string command = "gst-launch-1.0 -q audiotestsrc wave=pink-noise volume=0.3 "
                          "samplesperbuffer=4410 num-buffers=" +
                          std::to_string(seconds * 10) +
                          " ! audio/x-raw,rate=44100,channels=2 ! lamemp3enc target=quality "
                          "quality=4 ! filesink location='" +
                          path.string() + "'";
    return std::system(command.c_str()) == 0 && fs::exists(path);
}

std::string nameOf(const fs::path &path)
{
    char name[8192] = {};
    encodeDeviceName(fs::absolute(path).c_str(), name, sizeof name);
    return name;
}

int run(const std::string &command)
{
    return runMediaCommand(command.c_str(), nullptr, 0);
}

// CPU seconds a child process uses in the given time, or in its whole run when it ends sooner.
double childCpuSeconds(std::vector<std::string> args, int seconds)
{
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = fork();
    if (child == 0) {
        execvp(argv[0], argv.data());
        _exit(127);
    }
    if (child < 0)
        return -1;
    int status = 0;
    rusage usage{};
    auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
        if (wait4(child, &status, WNOHANG, &usage) == child)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? cpuSeconds(usage) : -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(child, SIGINT);
    wait4(child, &status, 0, &usage);
    return cpuSeconds(usage);
}

struct Row {
    std::string what;
    double value;
    const char *unit;
    double target; // 0: none
};

void printTable(const std::vector<Row> &rows)
{
    std::printf("%-58s %10s %10s %8s\n", "measure", "value", "target", "ratio");
    for (const Row &row : rows) {
        if (row.value < 0) {
            std::printf("%-58s %10s\n", row.what.c_str(), "n/a");
            continue;
        }
        std::printf("%-58s %8.3f %-2s", row.what.c_str(), row.value, row.unit);
        if (row.target > 0)
            std::printf(" %7.2f %-2s %8.2f", row.target, row.unit, row.value / row.target);
        std::printf("\n");
    }
}

} // namespace

int main()
{
    std::string pattern = (fs::temp_directory_path() / "vorla-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return 1;
    const fs::path dir = pattern;
    const fs::path longFile = dir / "long vbr.mp3";
    const fs::path shortFile = dir / "play.mp3";
    std::printf("making %d s and %d s VBR MP3 files without Xing header...\n", LONG_SECONDS,
                PLAY_SECONDS);
    if (!makeVbrMp3(longFile, LONG_SECONDS) || !makeVbrMp3(shortFile, PLAY_SECONDS)) {
        std::fprintf(stderr, "gst-launch-1.0 with lamemp3enc is needed\n");
        return 1;
    }
    setenv("VORLA_AUDIO_SINK", "fakesink sync=true", 1);
    const std::string name = nameOf(longFile);
    std::vector<Row> rows;

    char reply[256] = {};
    std::vector<double> scans;
    for (int round = 0; round < LENGTH_ROUNDS; ++round) {
        forgetMediaLengths();
        auto start = Clock::now();
        runMediaCommand(("status " + name + " length").c_str(), reply, sizeof reply);
        scans.push_back(millisecondsSince(start));
    }
    auto start = Clock::now();
    runMediaCommand(("status " + name + " length").c_str(), reply, sizeof reply);
    double cached = millisecondsSince(start);
    rows.push_back(
        {"status length, 300 s VBR without Xing, full scan (median)", median(scans), "ms", 50});
    rows.push_back({"status length, same file measured before", cached, "ms", 0});
    std::printf("length reply: %s ms\n", reply);

    // Drag steps over the whole file at about 30 per second, as a slider drag sends them.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> position(0, LONG_SECONDS * 1000 - 1);
    run("play " + name);
    std::vector<double> steps;
    for (int step = 0; step < SEEK_STEPS; ++step) {
        std::string from = std::to_string(position(random));
        auto begin = Clock::now();
        run("close " + name);
        run("play " + name + " from " + from);
        steps.push_back(millisecondsSince(begin));
        run("setaudio " + name + " volume to 1000");
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    std::vector<double> cold;
    for (int step = 0; step < 20; ++step) {
        std::string from = std::to_string(position(random));
        closeAllMediaDevices();
        auto begin = Clock::now();
        run("play " + name + " from " + from);
        cold.push_back(millisecondsSince(begin));
    }
    closeAllMediaDevices();
    rows.push_back({"seek step (close X, play X from N), median", median(steps), "ms", 10});
    rows.push_back({"seek step, 90th percentile", percentile(steps, 0.9), "ms", 10});
    rows.push_back({"seek step, worst", percentile(steps, 1.0), "ms", 0});
    rows.push_back(
        {"play X from N on a device not open (new preroll), median", median(cold), "ms", 0});

    std::printf("playing %d s in real time three ways...\n", PLAY_SECONDS);
    const std::string playName = nameOf(shortFile);
    double before = processCpuSeconds();
    run("play " + playName);
    std::this_thread::sleep_for(std::chrono::seconds(PLAY_SECONDS));
    double ours = processCpuSeconds() - before;
    closeAllMediaDevices();
    double gstPlay = childCpuSeconds({"gst-play-1.0", "-q", "--no-interactive",
                                      "--audiosink=fakesink sync=true", shortFile.string()},
                                     PLAY_SECONDS + 5);
    double mpg123 = childCpuSeconds({"mpg123", "-q", "-t", shortFile.string()}, PLAY_SECONDS + 5);
    rows.push_back(
        {"CPU to play 30 s to a fake sink, vorla", ours, "s", gstPlay > 0 ? gstPlay * 1.2 : 0});
    rows.push_back({"CPU to play 30 s, gst-play-1.0 (target line: 1.2x of it)", gstPlay, "s", 0});
    rows.push_back({"CPU to decode 30 s, mpg123 -t (no output, no pacing)", mpg123, "s", 0});
    if (gstPlay > 0)
        rows.push_back({"vorla CPU / gst-play-1.0 CPU", ours / gstPlay, "x", 1.2});
    if (mpg123 > 0)
        rows.push_back({"vorla CPU / mpg123 CPU", ours / mpg123, "x", 0});

    std::printf("\n");
    printTable(rows);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return 0;
}
