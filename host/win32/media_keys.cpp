// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/win32/media_keys.h"

#include <cstddef>
#include <iterator>

#include "host/host.h"
#include "resources/resource.h"

namespace {

// Stands for the Play/Pause toggle, resolved when the key is pressed.
constexpr int PLAY_PAUSE = -1;

struct MediaKey {
    int command;     // its APPCOMMAND_*
    UINT virtualKey; // its key, 0 for a command no key of a keyboard sends
    int button;
};
const MediaKey MEDIA_KEYS[] = {
    {APPCOMMAND_MEDIA_PLAY_PAUSE, VK_MEDIA_PLAY_PAUSE, PLAY_PAUSE},
    {APPCOMMAND_MEDIA_STOP, VK_MEDIA_STOP, IDC_STOP},
    {APPCOMMAND_MEDIA_NEXTTRACK, VK_MEDIA_NEXT_TRACK, IDC_NEXT},
    {APPCOMMAND_MEDIA_PREVIOUSTRACK, VK_MEDIA_PREV_TRACK, IDC_PREV},
    {APPCOMMAND_MEDIA_PLAY, 0, IDC_PLAY},
    {APPCOMMAND_MEDIA_PAUSE, 0, IDC_PAUSE},
};
constexpr std::size_t KEY_COUNT = std::size(MEDIA_KEYS);

// Which hot keys this window took: its identifier is the row's index plus one.
bool isHeld[KEY_COUNT];

int pressedButton(const MediaKey &key)
{
    return key.button == PLAY_PAUSE ? playPauseButton() : key.button;
}

} // namespace

int playPauseButton()
{
    return isClockRunning() ? IDC_PAUSE : IDC_PLAY;
}

int appCommandButton(int command)
{
    for (const MediaKey &key : MEDIA_KEYS) {
        if (key.command == command)
            return pressedButton(key);
    }
    return 0;
}

int hotKeyButton(UINT virtualKey)
{
    for (const MediaKey &key : MEDIA_KEYS) {
        if (key.virtualKey != 0 && key.virtualKey == virtualKey)
            return pressedButton(key);
    }
    return 0;
}

// A held key comes as WM_HOTKEY only, even to the focused window, never also as the key that
// makes a WM_APPCOMMAND: one press is one action. MOD_NOREPEAT: a key held down is one press.
void holdMediaKeys(HWND window)
{
    for (std::size_t i = 0; i < KEY_COUNT; ++i) {
        UINT key = MEDIA_KEYS[i].virtualKey;
        isHeld[i] = key != 0 && RegisterHotKey(window, static_cast<int>(i + 1), MOD_NOREPEAT, key);
    }
}

void releaseMediaKeys(HWND window)
{
    for (std::size_t i = 0; i < KEY_COUNT; ++i) {
        if (isHeld[i])
            UnregisterHotKey(window, static_cast<int>(i + 1));
        isHeld[i] = false;
    }
}
