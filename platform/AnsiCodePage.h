// The single-byte code page in which the platform hands out and takes texts.
// It is ISO 8859-1 here: every byte is the character of the same code, and a
// character outside it is written as '?'. Nothing the monitor shows as a number
// passes through it.
#pragma once

#include <QString>

#include <cstddef>

inline QString FromAnsi(const char* bytes, std::size_t length)
{
    return QString::fromLatin1(bytes, static_cast<qsizetype>(length));
}

inline char ToAnsi(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x100)
        return static_cast<char>(u);
    return '?';
}
