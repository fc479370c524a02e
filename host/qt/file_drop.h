// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Files dropped on the playlist are added as Add adds them: one Add per run of files from the
// same folder, so every file keeps its own folder.
struct DropBatch {
    std::vector<std::string> paths;
    // Files of later batches that cannot fit any more, told with this batch's Add.
    int extraLeftOut = 0;
};

// The local files of a text/uri-list as byte paths, in order: "file:" URIs of this machine,
// percent-escapes decoded to the bytes they stand for. Anything else is skipped.
std::vector<std::string> localPathsOfUriList(std::string_view list);

// True for a name the Add filter accepts: ending in .mp3 in any letter case.
bool isAudioFileName(std::string_view path);

// Splits a drop into Add batches for a list with room entries left. Entries that are not
// existing regular audio files are ignored.
std::vector<DropBatch> planDrop(const std::vector<std::string> &paths, int room);

// Makes the next chooseFiles return this batch instead of asking the user.
void setDroppedFiles(DropBatch batch);
// Hands the batch set since the last call to chooseFiles; false when there is none.
bool takeDroppedFiles(DropBatch &batch);
