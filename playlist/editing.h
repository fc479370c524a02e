// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

void onAdd();
void onDelete();
void onClear();
void onMoveUp();
void onMoveDown();
