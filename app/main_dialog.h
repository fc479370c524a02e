// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// The dialog procedure: routes the window messages the player handles.
std::intptr_t mainDialogProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

int onInitDialog();
void onCommand(int id, int notification);
void onClose();

// The About box's text, lines joined by single line feeds.
extern const char ABOUT_TEXT[];
constexpr char ABOUT_CAPTION[] = "说明";
