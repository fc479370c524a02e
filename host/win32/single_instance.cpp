// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/win32/single_instance.h"

#include <string>
#include <windows.h>
// These build on <windows.h>.
#include <sddl.h>

#include "host/win32/main_window.h"
#include "host/win32/wide_text.h"
#include "resources/main_template.h"

namespace {

// The running player may be between its start and its window's creation.
constexpr int FIND_TRIES = 20;
constexpr DWORD FIND_PAUSE_MS = 100;

// "Local\Vorla-" and the user's SID: one name per user in the session, the same in every start.
std::wstring mutexName()
{
    std::wstring name = L"Local\\Vorla";
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return name;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::string buffer(size, '\0');
    wchar_t *sid = nullptr;
    if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid, &sid)) {
        name += L'-';
        name += sid;
        LocalFree(sid);
    }
    CloseHandle(token);
    return name;
}

} // namespace

InstanceLock takeInstanceLock()
{
    // Kept open until the process ends, which releases it.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, mutexName().c_str());
    if (!mutex)
        return InstanceLock::Unavailable;
    return GetLastError() == ERROR_ALREADY_EXISTS ? InstanceLock::HeldElsewhere
                                                  : InstanceLock::Taken;
}

bool raiseRunningPlayer()
{
    std::wstring caption;
    if (!toWide(MAIN_CAPTION, caption))
        return false;
    for (int attempt = 0; attempt < FIND_TRIES; ++attempt) {
        // The dialog manager's own window class.
        if (HWND window = FindWindowW(L"#32770", caption.c_str())) {
            raiseWindow(window);
            return true;
        }
        Sleep(FIND_PAUSE_MS);
    }
    return false;
}
