// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The grammar of media command strings, kept free of GStreamer so it can be fuzzed alone and
// shared by every platform's interpreter.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/device_name.h"

// Error numbers of the media interface; 0 is success.
constexpr int ERR_UNKNOWN_KEYWORD = 259;
constexpr int ERR_UNKNOWN_COMMAND = 261;
constexpr int ERR_BAD_DEVICE_NAME = 263;
constexpr int ERR_NO_COMMAND = 267;
constexpr int ERR_REPLY_TOO_LONG = 268;
constexpr int ERR_BAD_NUMBER = 270;
constexpr int ERR_MISSING_PARAMETER = 273;
constexpr int ERR_FILE_NOT_FOUND = 275;
constexpr int ERR_NOT_DECODABLE = 277;
constexpr int ERR_OUT_OF_RANGE = 282;
constexpr int ERR_NO_DEVICE = 292;
constexpr int ERR_DUPLICATE_KEYWORD = 295;

enum class Verb { Play, PlayFrom, Close, Pause, StatusLength, SetVolume };

// One parsed command; device points into the parsed text.
struct MediaRequest {
    Verb verb = Verb::Play;
    std::string_view device;
    std::uint32_t number = 0;
};

// Tells whether a word names a device on this platform.
using DeviceNameCheck = bool (*)(std::string_view name);

// Parses and checks a whole command string: 0, or the error number of the first fault. A device
// name the check refuses answers 263; the check defaults to the file:// names of device_name.h.
int parseRequest(std::string_view text, MediaRequest &req,
                 DeviceNameCheck isValidName = isDeviceName);

// Writes a status reply: the decimal digits of value, cut to the buffer with 268 when they do not
// fit, never past replyLength; nothing without a buffer.
int writeDecimalReply(long long value, char *reply, int replyLength);
