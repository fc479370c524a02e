// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/qt/file_drop.h"

#include <gtest/gtest.h>

#include "tests/support/fake_host.h"

TEST(FileDrop, AcceptsMp3InAnyLetterCaseOnly)
{
    struct Case {
        const char *path;
        bool audio;
    };
    const Case cases[] = {{"/m/a.mp3", true}, {"/m/a.MP3", true},      {"/m/a.Mp3", true},
                          {"/m/.mp3", false}, {"/m/a.mp3.txt", false}, {"/m/a.wav", false},
                          {"mp3", false},     {"/m/amp3", false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(isAudioFileName(c.path), c.audio);
    }
}

TEST(FileDrop, GroupsRunsByFolderAndIgnoresWhatIsNotAnAudioFile)
{
    TempDir root;
    std::string a = (root.path / "a").string();
    std::string b = (root.path / "b").string();
    for (const std::string &file : {a + "/1.mp3", a + "/2.MP3", b + "/3.mp3", a + "/4.mp3"})
        writeFile(file, "x");
    writeFile(a + "/notes.txt", "x");
    std::filesystem::create_directories(a + "/folder.mp3");

    std::vector<DropBatch> batches =
        planDrop({a + "/1.mp3", a + "/notes.txt", a + "/2.MP3", a + "/folder.mp3",
                  a + "/missing.mp3", b + "/3.mp3", "relative.mp3", a + "/4.mp3"},
                 256);

    ASSERT_EQ(batches.size(), 3u);
    EXPECT_EQ(batches[0].paths, (std::vector<std::string>{a + "/1.mp3", a + "/2.MP3"}));
    EXPECT_EQ(batches[1].paths, (std::vector<std::string>{b + "/3.mp3"}));
    EXPECT_EQ(batches[2].paths, (std::vector<std::string>{a + "/4.mp3"}));
    for (const DropBatch &batch : batches)
        EXPECT_EQ(batch.extraLeftOut, 0);
}

TEST(FileDrop, BatchesPastAFullListAreToldWithTheLastOneAdded)
{
    TempDir root;
    std::vector<std::string> paths;
    for (const char *folder : {"a", "b", "c", "d"}) {
        for (int i = 0; i < 3; ++i) {
            paths.push_back((root.path / folder / (std::to_string(i) + ".mp3")).string());
            writeFile(paths.back(), "x");
        }
    }
    struct Case {
        int room;
        std::size_t batches;
        int extra;
    };
    // Room 4: a fits, b only partly, c and d are folded into b's message.
    const Case cases[] = {{12, 4, 0}, {6, 2, 6}, {4, 2, 6}, {3, 1, 9}, {0, 1, 9}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.room);
        std::vector<DropBatch> batches = planDrop(paths, c.room);
        ASSERT_EQ(batches.size(), c.batches);
        EXPECT_EQ(batches.back().extraLeftOut, c.extra);
    }
}
