// The DHCP server of an interface managed by systemd-networkd, from the lease
// file it keeps per interface index: key=value lines such as
// "ADDRESS=192.168.1.50" and "SERVER_ADDRESS=192.168.1.1". networkd keeps the
// file only while the lease is bound.
#pragma once

#include "Ipv4Text.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The SERVER_ADDRESS of a networkd lease file's text in dotted form; "" when
// it has none that is a valid address.
std::string NetworkdServerFromLease(std::string_view text);

// The ADDRESS the lease gave, in dotted form; "" when it has none.
std::string NetworkdAddressFromLease(std::string_view text);

// Where networkd keeps the lease of the interface with this index.
std::string NetworkdLeasePath(int ifindex);

// The server of the lease in the file at `path`, read up to the usual cap,
// when the lease's address is one of `held`, the addresses the interface
// holds (an index names another interface in another network namespace);
// nothing when the file is missing or its lease is not for those addresses.
std::optional<std::string> NetworkdServerFromFile(const std::string& path,
                                                  const std::vector<Ipv4Bytes>& held);
