// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/test_environment.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

// A fresh home and XDG folders for the whole process, removed at its end, so no test reads or
// writes the user's own (Qt's file-dialog history, the playlist, caches, the session bus).
// Fixtures that need their own XDG_DATA_HOME still set it over this one.
TemporaryHome::TemporaryHome()
{
    std::string pattern = (fs::temp_directory_path() / "vorla-home-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    m_root = pattern;
    const struct {
        const char *variable;
        const char *folder;
    } places[] = {{"HOME", "home"},
                  {"XDG_CONFIG_HOME", "config"},
                  {"XDG_DATA_HOME", "data"},
                  {"XDG_CACHE_HOME", "cache"},
                  {"XDG_RUNTIME_DIR", "runtime"}};
    for (const auto &place : places) {
        fs::path folder = m_root / place.folder;
        std::error_code error;
        fs::create_directory(folder, error);
        // XDG_RUNTIME_DIR must be 0700; the others may as well be.
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
        if (error)
            std::abort();
        setenv(place.variable, folder.c_str(), 1);
    }
    // The bus a fresh runtime folder would hold: none, so the desktop's bus stays out of reach;
    // a private session made for the tests keeps its own.
    std::string bus = "unix:path=" + (m_root / "runtime" / "bus").string();
    if (!std::getenv("VORLA_TEST_SESSION"))
        setenv("DBUS_SESSION_BUS_ADDRESS", bus.c_str(), 1);
}

TemporaryHome::~TemporaryHome()
{
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
}

void setTestDefaults()
{
    // Defaults only: what the caller set wins.
    setenv("VORLA_FIXTURES", VORLA_TEST_FIXTURES, 0);
    setenv("GST_REGISTRY", VORLA_TEST_GST_REGISTRY, 0);
}
