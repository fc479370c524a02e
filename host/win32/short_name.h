// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A track's short name goes into a media command, whose words are split at blanks. Where a
// volume keeps no 8.3 names, the short name of a file is its long path, blanks included: the
// name is made blank-free by writing ' ', '\t' and '%' as %20, %09 and %25, and the media side
// decodes it before it opens the file. Every other byte stays as it is.

#include <cstddef>
#include <string>
#include <string_view>

// False, with dst empty, when the encoded name does not fit.
bool encodeShortName(std::string_view path, char *dst, std::size_t size);

// The path an encoded name stands for; false for a '%' that starts none of the three escapes.
bool decodeShortName(std::string_view name, std::string &path);
