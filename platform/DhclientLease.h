// The DHCP server of an interface as ISC dhclient recorded it in its lease
// files (also the ones NetworkManager keeps for its dhclient), e.g.
//
//   lease {
//     interface "eth0";
//     option dhcp-server-identifier 192.168.1.1;
//     expire 3 2024/01/17 10:14:48;
//   }
//
// dhclient appends a block at every renewal, so the last block for the
// interface that has not yet expired is the lease in force.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

// The dhcp-server-identifier of the last lease block in `text` for the
// interface `ifname` that has not expired at `now`, in dotted form; "" when
// there is no such block or it names no valid address.
std::string DhclientServerFromLeases(std::string_view text, std::string_view ifname, std::time_t now);

// The lease files in the places dhclient and NetworkManager keep them.
std::vector<std::string> DhclientLeaseFiles();

// The answer of the most recently written file among `paths` that has one,
// each file read up to the usual cap; "" when none does.
std::string DhclientServerFromFiles(const std::vector<std::string>& paths, std::string_view ifname,
                                    std::time_t now);
