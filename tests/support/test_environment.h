// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

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
