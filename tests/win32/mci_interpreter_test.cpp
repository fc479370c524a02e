// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/win32/mci_interpreter.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <windows.h>

#include <gtest/gtest.h>

#include "engine/command_parser.h"
#include "engine/mpeg_frames.h"

namespace {

namespace fs = std::filesystem;

// The media corpus of the Linux tests (tests/fixtures/make_media.sh), handed over by the run.
fs::path corpusFile(const char *name)
{
    const char *folder = std::getenv("VORLA_MEDIA_CORPUS");
    return folder ? fs::path(folder) / name : fs::path();
}

// The name the player would use: the path in UTF-8, its blanks and "%" escaped.
std::string deviceName(const fs::path &path)
{
    std::u8string bytes = path.u8string();
    std::string name;
    for (char8_t letter : bytes) {
        char c = static_cast<char>(letter);
        if (c == ' ')
            name += "%20";
        else if (c == '%')
            name += "%25";
        else
            name += c;
    }
    return name;
}

int run(const std::string &command, std::string *reply = nullptr)
{
    char buffer[256];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    int result = runMciCommand(command.c_str(), buffer, sizeof buffer);
    if (reply)
        reply->assign(buffer, strnlen(buffer, sizeof buffer));
    return result;
}

// Serves the thread's messages, as the dialog's loop does, until the condition holds.
template <typename Condition>
bool waitFor(Condition condition, DWORD milliseconds)
{
    ULONGLONG deadline = GetTickCount64() + milliseconds;
    while (!condition()) {
        if (GetTickCount64() > deadline)
            return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        Sleep(10);
    }
    return true;
}

class MciInterpreter : public testing::Test {
protected:
    void SetUp() override
    {
        if (corpusFile("cbr_plain.mp3").empty())
            GTEST_SKIP() << "VORLA_MEDIA_CORPUS is not set";
    }
    void TearDown() override { closeAllMciDevices(); }
};

TEST_F(MciInterpreter, LengthIsTheFrameScansWhereMciOnlyEstimates)
{
    // Without a Xing header MCI's own length of a VBR file is an estimate.
    for (const char *file : {"vbr_noxing.mp3", "vbr_lame.mp3", "id3_4mb.mp3", "layer2_8k.mp3"}) {
        SCOPED_TRACE(file);
        std::FILE *bytes = _wfopen(corpusFile(file).wstring().c_str(), L"rb");
        ASSERT_NE(bytes, nullptr);
        long long scanned = scanMpegFramesMs(bytes);
        std::fclose(bytes);
        std::string reply;
        ASSERT_EQ(run("status " + deviceName(corpusFile(file)) + " length", &reply), 0);
        EXPECT_EQ(reply, std::to_string(scanned));
    }
    std::string reply;
    EXPECT_EQ(run("status " + deviceName(corpusFile("wave_named.mp3")) + " length", &reply), 0);
    EXPECT_NEAR(std::atoi(reply.c_str()), 1000, 50);
}

TEST_F(MciInterpreter, PlayPausePlayFromAndCloseKeepTheTableRight)
{
    std::string name = deviceName(corpusFile("vbr_noxing.mp3"));
    ASSERT_EQ(run("play " + name), 0);
    EXPECT_TRUE(isMciDeviceOpen(name));
    EXPECT_EQ(run("play " + name), 0);
    EXPECT_EQ(run("pause " + name), 0);
    EXPECT_EQ(run("pause " + name), 0);
    EXPECT_EQ(run("play " + name), 0);
    EXPECT_EQ(run("setaudio " + name + " volume to 300"), 0);
    EXPECT_EQ(run("setaudio " + name + " volume to 1001"), ERR_OUT_OF_RANGE);
    EXPECT_EQ(run("play " + name + " from 500"), 0);
    EXPECT_EQ(run("close " + name), 0);
    EXPECT_FALSE(isMciDeviceOpen(name));
    EXPECT_EQ(run("close " + name), ERR_BAD_DEVICE_NAME);
    // Past the length nothing is left open; the length itself is a legal start.
    EXPECT_EQ(run("play " + name + " from 999999"), ERR_OUT_OF_RANGE);
    EXPECT_FALSE(isMciDeviceOpen(name));
}

TEST_F(MciInterpreter, DeviceThatPlaysToItsEndClosesItself)
{
    std::string name = deviceName(corpusFile("cbr_plain.mp3"));
    std::string reply;
    ASSERT_EQ(run("status " + name + " length", &reply), 0);
    ASSERT_EQ(run("play " + name + " from " + std::to_string(std::atoi(reply.c_str()) - 300)), 0);
    EXPECT_TRUE(isMciDeviceOpen(name));
    EXPECT_TRUE(waitFor([&] { return !isMciDeviceOpen(name); }, 3000));
    EXPECT_EQ(run("close " + name), ERR_BAD_DEVICE_NAME);
}

TEST_F(MciInterpreter, NamesOfEveryShapeOpenTheirFilesOrAnswerTheirFault)
{
    wchar_t folder[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
    fs::path spaced = fs::path(folder) / L"with space 100% 中文.mp3";
    fs::copy_file(corpusFile("cbr_plain.mp3"), spaced, fs::copy_options::overwrite_existing);
    std::string name = deviceName(spaced);
    EXPECT_EQ(run("play " + name), 0);
    EXPECT_TRUE(isMciDeviceOpen(name));
    EXPECT_EQ(run("close " + name), 0);
    fs::remove(spaced);

    std::string missing = deviceName(fs::path(folder) / "no such file.mp3");
    const std::pair<std::string, int> cases[] = {
        {"play " + missing, ERR_FILE_NOT_FOUND},
        {"status " + missing + " length", ERR_FILE_NOT_FOUND},
        {"pause " + missing, ERR_FILE_NOT_FOUND},
        {"setaudio " + missing + " volume to 5", ERR_UNKNOWN_COMMAND},
        {"play " + deviceName(corpusFile("random.mp3")), ERR_NOT_DECODABLE},
        {"play relative\\a.mp3", ERR_BAD_DEVICE_NAME},
        {"play /unix/a.mp3", ERR_BAD_DEVICE_NAME},
        {"play C:\\broken%2", ERR_BAD_DEVICE_NAME},
        {"play ", ERR_NO_DEVICE},
        {"", ERR_NO_COMMAND},
    };
    for (const auto &[command, error] : cases) {
        SCOPED_TRACE(command);
        std::string reply;
        EXPECT_EQ(run(command, &reply), error);
        EXPECT_EQ(reply, "");
    }
}

} // namespace
