// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/command_parser.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Takes the next word off the front of text; empty when none is left.
std::string_view nextWord(std::string_view &text)
{
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    std::size_t end = start;
    while (end < text.size() && !isBlank(text[end]))
        ++end;
    std::string_view word = text.substr(start, end - start);
    text.remove_prefix(end);
    return word;
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares a word with a lower-case keyword in any letter case.
bool sameWord(std::string_view word, std::string_view keyword)
{
    if (word.size() != keyword.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (lowerAscii(word[i]) != keyword[i])
            return false;
    }
    return true;
}

// A keyword where the name should be means the name was left out ("play  from 10").
bool isKeyword(std::string_view word)
{
    return sameWord(word, "from") || sameWord(word, "length") || sameWord(word, "volume") ||
           sameWord(word, "to");
}

// Accepts plain decimal digits only, up to 4294967295: no sign, no hex, no exponent.
bool parseNumber(std::string_view word, std::uint32_t &out)
{
    if (word.empty())
        return false;
    std::uint64_t value = 0;
    for (char c : word) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > UINT32_MAX)
            return false;
    }
    out = static_cast<std::uint32_t>(value);
    return true;
}

int parsePlay(std::string_view text, MediaRequest &req)
{
    req.verb = Verb::Play;
    for (std::string_view word = nextWord(text); !word.empty(); word = nextWord(text)) {
        if (!sameWord(word, "from"))
            return ERR_UNKNOWN_KEYWORD;
        if (req.verb == Verb::PlayFrom)
            return ERR_DUPLICATE_KEYWORD;
        if (!parseNumber(nextWord(text), req.number))
            return ERR_BAD_NUMBER;
        req.verb = Verb::PlayFrom;
    }
    return 0;
}

int parseStatus(std::string_view text, MediaRequest &req)
{
    req.verb = Verb::StatusLength;
    bool hasLength = false;
    for (std::string_view word = nextWord(text); !word.empty(); word = nextWord(text)) {
        if (!sameWord(word, "length"))
            return ERR_UNKNOWN_KEYWORD;
        if (hasLength)
            return ERR_DUPLICATE_KEYWORD;
        hasLength = true;
    }
    return hasLength ? 0 : ERR_MISSING_PARAMETER;
}

// "volume" and "to N" may come in either order, as flags do.
int parseSetAudio(std::string_view text, MediaRequest &req)
{
    req.verb = Verb::SetVolume;
    bool hasVolume = false;
    bool hasTo = false;
    for (std::string_view word = nextWord(text); !word.empty(); word = nextWord(text)) {
        if (sameWord(word, "volume")) {
            if (hasVolume)
                return ERR_DUPLICATE_KEYWORD;
            hasVolume = true;
        } else if (sameWord(word, "to")) {
            if (hasTo)
                return ERR_DUPLICATE_KEYWORD;
            if (!parseNumber(nextWord(text), req.number))
                return ERR_BAD_NUMBER;
            hasTo = true;
        } else {
            return ERR_UNKNOWN_KEYWORD;
        }
    }
    return hasVolume && hasTo ? 0 : ERR_MISSING_PARAMETER;
}

} // namespace

int parseRequest(std::string_view text, MediaRequest &req, DeviceNameCheck isValidName)
{
    req = MediaRequest();
    std::string_view verb = nextWord(text);
    if (verb.empty())
        return ERR_NO_COMMAND;
    if (sameWord(verb, "play")) {
        req.verb = Verb::Play;
    } else if (sameWord(verb, "close")) {
        req.verb = Verb::Close;
    } else if (sameWord(verb, "pause")) {
        req.verb = Verb::Pause;
    } else if (sameWord(verb, "status")) {
        req.verb = Verb::StatusLength;
    } else if (sameWord(verb, "setaudio")) {
        req.verb = Verb::SetVolume;
    } else {
        return ERR_UNKNOWN_COMMAND;
    }

    std::string_view device = nextWord(text);
    if (device.empty() || isKeyword(device))
        return ERR_NO_DEVICE;
    if (!isValidName(device))
        return ERR_BAD_DEVICE_NAME;

    int error = 0;
    switch (req.verb) {
    case Verb::Play: error = parsePlay(text, req); break;
    case Verb::StatusLength: error = parseStatus(text, req); break;
    case Verb::SetVolume: error = parseSetAudio(text, req); break;
    case Verb::Close:
    case Verb::Pause: error = nextWord(text).empty() ? 0 : ERR_UNKNOWN_KEYWORD; break;
    case Verb::PlayFrom: break;
    }
    if (error == 0)
        req.device = device;
    return error;
}

int writeDecimalReply(long long value, char *reply, int replyLength)
{
    char digits[24];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    if (ec != std::errc() || !reply || replyLength <= 0)
        return 0;
    std::size_t length = static_cast<std::size_t>(end - digits);
    std::size_t copied = std::min(length, static_cast<std::size_t>(replyLength) - 1);
    std::memcpy(reply, digits, copied);
    reply[copied] = '\0';
    return copied < length ? ERR_REPLY_TOO_LONG : 0;
}
