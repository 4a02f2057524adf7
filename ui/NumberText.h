// How the monitor writes and reads numbers, in the user's locale.
#pragma once

#include "platform/Win32.h"

#include <QString>
#include <optional>

// Takes the user's separators anew from the default locale (QLocale::setDefault).
void ReloadUserLocale();

// A byte count as "###,###,###,###" writes it: digits grouped by three with
// the user's thousands separator, a leading minus sign when negative, and the
// empty text for 0.
QString ByteCountText(LONG count);

// A byte-count text read back as a number, the user's thousands separator
// accepted. The empty text has no value.
std::optional<double> ReadByteCountText(const QString& text);

// The default text of a number: plain decimal with up to 15 significant
// digits, the user's decimal separator, no thousands separators, no trailing
// zeros, "0" before the separator below 1, a leading minus when negative.
QString NumberText(double value);

// The difference a - b of two signed 32-bit totals, taken modulo 2^32, so a
// total that passed 2^31 in between still gives its small true increase.
constexpr LONG WrappedDifference(LONG a, LONG b)
{
    return static_cast<LONG>(static_cast<DWORD>(a) - static_cast<DWORD>(b));
}
