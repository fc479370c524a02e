// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/qt/display_text.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <string>

#include <QStringDecoder>

namespace {

// The GB18030 reading of bytes; false when they are not GB18030.
bool decodeGb18030(const char *bytes, QString &out)
{
    iconv_t converter = iconv_open("UTF-8", "GB18030");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    std::size_t left = std::strlen(bytes);
    // Each GB18030 sequence of n bytes becomes at most 4 UTF-8 bytes, n >= 1.
    std::string utf8(left * 4 + 4, '\0');
    char *in = const_cast<char *>(bytes);
    char *outAt = utf8.data();
    std::size_t room = utf8.size();
    std::size_t result = iconv(converter, &in, &left, &outAt, &room);
    iconv_close(converter);
    if (result == static_cast<std::size_t>(-1) || left != 0)
        return false;
    out = QString::fromUtf8(utf8.data(), outAt - utf8.data());
    return true;
}

} // namespace

QString displayText(const char *bytes)
{
    if (!bytes)
        return QString();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes, static_cast<qsizetype>(std::strlen(bytes))));
    if (!utf8.hasError())
        return text;
    QString gb;
    return decodeGb18030(bytes, gb) ? gb : text;
}
