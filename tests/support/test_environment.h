// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

// A fresh home and XDG folders for the whole process, set in its environment and removed at its
// end, so no test reads or writes the user's own.
class TemporaryHome {
public:
    TemporaryHome();
    ~TemporaryHome();
    TemporaryHome(const TemporaryHome &) = delete;
    TemporaryHome &operator=(const TemporaryHome &) = delete;

private:
    std::filesystem::path m_root;
};

// Where the media fixtures are and GStreamer's shared plugin registry.
void setTestDefaults();

// Where the player keeps its data, as the test sets it: XDG_DATA_HOME, or APPDATA on Windows,
// and the name of its folder there.
#ifdef _WIN32
constexpr char DATA_HOME_VARIABLE[] = "APPDATA";
constexpr char DATA_FOLDER[] = "Vorla";
#else
constexpr char DATA_HOME_VARIABLE[] = "XDG_DATA_HOME";
constexpr char DATA_FOLDER[] = "vorla";
#endif

// A new folder under the system's temporary folder, its name starting with prefix.
std::filesystem::path makeTemporaryFolder(const char *prefix);

// Sets a variable of the process environment, replacing its value.
void setEnvironment(const char *name, const std::string &value);

// A path as the player's bytes: UTF-8 on Windows, the system's bytes elsewhere; and back.
std::string pathText(const std::filesystem::path &path);
std::filesystem::path pathOf(const std::string &text);

// A test's absolute path written the POSIX way ("/m/a.mp3") in this platform's form: on Windows
// on drive C: with '\\' separators. ROOT_FOLDER is what the player keeps as the folder of a file
// in the root.
std::string nativePath(const std::string &posixPath);
#ifdef _WIN32
constexpr char ROOT_FOLDER[] = "C:";
#else
constexpr char ROOT_FOLDER[] = "";
#endif
