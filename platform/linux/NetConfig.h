// This machine's links, IPv4 addresses and default route as rtnetlink tells
// them, for the address and adapter look-ups (the interface table with its
// counters is LinkTable's).
#pragma once

#include "platform/linux/files/Ipv4Text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace netconfig {

struct Link {
    int index = 0;
    std::string name;
    unsigned short type = 0; // ARPHRD_*
    unsigned flags = 0;      // IFF_*
    std::vector<std::uint8_t> address;
    std::string kind; // the driver kind of a virtual link ("bridge", "veth"...), "" for hardware
};

struct Address {
    int index = 0;
    Ipv4Bytes address{};
    int prefixLength = 0;
    // Seconds the address stays valid; nullopt when it never expires.
    std::optional<std::uint32_t> validLifetime;
};

struct DefaultRoute {
    int index = 0;
    std::optional<Ipv4Bytes> gateway;
};

// Every link, by index; empty when the kernel cannot be asked.
std::vector<Link> ReadLinks();

// Every IPv4 address, in the kernel's order (by interface, primary first).
std::vector<Address> ReadAddresses();

// The IPv4 default route of the main table with the lowest metric, from
// rtnetlink, else from /proc/net/route.
std::optional<DefaultRoute> ReadDefaultRoute();

// The mask of a prefix length, e.g. 24 → 255.255.255.0.
Ipv4Bytes PrefixMask(int prefixLength);

// Whether this is a hardware device: no virtual kind, and a bus device in sysfs.
bool BackedByDevice(const Link& link);

} // namespace netconfig
