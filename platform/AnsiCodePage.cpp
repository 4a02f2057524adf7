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
    // Locales that group digits with a narrow or figure space keep a space.
    if (u == 0x202F || u == 0x2007)
        return static_cast<char>(0xA0);
    return '?';
}
