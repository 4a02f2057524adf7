// The physical address of adapter 0, as NetBIOS reports it in the adapter's
// status, written as six two-digit hex numbers.
#pragma once

#include "platform/Win32.h"

#include <QString>
#include <span>

// The address with `separator` between the numbers, e.g. "00-0A-1B-2C-3D-4E";
// "" when no memory could be had for the status; all zeros when the adapter
// did not answer.
QString GetMacAddress(const QString& separator);

// The six bytes, indices 0 to 5 (`lowerBound` is the index of the first),
// as upper-case hex numbers with `separator` between them; "" for any other
// sequence.
QString FormatMacAddress(std::span<const BYTE> bytes, const QString& separator, int lowerBound = 0);
