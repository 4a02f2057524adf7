// GoogleTest would print a QString or a QSize as raw bytes.
#pragma once

#include <QSize>
#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QSize& size, std::ostream* os)
{
    *os << size.width() << 'x' << size.height();
}
