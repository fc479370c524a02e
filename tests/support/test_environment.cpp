// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/test_environment.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

fs::path makeTemporaryFolder(const char *prefix)
{
#ifdef _WIN32
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path folder = fs::temp_directory_path() / (prefix + std::to_string(random()));
        std::error_code error;
        if (fs::create_directory(folder, error))
            return folder;
    }
    std::abort();
#else
    std::string pattern = (fs::temp_directory_path() / prefix).string() + "XXXXXX";
    if (!mkdtemp(pattern.data()))
        std::abort();
    return pattern;
#endif
}

void setEnvironment(const char *name, const std::string &value)
{
#ifdef _WIN32
    std::wstring wideName = fs::path(std::u8string(name, name + std::strlen(name))).wstring();
    std::wstring wideValue = fs::path(std::u8string(value.begin(), value.end())).wstring();
    _wputenv_s(wideName.c_str(), wideValue.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

std::string pathText(const fs::path &path)
{
#ifdef _WIN32
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
#else
    return path.string();
#endif
}

fs::path pathOf(const std::string &text)
{
#ifdef _WIN32
    return fs::path(std::u8string(text.begin(), text.end())).make_preferred();
#else
    return text;
#endif
}

std::string nativePath(const std::string &posixPath)
{
#ifdef _WIN32
    std::string path = posixPath;
    for (char &c : path) {
        if (c == '/')
            c = '\\';
    }
    return path.empty() || path[0] != '\\' ? path : ROOT_FOLDER + path;
#else
    return posixPath;
#endif
}

// A fresh home and XDG folders for the whole process, removed at its end, so no test reads or
// writes the user's own (Qt's file-dialog history, the playlist, caches, the session bus).
// Fixtures that need their own XDG_DATA_HOME still set it over this one.
TemporaryHome::TemporaryHome()
{
    m_root = makeTemporaryFolder("vorla-home-");
    const struct {
        const char *variable;
        const char *folder;
    } places[] = {
#ifdef _WIN32
        {"USERPROFILE", "home"},
        {"APPDATA", "data"},
        {"LOCALAPPDATA", "cache"},
#else
        {"HOME", "home"},
        {"XDG_CONFIG_HOME", "config"},
        {"XDG_DATA_HOME", "data"},
        {"XDG_CACHE_HOME", "cache"},
        {"XDG_RUNTIME_DIR", "runtime"},
#endif
    };
    for (const auto &place : places) {
        fs::path folder = m_root / place.folder;
        std::error_code error;
        fs::create_directory(folder, error);
        // XDG_RUNTIME_DIR must be 0700; the others may as well be.
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
        if (error)
            std::abort();
        setEnvironment(place.variable, pathText(folder));
    }
#ifndef _WIN32
    // The bus a fresh runtime folder would hold: none, so the desktop's bus stays out of reach;
    // a private session made for the tests keeps its own.
    std::string bus = "unix:path=" + (m_root / "runtime" / "bus").string();
    if (!std::getenv("VORLA_TEST_SESSION"))
        setenv("DBUS_SESSION_BUS_ADDRESS", bus.c_str(), 1);
#endif
}

TemporaryHome::~TemporaryHome()
{
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
}

void setTestDefaults()
{
    // Defaults only: what the caller set wins.
    for (const char *variable : {"VORLA_FIXTURES", "GST_REGISTRY"}) {
        if (!std::getenv(variable))
            setEnvironment(variable,
                           variable[0] == 'V' ? VORLA_TEST_FIXTURES : VORLA_TEST_GST_REGISTRY);
    }
}
