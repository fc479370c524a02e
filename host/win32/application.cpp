// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/win32/application.h"

#include <windows.h>
// These build on <windows.h>.
#include <commctrl.h>
#include <objbase.h>

#include "host/win32/main_window.h"
#include "host/win32/mci_interpreter.h"
#include "host/win32/playlist_import.h"
#include "host/win32/single_instance.h"
#include "state/limits.h"

namespace {

// COM on the window's thread, single-threaded as a window's must be, for the taskbar's buttons.
class ComApartment {
public:
    ComApartment()
        : m_isOpen(
              SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
    {
    }
    ~ComApartment()
    {
        if (m_isOpen)
            CoUninitialize();
    }
    ComApartment(const ComApartment &) = delete;
    ComApartment &operator=(const ComApartment &) = delete;

private:
    bool m_isOpen;
};

} // namespace

void runMainDialog(DialogProc proc)
{
    // A second start brings the running window forward; it never opens its own.
    if (takeInstanceLock() == InstanceLock::HeldElsewhere) {
        if (!raiseRunningPlayer())
            showError(MSG_ALREADY_RUNNING);
        return;
    }
    // The window loads the list as it opens: at a first start it finds the imported one.
    char own[PATH_BYTES];
    if (playlistFilePath(own, sizeof own))
        importOriginalPlaylist(ORIGINAL_PLAYLIST, own, systemAnsiCodePage());
    // Registers the trackbar class the template names.
    InitCommonControls();
    ComApartment apartment;
    runModalDialog(proc);
    closeAllMciDevices();
}
