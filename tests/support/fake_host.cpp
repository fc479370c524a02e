// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/fake_host.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "host/seams.h"

namespace fs = std::filesystem;

TempDir::TempDir()
{
    path = makeTemporaryFolder("vorla-test-");
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path, ignored);
}

void writeFile(const fs::path &path, const std::string &bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string textOnDisk(const std::string &text)
{
#ifdef _WIN32
    std::string converted;
    for (char c : text)
        converted += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return converted;
#else
    return text;
#endif
}

void FakeHost::install()
{
    dataHome = makeTemporaryFolder("vorla-data-");
    setEnvironment(DATA_HOME_VARIABLE, pathText(dataHome));
    setEnvironment("XDG_DATA_DIRS", pathText(dataHome / "none"));

    setMediaHandler([this](const char *command, char *reply, int replyLength) {
        commands.emplace_back(command);
        if (reply && replyLength > 0)
            reply[0] = '\0';
        const char prefix[] = "status ";
        const char suffix[] = " length";
        std::string text = command;
        if (text.rfind(prefix, 0) == 0 && text.size() > 13 &&
            text.compare(text.size() - 7, 7, suffix) == 0) {
            auto found = lengths.find(text.substr(7, text.size() - 14));
            if (found != lengths.end() && reply && replyLength > 0) {
                std::strncpy(reply, found->second.c_str(), replyLength - 1);
                reply[replyLength - 1] = '\0';
            }
        }
        return 0;
    });
    setMessageHandler([this](const char *caption, const char *text, bool isError) {
        messages.push_back({caption, text, isError});
    });
    setWaitHandler([this](int milliseconds) { waits.push_back(milliseconds); });
    setFileDialogHandler([this](std::vector<std::string> &paths) {
        paths = chosenFiles;
        return !chosenFiles.empty();
    });
}

void FakeHost::uninstall()
{
    resetSeams();
    std::error_code ignored;
    fs::remove_all(dataHome, ignored);
}

std::string FakeHost::lastError() const
{
    for (auto it = messages.rbegin(); it != messages.rend(); ++it) {
        if (it->isError)
            return it->text;
    }
    return {};
}
