// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up load and close-time save of a full playlist with long Chinese paths, through the
// real list control on the offscreen platform and a real file in a temporary folder.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QApplication>

#include <benchmark/benchmark.h>

#include "host/host.h"
#include "host/seams.h"
#include "playlist/playlist_file.h"
#include "resources/resource.h"
#include "state/player_state.h"
#include "state/text.h"

namespace {

int errorsShown = 0;

// The window without the player's start-up: an empty list for each load.
std::intptr_t bareDialogProc(unsigned, std::uintptr_t, std::intptr_t)
{
    return 1;
}

std::string repeat(const char *piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

// 256 entries, each a directory of about 700 bytes and a name of about 230.
void fillFullList()
{
    resetPlayerState();
    createMainDialog(bareDialogProc);
    for (int i = 0; i < MAX_ENTRIES; ++i) {
        std::string dir =
            "/home/用户/音乐/" + repeat("华语流行经典合集", 25) + "/" + std::to_string(i);
        std::string name = repeat("周杰伦七里香", 12) + std::to_string(i) + ".mp3";
        copyText(player.dirTable[i], sizeof player.dirTable[i], dir.c_str());
        insertListRow(IDC_PLAYLIST, -1, name.c_str());
    }
    player.listCount = player.dirCount = MAX_ENTRIES;
}

void BM_SaveFullPlaylist(benchmark::State &state)
{
    fillFullList();
    errorsShown = 0;
    for (auto _ : state)
        savePlaylist();
    if (errorsShown > 0)
        state.SkipWithError("the save failed");
    destroyMainDialog();
}
BENCHMARK(BM_SaveFullPlaylist)->Unit(benchmark::kMillisecond);

void BM_LoadFullPlaylist(benchmark::State &state)
{
    fillFullList();
    savePlaylist();
    for (auto _ : state) {
        state.PauseTiming();
        resetPlayerState();
        createMainDialog(bareDialogProc);
        state.ResumeTiming();
        loadPlaylist();
    }
    if (player.listCount != MAX_ENTRIES)
        state.SkipWithError("the list did not load whole");
    destroyMainDialog();
}
BENCHMARK(BM_LoadFullPlaylist)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::string home = (std::filesystem::temp_directory_path() / "vorla-bench-XXXXXX").string();
    if (!mkdtemp(home.data()))
        return 1;
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    QApplication application(argc, argv);
    setMessageHandler([](const char *, const char *, bool) { ++errorsShown; });

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(home);
    return 0;
}
