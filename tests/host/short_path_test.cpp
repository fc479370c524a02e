// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/device_name.h"
#include "host/host.h"
#include "tests/support/fake_host.h"

namespace {

namespace fs = std::filesystem;

class ShortPath : public testing::Test {
protected:
    std::string convert(const fs::path &path, std::size_t size = 8192)
    {
        std::string buffer(size + 8, '#');
        converted = shortPathName(path.c_str(), buffer.data(), size);
        tailIntact = buffer.compare(size, 8, "########") == 0;
        return buffer.substr(0, strnlen(buffer.data(), size));
    }

    TempDir dir;
    std::string base = "file://" + fs::canonical(dir.path).string();
    bool converted = false;
    bool tailIntact = false;
};

TEST_F(ShortPath, EscapesEveryByteOutsideTheUnreservedSet)
{
    const std::pair<const char *, const char *> cases[] = {
        {"plain-name_1.0~.mp3", "/plain-name_1.0~.mp3"},
        {"with space.mp3", "/with%20space.mp3"},
        {"中文.mp3", "/%E4%B8%AD%E6%96%87.mp3"},
        {"100%.mp3", "/100%25.mp3"},
        {"literal%20.mp3", "/literal%2520.mp3"},
        {"hash#and?query.mp3", "/hash%23and%3Fquery.mp3"},
        {"-leading.mp3", "/-leading.mp3"},
        {"tab\tand'quote\".mp3", "/tab%09and%27quote%22.mp3"},
    };
    for (const auto &[file, encoded] : cases) {
        SCOPED_TRACE(file);
        writeFile(dir.path / file, "x");
        std::string name = convert(dir.path / file);
        EXPECT_TRUE(converted);
        EXPECT_EQ(name, base + encoded);
        std::string path;
        EXPECT_TRUE(decodeDeviceName(name, path));
        EXPECT_EQ(path, (dir.path / file).string());
    }
}

TEST_F(ShortPath, RelativeAndDottedPathsBecomeTheSameAbsoluteName)
{
    writeFile(dir.path / "sub" / "a.mp3", "x");
    std::string direct = convert(dir.path / "sub" / "a.mp3");
    EXPECT_EQ(convert(dir.path / "sub" / ".." / "sub" / "." / "a.mp3"), direct);
    fs::path before = fs::current_path();
    fs::current_path(dir.path);
    EXPECT_EQ(convert("sub/a.mp3"), direct);
    fs::current_path(before);
}

TEST_F(ShortPath, MissingFilesAndFoldersGiveAnEmptyName)
{
    fs::create_directories(dir.path / "folder");
    for (const fs::path &path : {dir.path / "gone.mp3", dir.path / "folder", fs::path("")}) {
        SCOPED_TRACE(path.string());
        EXPECT_EQ(convert(path), "");
        EXPECT_FALSE(converted);
    }
}

TEST_F(ShortPath, NameThatDoesNotFitIsRefusedWithinTheBuffer)
{
    writeFile(dir.path / "a b.mp3", "x");
    std::string full = base + "/a%20b.mp3";
    for (std::size_t size : {full.size() + 1, full.size(), full.size() - 2, std::size_t{4}}) {
        SCOPED_TRACE(size);
        std::string name = convert(dir.path / "a b.mp3", size);
        EXPECT_EQ(converted, size > full.size());
        EXPECT_EQ(name, converted ? full : "");
        EXPECT_TRUE(tailIntact);
    }
    char none[1] = {'#'};
    EXPECT_FALSE(shortPathName((dir.path / "a b.mp3").c_str(), none, 0));
    EXPECT_EQ(none[0], '#');
}

} // namespace
