// The interface type of the IP helper records for a Linux link.
#pragma once

#include "platform/Win32.h"

#include <string>

// `hwType` is the link's ARPHRD_* type, `kind` its rtnetlink link kind ("" for
// a device of its own, "bridge", "veth"... for a virtual one).
DWORD InterfaceType(unsigned short hwType, const std::string& name, const std::string& kind);
