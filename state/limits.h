// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

// Path texts hold PATH_MAX bytes; names, replies and labels 256.
constexpr std::size_t PATH_BYTES = 4096;
constexpr std::size_t NAME_BYTES = 256;
constexpr std::size_t LABEL_BYTES = 256;
constexpr std::size_t REPLY_BYTES = 256;
// A command is a path plus the command's own words and numbers.
constexpr std::size_t COMMAND_BYTES = PATH_BYTES + 64;
// The playlist's capacity.
constexpr int MAX_ENTRIES = 256;
