// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The platform's file layer, for the player and the hosts: small file helpers, and replacing a
// file whole: the new content goes to a temporary file beside it and is renamed over it only
// once it is on the disk, so a failed or cut-off write leaves the old file as it was. A symbolic
// link is followed: its target is replaced and the link stays a link. Each platform has its
// side (host/posix/files.cpp); paths are the platform's, with its PATH_SEPARATOR.

#include <cstdio>
#include <string_view>

#include "state/limits.h"

struct FileReplacement {
    char target[PATH_BYTES]; // the file that is replaced, past any symbolic links
    char temp[PATH_BYTES];
    std::FILE *file;
};

// True for an existing regular file, past any symbolic links.
bool isRegularFile(const char *path);

// Opens a regular file for reading; null for anything else (a folder or a pipe in its place
// reads as no file), and opening never blocks.
std::FILE *openRegularFile(const char *path);

// True for a path that starts at a root: "/" on POSIX.
bool isAbsolutePath(std::string_view path);

// What comes before the last separator of path: "" for a file in the root folder or a bare name.
std::string_view folderOf(std::string_view path);

// Creates each missing folder on the way to the file at path, for the user alone. False for a
// path that is empty or not absolute, or a folder that cannot be made.
bool makeParentFolders(const char *path);

// Opens the temporary file beside path's target, with the target's permission bits, or 0600 for
// a new file. False, with nothing left behind, when that cannot be done or the target is not a
// regular file.
bool beginReplacement(FileReplacement &replacement, const char *path);

// Flushes the content to the disk and renames it over the target; on any failure the temporary
// file goes and the target stays as it was.
bool commitReplacement(FileReplacement &replacement);

// Drops the temporary file; the target is untouched.
void abandonReplacement(FileReplacement &replacement);

// Removes the temporary files that replacements of path left when they were cut off (a crash,
// a kill): only regular files of this user named as a replacement names them.
void removeStaleReplacements(const char *path);
