// One interface as rtnetlink and its driver describe it, and the row of the
// interface table made from that: the pieces LinkTable puts together.
#pragma once

#include "platform/IpHlpApi.h"

#include <net/if.h>

#include <linux/if.h>
#include <linux/netlink.h>

#include <cstdint>
#include <string>

// What the driver says of an interface: asked once, then again only after
// the kernel has told of a change to that interface.
struct DriverInfo {
    DWORD speed = 0; // bits per second, 0 when unknown
    std::string driver;
};

// One interface as the last link dump described it, with its row ready but
// for the counters.
struct Link {
    int index = 0;
    std::string name;
    std::string kind;
    unsigned short hwType = 0;
    unsigned flags = 0;
    std::uint8_t operState = IF_OPER_UNKNOWN;
    std::uint32_t mtu = 0;
    std::uint32_t addrLen = 0;
    BYTE addr[MAXLEN_PHYSADDR] = {};
    // The read that last made a row of this link, so that a dump naming an
    // interface twice while it changed under us still gives one row.
    std::uint32_t seen = 0;
    MIB_IFROW row;
};

// The counters of one interface at the moment of the dump: those of the
// kernel's that make up a row, nothing more, since a read copies them all.
struct Counters {
    std::uint64_t rxBytes, rxPackets, multicast, rxDropped, rxErrors, rxNoHandler;
    std::uint64_t txBytes, txPackets, txDropped, txErrors;
};

struct Sample {
    int index;
    Counters counters;
};

// LinkMessages.cpp: an RTM_NEWLINK message's interface (when `link` is not
// null) and its counters. False when the message describes no interface.
bool ReadLinkMessage(const nlmsghdr* h, Link* link, Sample& sample);
// An RTM_NEWSTATS message's counters. False when it describes no interface.
bool ReadStatsMessage(const nlmsghdr* h, Sample& sample);

// LinkDriver.cpp: what the driver of interface `name` tells through ethtool,
// asked on socket `fd`.
DriverInfo AskDriver(int fd, const std::string& name);

// LinkRow.cpp: `link.row` made from the link and its driver's answers, but
// for the counters.
void DescribeRow(Link& link, const DriverInfo& driver);
// The counters of `c` in `row`, each cut to its 32 bits.
void PutCounters(MIB_IFROW& row, const Counters& c);
