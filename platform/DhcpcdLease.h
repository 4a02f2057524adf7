// The DHCP server of an interface managed by dhcpcd, from the lease file it
// keeps per interface: the last DHCP acknowledgement as received, a BOOTP
// message whose options carry the server identifier (option 54).
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The server identifier of the DHCP message in `bytes`, in dotted form; ""
// when the message is not one or carries no valid identifier.
std::string DhcpcdServerFromLease(std::string_view bytes);

// The places dhcpcd versions keep the lease of the interface `ifname`.
std::vector<std::string> DhcpcdLeasePaths(const std::string& ifname);

// The answer of the first of `paths` that exists, each read up to the usual
// cap; "" when none gives one.
std::string DhcpcdServerFromFiles(const std::vector<std::string>& paths);
