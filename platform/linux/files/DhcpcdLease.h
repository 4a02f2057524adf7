// The DHCP server of an interface managed by dhcpcd, from the lease file it
// keeps per interface: the last DHCP acknowledgement as received, a BOOTP
// message whose options carry the server identifier (option 54), the lease
// time (option 51) and the address leased (yiaddr). dhcpcd leaves the file
// behind when it stops, and writes it when the lease is granted.
#pragma once

#include "Ipv4Text.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The server identifier of the DHCP message in `bytes`, in dotted form; ""
// when the message is not one or carries no valid identifier.
std::string DhcpcdServerFromLease(std::string_view bytes);

// The places dhcpcd versions keep the lease of the interface `ifname`.
std::vector<std::string> DhcpcdLeasePaths(const std::string& ifname);

// The server identifier of the message in `bytes` when it is a lease in
// force: its address is one of `held`, the addresses the interface holds, and
// its lease time, counted from `written`, has not run out at `now` (a message
// without one never runs out). "" when such a lease names no server; nothing
// when the message is no lease in force.
std::optional<std::string> DhcpcdServerInForce(std::string_view bytes, const std::vector<Ipv4Bytes>& held,
                                               std::time_t written, std::time_t now);

// The answer of the first of `paths` that holds a lease in force, each read
// up to the usual cap and counted from the time it was written; nothing when
// none does.
std::optional<std::string> DhcpcdServerFromFiles(const std::vector<std::string>& paths,
                                                 const std::vector<Ipv4Bytes>& held, std::time_t now);
