// The DHCP server of an interface managed by systemd-networkd, from the lease
// file it keeps per interface index: key=value lines such as
// "SERVER_ADDRESS=192.168.1.1".
#pragma once

#include <string>
#include <string_view>

// The SERVER_ADDRESS of a networkd lease file's text in dotted form; "" when
// it has none that is a valid address.
std::string NetworkdServerFromLease(std::string_view text);

// Where networkd keeps the lease of the interface with this index.
std::string NetworkdLeasePath(int ifindex);

// The answer for the file at `path`, read up to the usual cap; "" when it is
// missing.
std::string NetworkdServerFromFile(const std::string& path);
