// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The name a media device goes by: the file:// URI of an absolute path, every byte outside the
// unreserved set and "/" escaped as %XX in upper case, so a name never holds a space and fits a
// command string. The encoder and its decoder live here together.

#include <cstddef>
#include <string>
#include <string_view>

// Writes the name of absolutePath into dst; false, with dst empty, when it does not fit.
bool encodeDeviceName(const char *absolutePath, char *dst, std::size_t size);

// True for a file:/// URI whose every byte is unreserved, "/" or a %XX escape other than %00.
bool isDeviceName(std::string_view name);

// The absolute path a device name stands for; false when the name is not valid.
bool decodeDeviceName(std::string_view name, std::string &path);

// Turns %XX escapes into the bytes they stand for and keeps every other byte; false for a broken
// escape or one that stands for a NUL.
bool percentDecode(std::string_view text, std::string &out);
