// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The system's file-selection dialog, and how its result becomes the player's selection.

#include <cstddef>
#include <string>
#include <vector>

// The full paths of a result of GetOpenFileNameA with OFN_ALLOWMULTISELECT | OFN_EXPLORER: one
// full path NUL NUL, or the folder NUL names NUL ... NUL NUL. A buffer that ends before its
// final empty string gives the names whose NUL came.
std::vector<std::string> selectedPaths(const char *buffer, std::size_t size);
