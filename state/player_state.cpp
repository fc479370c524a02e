// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/player_state.h"

#include <cstring>

PlayerState player;

void resetPlayerState()
{
    std::memset(&player, 0, sizeof player);
    player.currentIndex = -1;
}
