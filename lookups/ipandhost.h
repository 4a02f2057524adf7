// This machine's host name and IP address, asked of the socket services, with
// their start-up and clean-up and the message boxes for their failures.
#pragma once

#include "platform/Win32.h"

#include <QString>

namespace ipandhost {

// The host name, or "" when the socket services fail (after saying so).
QString GetLocalHostName();

// The first IPv4 address of the host name as dotted text, or "" when the
// socket services fail (after saying so).
QString GetLocalIPAddress();

// Starts the socket services and checks that they suit; false (after a
// message box, and with the services cleaned up again) when they do not.
bool StartupSockets();

// Ends what StartupSockets began.
void ShutdownSockets();

// The high and low byte of a 16-bit word held in a LONG.
BYTE HighByte(LONG word);
BYTE LowByte(LONG word);

} // namespace ipandhost
