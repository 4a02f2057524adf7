// Texts copied out of fixed-size platform fields carry their NUL padding.
#pragma once

#include <QString>

// The part of `text` before its first NUL character, or all of it.
inline QString TrimAtNull(const QString& text)
{
    const qsizetype at = text.indexOf(QChar(u'\0'));
    return at < 0 ? text : text.left(at);
}
