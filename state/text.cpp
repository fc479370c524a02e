// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/text.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>

bool formatText(char *dst, std::size_t size, const char *format, ...)
{
    if (size == 0)
        return false;
    va_list args;
    va_start(args, format);
    int written = std::vsnprintf(dst, size, format, args);
    va_end(args);
    if (written < 0 || static_cast<std::size_t>(written) >= size) {
        dst[0] = '\0';
        return false;
    }
    return true;
}

bool copyText(char *dst, std::size_t size, const char *src)
{
    if (size == 0)
        return false;
    std::size_t length = std::strlen(src);
    if (length >= size) {
        dst[0] = '\0';
        return false;
    }
    std::memmove(dst, src, length + 1);
    return true;
}

bool appendText(char *dst, std::size_t size, const char *src)
{
    std::size_t used = strnlen(dst, size);
    std::size_t length = std::strlen(src);
    if (used >= size || length >= size - used)
        return false;
    std::memmove(dst + used, src, length + 1);
    return true;
}

void clearText(char *dst, std::size_t size)
{
    std::memset(dst, 0, size);
}

long long readDecimal(const char *text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        int digit = *text - '0';
        if (value > (LLONG_MAX - digit) / 10) {
            value = LLONG_MAX;
            break;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}
