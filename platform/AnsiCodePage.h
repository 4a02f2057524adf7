// The single-byte code page in which the platform hands out and takes texts.
// It is ISO 8859-1 here: every byte is the character of the same code, and a
// character outside it is written as '?'. Nothing the monitor shows as a number
// passes through it.
#pragma once

#include <cstddef>
#include <QString>

QString FromAnsi(const char* bytes, std::size_t length);
char ToAnsi(QChar c);
