// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/command_parser.h"

#include <string>

#include <gtest/gtest.h>

#include "engine/device_name.h"

namespace {

constexpr const char *NAME = "file:///music/a%20b.mp3";

TEST(CommandParser, AcceptsEachFormInAnyLetterCaseAndSpacing)
{
    struct Case {
        const char *text;
        Verb verb;
        std::uint32_t number;
    };
    const Case cases[] = {
        {"play file:///music/a%20b.mp3", Verb::Play, 0},
        {"  PLAY\tfile:///music/a%20b.mp3 \t", Verb::Play, 0},
        {"Play file:///music/a%20b.mp3 FROM 1500", Verb::PlayFrom, 1500},
        {"play file:///music/a%20b.mp3 from 0", Verb::PlayFrom, 0},
        {"play file:///music/a%20b.mp3 from 4294967295", Verb::PlayFrom, 4294967295u},
        {"play file:///music/a%20b.mp3 from 000042", Verb::PlayFrom, 42},
        {"close file:///music/a%20b.mp3", Verb::Close, 0},
        {"pAuSe file:///music/a%20b.mp3", Verb::Pause, 0},
        {"status file:///music/a%20b.mp3 LENGTH", Verb::StatusLength, 0},
        {"setaudio file:///music/a%20b.mp3 volume to 1000", Verb::SetVolume, 1000},
        {"SETAUDIO file:///music/a%20b.mp3 Volume To 5000", Verb::SetVolume, 5000},
        {"setaudio file:///music/a%20b.mp3 to 7 volume", Verb::SetVolume, 7},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        MediaRequest req;
        ASSERT_EQ(parseRequest(c.text, req), 0);
        EXPECT_EQ(req.verb, c.verb);
        EXPECT_EQ(req.device, NAME);
        EXPECT_EQ(req.number, c.number);
    }
}

TEST(CommandParser, AnswersTheFirstFaultWithItsErrorNumber)
{
    const std::pair<const char *, int> cases[] = {
        {"", ERR_NO_COMMAND},
        {" \t  ", ERR_NO_COMMAND},
        {"stop file:///a.mp3", ERR_UNKNOWN_COMMAND},
        {"open file:///a.mp3", ERR_UNKNOWN_COMMAND},
        {"plays", ERR_UNKNOWN_COMMAND},
        {"play", ERR_NO_DEVICE},
        {"play ", ERR_NO_DEVICE},
        {"play  from 1500", ERR_NO_DEVICE},
        {"status  length", ERR_NO_DEVICE},
        {"setaudio  volume to 500", ERR_NO_DEVICE},
        {"close ", ERR_NO_DEVICE},
        {"play a.mp3", ERR_BAD_DEVICE_NAME},
        {"play /music/a.mp3", ERR_BAD_DEVICE_NAME},
        {"play file://music/a.mp3", ERR_BAD_DEVICE_NAME},
        {"play FILE:///a.mp3", ERR_BAD_DEVICE_NAME},
        {"play file:///a%2", ERR_BAD_DEVICE_NAME},
        {"play file:///a%zz.mp3", ERR_BAD_DEVICE_NAME},
        {"play file:///a%00.mp3", ERR_BAD_DEVICE_NAME},
        {"play file:///a#b.mp3", ERR_BAD_DEVICE_NAME},
        {"play file:///\xE4\xB8\xAD.mp3", ERR_BAD_DEVICE_NAME},
        {"close file:///a.mp3 now", ERR_UNKNOWN_KEYWORD},
        {"pause file:///a.mp3 from 3", ERR_UNKNOWN_KEYWORD},
        {"play file:///a.mp3 at 3", ERR_UNKNOWN_KEYWORD},
        {"play file:///a.mp3 from 3 to 4", ERR_UNKNOWN_KEYWORD},
        {"status file:///a.mp3 position", ERR_UNKNOWN_KEYWORD},
        {"status file:///a.mp3", ERR_MISSING_PARAMETER},
        {"setaudio file:///a.mp3", ERR_MISSING_PARAMETER},
        {"setaudio file:///a.mp3 volume", ERR_MISSING_PARAMETER},
        {"setaudio file:///a.mp3 to 5", ERR_MISSING_PARAMETER},
        {"setaudio file:///a.mp3 volume 5", ERR_UNKNOWN_KEYWORD},
        {"status file:///a.mp3 length length", ERR_DUPLICATE_KEYWORD},
        {"play file:///a.mp3 from 1 from 2", ERR_DUPLICATE_KEYWORD},
        {"setaudio file:///a.mp3 volume volume to 5", ERR_DUPLICATE_KEYWORD},
        {"setaudio file:///a.mp3 volume to 5 to 6", ERR_DUPLICATE_KEYWORD},
        {"play file:///a.mp3 from", ERR_BAD_NUMBER},
        {"setaudio file:///a.mp3 volume to", ERR_BAD_NUMBER},
    };
    for (const auto &[text, error] : cases) {
        SCOPED_TRACE(text);
        MediaRequest req;
        EXPECT_EQ(parseRequest(text, req), error);
    }
}

TEST(CommandParser, NumbersArePlainDigitsThatFitThirtyTwoBits)
{
    const char *bad[] = {"-1",  "+1", "0x10", "1e3",        "1:30",
                         "1.5", "٣",  "12a",  "4294967296", "99999999999999999999"};
    for (const char *number : bad) {
        SCOPED_TRACE(number);
        MediaRequest req;
        std::string play = std::string("play file:///a.mp3 from ") + number;
        std::string volume = std::string("setaudio file:///a.mp3 volume to ") + number;
        EXPECT_EQ(parseRequest(play, req), ERR_BAD_NUMBER);
        EXPECT_EQ(parseRequest(volume, req), ERR_BAD_NUMBER);
    }
}

TEST(CommandParser, OnlySpacesAndTabsSeparateWords)
{
    MediaRequest req;
    EXPECT_EQ(parseRequest("play\nfile:///a.mp3", req), ERR_UNKNOWN_COMMAND);
    EXPECT_EQ(parseRequest("play file:///a.mp3\n", req), ERR_BAD_DEVICE_NAME);
    EXPECT_EQ(parseRequest(std::string_view("play file:///a.mp3\0x", 20), req),
              ERR_BAD_DEVICE_NAME);
}

TEST(CommandParser, DeviceNamesDecodeToTheirPaths)
{
    const std::pair<const char *, const char *> cases[] = {
        {"file:///", "/"},
        {"file:///a%20b.mp3", "/a b.mp3"},
        {"file:///100%25.mp3", "/100%.mp3"},
        {"file:///literal%2520.mp3", "/literal%20.mp3"},
        {"file:///%E4%B8%AD%e6%96%87.mp3", "/中文.mp3"},
        {"file:///-lead/~x_y.z", "/-lead/~x_y.z"},
    };
    for (const auto &[name, path] : cases) {
        SCOPED_TRACE(name);
        std::string decoded = "junk";
        EXPECT_TRUE(decodeDeviceName(name, decoded));
        EXPECT_EQ(decoded, path);
    }
    std::string decoded = "junk";
    EXPECT_FALSE(decodeDeviceName("file:///a%0", decoded));
    EXPECT_EQ(decoded, "");
}

} // namespace
