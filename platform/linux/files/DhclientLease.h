// The DHCP server of an interface as ISC dhclient recorded it in its lease
// files (also the ones NetworkManager keeps for its dhclient), e.g.
//
//   lease {
//     interface "eth0";
//     option dhcp-server-identifier 192.168.1.1;
//     expire 3 2024/01/17 10:14:48;
//   }
//
// dhclient appends a block at every renewal and leaves the file behind when
// it stops, so only a block for an address the interface still holds, and
// that has not yet expired, is a lease in force; the last such block counts.
#pragma once

#include "Ipv4Text.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The lease in force in `text` for the interface `ifname`, which holds the
// addresses `held`: the last lease block for it whose fixed-address is one of
// `held` and that has not expired at `now`. Its dhcp-server-identifier in
// dotted form ("" when it names no valid address); nothing when no lease is
// in force.
std::optional<std::string> DhclientServerFromLeases(std::string_view text, std::string_view ifname,
                                                    const std::vector<Ipv4Bytes>& held, std::time_t now);

// The lease files in the places dhclient and NetworkManager keep them.
std::vector<std::string> DhclientLeaseFiles();

// The answer of the most recently written file among `paths` that has a
// lease in force, each file read up to the usual cap; nothing when none does.
std::optional<std::string> DhclientServerFromFiles(const std::vector<std::string>& paths,
                                                   std::string_view ifname,
                                                   const std::vector<Ipv4Bytes>& held, std::time_t now);
