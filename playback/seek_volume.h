// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A user move of a slider, identified by its control identifier.
void onHScroll(int sliderId);
