// SPDX-License-Identifier: GPL-3.0-or-later
// The media command interpreter on Windows: a table of devices keyed by the exact bytes of their
// names, each an MCI device opened under an alias, driven from the UI thread.
#include "host/win32/mci_interpreter.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <windows.h>

#include "engine/command_parser.h"
#include "engine/mpeg_frames.h"
#include "host/files.h"
#include "host/win32/short_name.h"

namespace {

constexpr std::uint32_t FULL_VOLUME = 1000;
// MCI's own answers are short: a number or a word.
constexpr int MCI_REPLY_CHARS = 128;
constexpr std::size_t KNOWN_LENGTHS_LIMIT = 128;
// How often playing devices are looked at for their end, and how long past its length a device
// is left before it closes: the platform's playback starts a little after the command.
constexpr UINT END_CHECK_MS = 250;
constexpr ULONGLONG END_GRACE_MS = 300;
constexpr UINT_PTR END_CHECK_TIMER = 1;

struct Device {
    std::wstring alias;
    std::wstring path;
    long long lengthMs = 0;
    bool paused = false;
    // Where playback stands by the clock: anchorMs when anchoredAt (GetTickCount64) was taken,
    // running on unless paused. The end is told by it: MCI's notifications of an end are not to
    // be relied on (Wine sends some for plays that went on, and none for others).
    std::uint32_t anchorMs = 0;
    ULONGLONG anchoredAt = 0;
};

// A file's length, kept while the file is the same.
struct KnownLength {
    ULONGLONG size = 0;
    FILETIME written = {};
    long long ms = -1;
};

struct Interpreter {
    std::map<std::string, Device, std::less<>> devices;
    std::map<std::wstring, KnownLength> lengths;
    unsigned nextAlias = 1;
    HWND timerWindow = nullptr;
};

Interpreter &interpreter()
{
    // Never destroyed: closeAllMciDevices tears down, before the process ends.
    static Interpreter *instance = new Interpreter;
    return *instance;
}

std::wstring wide(const std::string &text)
{
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                     static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        return L"";
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                        out.data(), length);
    return out;
}

// The path a device's name stands for; false for a broken escape or a path that is not
// absolute.
bool decodeName(std::string_view name, std::string &path)
{
    return decodeShortName(name, path) && path.find('\0') == std::string::npos &&
           isAbsolutePath(path);
}

// Sends one MCI command; MCI's error number, 0 on success.
int sendMci(const std::wstring &command, wchar_t *reply = nullptr, UINT replyChars = 0)
{
    MCIERROR error = mciSendStringW(command.c_str(), reply, replyChars, nullptr);
    return static_cast<int>(LOWORD(error));
}

std::wstring quoted(const std::wstring &path)
{
    return L"\"" + path + L"\"";
}

ULONGLONG positionOf(const Device &device)
{
    return device.paused ? device.anchorMs : device.anchorMs + GetTickCount64() - device.anchoredAt;
}

void anchorAt(Device &device, std::uint32_t ms)
{
    device.anchorMs = ms;
    device.anchoredAt = GetTickCount64();
}

// Devices that have played to their end close, as the player expects of its media layer.
void closeEndedDevices()
{
    Interpreter &state = interpreter();
    bool playing = false;
    for (auto it = state.devices.begin(); it != state.devices.end();) {
        Device &device = it->second;
        if (!device.paused &&
            positionOf(device) >= static_cast<ULONGLONG>(device.lengthMs) + END_GRACE_MS) {
            sendMci(L"close " + device.alias);
            it = state.devices.erase(it);
            continue;
        }
        playing = playing || !device.paused;
        ++it;
    }
    if (!playing && state.timerWindow)
        KillTimer(state.timerWindow, END_CHECK_TIMER);
}

LRESULT CALLBACK onTimerMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == END_CHECK_TIMER)
        closeEndedDevices();
    return DefWindowProcW(window, message, wParam, lParam);
}

// A message-only window of the UI thread whose timer looks for ends; the dialog's loop serves it.
HWND makeTimerWindow()
{
    static const ATOM windowClass = [] {
        WNDCLASSW description = {};
        description.lpfnWndProc = onTimerMessage;
        description.hInstance = GetModuleHandleW(nullptr);
        description.lpszClassName = L"VorlaMediaClock";
        return RegisterClassW(&description);
    }();
    if (!windowClass)
        return nullptr;
    return CreateWindowExW(0, L"VorlaMediaClock", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

void watchEnds()
{
    Interpreter &state = interpreter();
    if (!state.timerWindow)
        state.timerWindow = makeTimerWindow();
    if (state.timerWindow)
        SetTimer(state.timerWindow, END_CHECK_TIMER, END_CHECK_MS, nullptr);
}

bool fileFacts(const std::wstring &path, KnownLength &facts)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    facts.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    facts.written = data.ftLastWriteTime;
    return true;
}

// MCI's own length of an open device, in ms; -1 when it has none.
long long mciLengthOf(const std::wstring &alias)
{
    wchar_t reply[MCI_REPLY_CHARS] = {};
    if (sendMci(L"status " + alias + L" length", reply, MCI_REPLY_CHARS) != 0)
        return -1;
    wchar_t *end = nullptr;
    long long ms = std::wcstoll(reply, &end, 10);
    return end != reply && ms >= 0 ? ms : -1;
}

int openAlias(const std::wstring &path, const std::wstring &alias)
{
    if (sendMci(L"open " + quoted(path) + L" type mpegvideo alias " + alias) != 0)
        return ERR_NOT_DECODABLE;
    if (sendMci(L"set " + alias + L" time format milliseconds") != 0) {
        sendMci(L"close " + alias);
        return ERR_NOT_DECODABLE;
    }
    return 0;
}

// The length a status reports and "from" is bounded by: the frame scan's for MPEG audio, else
// what MCI says after opening the file; -1 when the file does not decode.
long long lengthOf(const std::wstring &path)
{
    KnownLength facts;
    if (!fileFacts(path, facts))
        return -1;
    Interpreter &state = interpreter();
    auto known = state.lengths.find(path);
    if (known != state.lengths.end() && known->second.size == facts.size &&
        CompareFileTime(&known->second.written, &facts.written) == 0)
        return known->second.ms;

    if (std::FILE *file = _wfopen(path.c_str(), L"rb")) {
        facts.ms = scanMpegFramesMs(file);
        std::fclose(file);
    }
    if (facts.ms < 0 && openAlias(path, L"vorla_probe") == 0) {
        facts.ms = mciLengthOf(L"vorla_probe");
        sendMci(L"close vorla_probe");
    }
    if (state.lengths.size() >= KNOWN_LENGTHS_LIMIT)
        state.lengths.clear();
    state.lengths[path] = facts;
    return facts.ms;
}

// What a name's file is: 0 for a file that exists, 275 for none.
int findFile(std::string_view name, std::wstring &path)
{
    std::string bytes;
    decodeName(name, bytes);
    path = wide(bytes);
    KnownLength facts;
    return !path.empty() && fileFacts(path, facts) ? 0 : ERR_FILE_NOT_FOUND;
}

int openDevice(std::string_view name, const std::wstring &path, Device *&opened)
{
    Interpreter &state = interpreter();
    Device device;
    device.path = path;
    device.lengthMs = lengthOf(path);
    if (device.lengthMs < 0)
        return ERR_NOT_DECODABLE;
    device.alias = L"vorla" + std::to_wstring(state.nextAlias++);
    if (int error = openAlias(path, device.alias))
        return error;
    opened = &state.devices.emplace(std::string(name), std::move(device)).first->second;
    return 0;
}

int closeDevice(std::string_view name)
{
    Interpreter &state = interpreter();
    auto open = state.devices.find(name);
    if (open == state.devices.end())
        return ERR_BAD_DEVICE_NAME;
    sendMci(L"close " + open->second.alias);
    state.devices.erase(open);
    return 0;
}

int playDevice(std::string_view name, const std::uint32_t *from)
{
    Interpreter &state = interpreter();
    auto open = state.devices.find(name);
    Device *device = open == state.devices.end() ? nullptr : &open->second;
    if (device && !from && !device->paused)
        return 0;
    std::wstring path = device ? device->path : L"";
    if (!device) {
        if (int error = findFile(name, path))
            return error;
    }
    if (from) {
        long long length = lengthOf(path);
        if (length < 0)
            return ERR_NOT_DECODABLE;
        if (*from > length)
            return ERR_OUT_OF_RANGE;
    }
    const bool opening = !device;
    if (opening) {
        if (int error = openDevice(name, path, device))
            return error;
    }
    // A paused device resumes: "play" without "from" starts a paused device over under Wine.
    std::wstring command = (from || !device->paused ? L"play " : L"resume ") + device->alias;
    if (from)
        command += L" from " + std::to_wstring(*from);
    if (int error = sendMci(command)) {
        if (opening)
            closeDevice(name);
        return error;
    }
    anchorAt(*device, from ? *from : device->anchorMs);
    device->paused = false;
    watchEnds();
    return 0;
}

int pauseDevice(std::string_view name)
{
    Interpreter &state = interpreter();
    auto open = state.devices.find(name);
    if (open == state.devices.end()) {
        std::wstring path;
        if (int error = findFile(name, path))
            return error;
        return lengthOf(path) < 0 ? ERR_NOT_DECODABLE : 0;
    }
    Device &device = open->second;
    if (device.paused)
        return 0;
    int error = sendMci(L"pause " + device.alias);
    if (error == 0) {
        anchorAt(device, static_cast<std::uint32_t>(positionOf(device)));
        device.paused = true;
    }
    return error;
}

int statusLength(std::string_view name, char *reply, int replyLength)
{
    Interpreter &state = interpreter();
    auto open = state.devices.find(name);
    std::wstring path;
    if (open != state.devices.end())
        path = open->second.path;
    else if (int error = findFile(name, path))
        return error;
    long long length = lengthOf(path);
    if (length < 0)
        return ERR_NOT_DECODABLE;
    return writeDecimalReply(length, reply, replyLength);
}

int setDeviceVolume(std::string_view name, std::uint32_t volume)
{
    Interpreter &state = interpreter();
    auto open = state.devices.find(name);
    if (open == state.devices.end())
        return ERR_UNKNOWN_COMMAND;
    return sendMci(L"setaudio " + open->second.alias + L" volume to " + std::to_wstring(volume));
}

} // namespace

bool isMciDeviceName(std::string_view name)
{
    std::string path;
    return decodeName(name, path);
}

int runMciCommand(const char *command, char *reply, int replyLength)
{
    if (reply && replyLength > 0)
        reply[0] = '\0';
    MediaRequest req;
    if (int error = parseRequest(command ? command : "", req, isMciDeviceName))
        return error;
    if (req.verb == Verb::SetVolume && req.number > FULL_VOLUME)
        return ERR_OUT_OF_RANGE;
    // For when no message loop has served the timer: a wait froze the thread.
    closeEndedDevices();

    switch (req.verb) {
    case Verb::Play: return playDevice(req.device, nullptr);
    case Verb::PlayFrom: return playDevice(req.device, &req.number);
    case Verb::Close: return closeDevice(req.device);
    case Verb::Pause: return pauseDevice(req.device);
    case Verb::StatusLength: return statusLength(req.device, reply, replyLength);
    case Verb::SetVolume: return setDeviceVolume(req.device, req.number);
    }
    return ERR_UNKNOWN_COMMAND;
}

bool isMciDeviceOpen(std::string_view name)
{
    return interpreter().devices.find(name) != interpreter().devices.end();
}

void closeAllMciDevices()
{
    Interpreter &state = interpreter();
    if (state.timerWindow)
        KillTimer(state.timerWindow, END_CHECK_TIMER);
    if (state.devices.empty())
        return;
    sendMci(L"close all");
    state.devices.clear();
}
