#include "AnsiCodePage.h"

QString FromAnsi(const char* bytes, std::size_t length)
{
    return QString::fromLatin1(bytes, static_cast<qsizetype>(length));
}

char ToAnsi(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x100)
        return static_cast<char>(u);
    return '?';
}
