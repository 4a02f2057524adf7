// How the monitor writes and reads numbers, in the user's locale.
#pragma once

#include "platform/Win32.h"

#include <QString>
#include <optional>

// Takes the user's separators anew from the default locale (QLocale::setDefault).
void ReloadUserLocale();

// A byte count as "###,###,###,###" writes it: digits grouped by three with
// the user's thousands separator, and the empty text for 0. The totals are
// unsigned 32-bit sums, so nothing written here is ever negative.
QString ByteCountText(DWORD count);

// A byte-count text read back as a number, the user's thousands separator
// accepted. The empty text has no value.
std::optional<double> ReadByteCountText(const QString& text);

// The default text of a number: plain decimal with up to 15 significant
// digits, the user's decimal separator, no thousands separators, no trailing
// zeros, "0" before the separator below 1, a leading minus when negative.
QString NumberText(double value);
