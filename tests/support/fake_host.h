// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/test_environment.h"

// Test doubles behind the host seams: records every media command, message box and wait, and
// answers length queries from a table. Each test gets its own XDG data folders.
struct FakeHost {
    struct Message {
        std::string caption;
        std::string text;
        bool isError;
    };

    std::vector<std::string> commands;
    std::vector<Message> messages;
    std::vector<int> waits;
    // Reply text for "status X length", keyed by the device name X.
    std::map<std::string, std::string> lengths;
    // The next file-dialog result; empty means cancelled.
    std::vector<std::string> chosenFiles;
    std::filesystem::path dataHome;

    // Installs the doubles and a fresh, empty data folder (DATA_HOME_VARIABLE); call from SetUp.
    void install();
    // Restores the real host and removes the data folder; call from TearDown.
    void uninstall();

    std::string lastError() const;
    std::filesystem::path playlistFile() const { return dataHome / DATA_FOLDER / "savelist"; }
};

// A temporary folder removed with its content when the object goes.
struct TempDir {
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    std::filesystem::path path;
};

// Writes bytes to a file, creating its folders.
void writeFile(const std::filesystem::path &path, const std::string &bytes);
std::string readFile(const std::filesystem::path &path);

// Text as a text file holds it on this platform: CR LF line ends on Windows.
std::string textOnDisk(const std::string &text);
