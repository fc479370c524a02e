// SPDX-License-Identifier: GPL-3.0-or-later
#include "playlist/editing.h"

void onAdd() {}

void onDelete() {}

void onClear() {}

void onMoveUp() {}

void onMoveDown() {}
