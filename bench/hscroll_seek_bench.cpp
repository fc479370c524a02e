// SPDX-License-Identifier: GPL-3.0-or-later
// A position-slider move as the window delivers it: WM_HSCROLL into the dialog procedure, which
// closes the track and plays it from the new second on the real interpreter (fake audio sink).
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QApplication>

#include <benchmark/benchmark.h>

#include "app/main_dialog.h"
#include "engine/media_engine.h"
#include "host/host.h"
#include "host/seams.h"
#include "resources/resource.h"
#include "state/player_state.h"
#include "state/text.h"

namespace {

namespace fs = std::filesystem;

// A 60 s tone in a fresh folder; empty when the encoder is missing.
fs::path makeTrack()
{
    std::string folder = (fs::temp_directory_path() / "vorla-bench-XXXXXX").string();
    if (!mkdtemp(folder.data()))
        return {};
    fs::path track = fs::path(folder) / "tone.mp3";
    std::string command = "gst-launch-1.0 -q audiotestsrc wave=sine samplesperbuffer=4410 "
                          "num-buffers=600 ! audio/x-raw,rate=44100,channels=2 ! lamemp3enc ! "
                          "filesink location='" +
                          track.string() + "'";
    if (std::system(command.c_str()) != 0)
        return {};
    return track;
}

void BM_PositionMoveThroughHScroll(benchmark::State &state)
{
    fs::path track = makeTrack();
    if (track.empty()) {
        state.SkipWithError("no MP3 encoder");
        return;
    }
    int failures = 0;
    setMediaHandler([&failures](const char *command, char *reply, int replyLength) {
        int result = runMediaCommand(command, reply, replyLength);
        failures += result != 0;
        return result;
    });
    resetPlayerState();
    createMainDialog(mainDialogProc);
    copyText(player.dirTable[0], sizeof player.dirTable[0], track.parent_path().c_str());
    insertListRow(IDC_PLAYLIST, -1, track.filename().c_str());
    player.listCount = player.dirCount = 1;
    selectRow(IDC_PLAYLIST, 0);
    mainDialogProc(WM_COMMAND, makeWParam(IDC_PLAYLIST, LBN_DBLCLK), 0);
    if (player.totalMin != 1) {
        state.SkipWithError("the track did not start");
        return;
    }

    // Only the seeks count: the start closed an empty name.
    failures = 0;
    int second = 5;
    for (auto _ : state) {
        setSliderValue(IDC_POSITION, second);
        mainDialogProc(WM_HSCROLL, 0, IDC_POSITION);
        second = second >= 55 ? 5 : second + 7;
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }

    if (failures > 0)
        state.SkipWithError("a seek command failed");
    killTimer(0);
    resetSeams();
    destroyMainDialog();
    closeAllMediaDevices();
    fs::remove_all(track.parent_path());
}
BENCHMARK(BM_PositionMoveThroughHScroll)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("VORLA_AUDIO_SINK"))
        setenv("VORLA_AUDIO_SINK", "fakesink sync=true", 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
