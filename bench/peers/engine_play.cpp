// SPDX-License-Identifier: GPL-3.0-or-later
// The media interpreter alone, as the player drives it: the chime at start, idle, then a track.
//   engine_play CHIME TRACK [SECONDS]
// plays CHIME, waits 3 s (ENGINE_PLAY_IDLE_MS) and prints "idle" figures, plays TRACK for SECONDS
// (default 8) and prints "playing" figures: VmRSS, VmHWM (kB), threads now and the most seen while
// playing. With ENGINE_PLAY_PAREC set to a monitor source it also reads that source through parec
// and prints the ms from the "play" command to the first sample of at least -50 dBFS.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <glib.h>

#include "engine/device_name.h"
#include "engine/media_engine.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    long rss = 0;
    long hwm = 0;
    long threads = 0;
};

Figures readStatus()
{
    Figures figures;
    FILE *status = std::fopen("/proc/self/status", "r");
    if (!status)
        return figures;
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
        std::sscanf(line, "VmRSS: %ld", &figures.rss);
        std::sscanf(line, "VmHWM: %ld", &figures.hwm);
        std::sscanf(line, "Threads: %ld", &figures.threads);
    }
    std::fclose(status);
    return figures;
}

// Runs the default main context, as the dialog's event loop does, for ms.
long spin(int ms)
{
    long most = 0;
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        long threads = readStatus().threads;
        most = threads > most ? threads : most;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return most;
}

std::string nameOf(const char *path)
{
    char absolute[4096];
    char name[16384];
    if (!realpath(path, absolute) || !encodeDeviceName(absolute, name, sizeof name))
        return "";
    return name;
}

// ms from now until parec delivers an audible sample, -1 after limitMs.
double firstAudible(FILE *parec, Clock::time_point mark, int limitMs)
{
    short block[441 * 2];
    while (std::chrono::duration<double, std::milli>(Clock::now() - mark).count() < limitMs) {
        std::size_t got = std::fread(block, sizeof block[0], 441 * 2, parec);
        for (std::size_t i = 0; i < got; ++i) {
            if (block[i] >= 100 || block[i] <= -100)
                return std::chrono::duration<double, std::milli>(Clock::now() - mark).count();
        }
        if (got == 0)
            return -1;
    }
    return -1;
}

// Reads until 300 ms in a row are silent, so the chime cannot count as the track.
void waitForSilence(FILE *parec)
{
    short block[441 * 2];
    int quiet = 0;
    while (quiet < 30 && std::fread(block, sizeof block[0], 441 * 2, parec) == 441 * 2) {
        bool loud = false;
        for (short sample : block)
            loud = loud || sample >= 100 || sample <= -100;
        quiet = loud ? 0 : quiet + 1;
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: engine_play CHIME TRACK [SECONDS]\n");
        return 2;
    }
    int seconds = argc > 3 ? std::atoi(argv[3]) : 8;
    std::string chime = nameOf(argv[1]);
    std::string track = nameOf(argv[2]);
    FILE *parec = nullptr;
    if (const char *source = std::getenv("ENGINE_PLAY_PAREC")) {
        std::string command = std::string("parec -d ") + source +
                              " --raw --format=s16le --rate=44100 --channels=2 --latency-msec=10";
        parec = popen(command.c_str(), "r");
    }

    const char *idleMs = std::getenv("ENGINE_PLAY_IDLE_MS");
    int chimeResult = runMediaCommand(("play " + chime).c_str(), nullptr, 0);
    spin(idleMs ? std::atoi(idleMs) : 3000);
    Figures idle = readStatus();
    std::printf("idle    rss=%ld hwm=%ld threads=%ld chime=%d open=%d\n", idle.rss, idle.hwm,
                idle.threads, chimeResult, isMediaDeviceOpen(chime) ? 1 : 0);

    if (parec)
        waitForSilence(parec);
    Clock::time_point mark = Clock::now();
    int playResult = runMediaCommand(("play " + track).c_str(), nullptr, 0);
    double audible = -1;
    if (parec) {
        audible = firstAudible(parec, mark, 2000);
        seconds = seconds > 0 ? seconds : 1;
    }
    long most = spin(seconds * 1000);
    Figures playing = readStatus();
    std::printf("playing rss=%ld hwm=%ld threads=%ld most=%ld play=%d first=%.1f\n", playing.rss,
                playing.hwm, playing.threads, most, playResult, audible);
    closeAllMediaDevices();
    if (parec)
        pclose(parec);
    return 0;
}
