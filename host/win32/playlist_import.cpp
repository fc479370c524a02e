// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/win32/playlist_import.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <windows.h>

#include "host/files.h"
#include "host/win32/wide_text.h"

namespace {

// The original player's list holds at most some 256 records of two short lines each; a file
// far past that is not one of its lists.
constexpr std::size_t MAX_IMPORT_BYTES = 4 * 1024 * 1024;

bool readWhole(const char *path, std::string &content)
{
    std::FILE *file = openRegularFile(path);
    if (!file)
        return false;
    char chunk[16384];
    std::size_t got;
    bool fits = true;
    while (fits && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        content.append(chunk, got);
        fits = content.size() <= MAX_IMPORT_BYTES;
    }
    bool complete = fits && !std::ferror(file);
    std::fclose(file);
    return complete;
}

// One line without its line end, as UTF-8: unchanged when it is UTF-8 already, else decoded from
// the code page; a line that is neither stays as it is.
std::string lineAsUtf8(std::string_view line, unsigned codePage)
{
    std::string utf8;
    if (isUtf8(line) || !codePageToUtf8(line, codePage, utf8))
        return std::string(line);
    return utf8;
}

} // namespace

unsigned systemAnsiCodePage()
{
    DWORD codePage = 0;
    if (GetLocaleInfoEx(LOCALE_NAME_SYSTEM_DEFAULT,
                        LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                        reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t)) &&
        codePage != 0)
        return codePage;
    // Systems older than the locale names keep it in the registry.
    wchar_t text[16] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage",
                     L"ACP", RRF_RT_REG_SZ, nullptr, text, &size) == ERROR_SUCCESS)
        codePage = static_cast<DWORD>(wcstoul(text, nullptr, 10));
    return codePage != 0 ? codePage : 1252;
}

bool importOriginalPlaylist(const char *from, const char *to, unsigned codePage)
{
    if (isRegularFile(to) || !isRegularFile(from))
        return true;
    std::string content;
    if (!readWhole(from, content))
        return false;
    FileReplacement replacement;
    if (!makeParentFolders(to) || !beginReplacement(replacement, to))
        return false;
    // The replacement writes in text mode: each "\n" goes to the disk as CR LF.
    std::string converted;
    std::string_view rest = content;
    while (!rest.empty()) {
        std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        bool ended = end != std::string_view::npos;
        if (ended && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        converted += lineAsUtf8(line, codePage);
        if (ended)
            converted += '\n';
        rest = ended ? rest.substr(end + 1) : std::string_view();
    }
    if (std::fwrite(converted.data(), 1, converted.size(), replacement.file) != converted.size()) {
        abandonReplacement(replacement);
        return false;
    }
    return commitReplacement(replacement);
}
