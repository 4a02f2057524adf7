#include "Link.h"

#include "Netlink.h"

#include <linux/if_link.h>
#include <linux/rtnetlink.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

// Newer kernels append counters to the structure and older ones stop short
// of ours: a counter the kernel did not send stays zero.
template <typename Stats>
void ReadCounters(const rtattr* a, Counters& c)
{
    const auto* data = static_cast<const unsigned char*>(RTA_DATA(a));
    const std::size_t length = RTA_PAYLOAD(a);
    auto take = [&](std::size_t offset, auto field, std::uint64_t& to) {
        decltype(field) v = 0;
        if (offset + sizeof v <= length)
            std::memcpy(&v, data + offset, sizeof v);
        to = v;
    };
    take(offsetof(Stats, rx_bytes), decltype(Stats::rx_bytes){}, c.rxBytes);
    take(offsetof(Stats, rx_packets), decltype(Stats::rx_packets){}, c.rxPackets);
    take(offsetof(Stats, multicast), decltype(Stats::multicast){}, c.multicast);
    take(offsetof(Stats, rx_dropped), decltype(Stats::rx_dropped){}, c.rxDropped);
    take(offsetof(Stats, rx_errors), decltype(Stats::rx_errors){}, c.rxErrors);
    take(offsetof(Stats, rx_nohandler), decltype(Stats::rx_nohandler){}, c.rxNoHandler);
    take(offsetof(Stats, tx_bytes), decltype(Stats::tx_bytes){}, c.txBytes);
    take(offsetof(Stats, tx_packets), decltype(Stats::tx_packets){}, c.txPackets);
    take(offsetof(Stats, tx_dropped), decltype(Stats::tx_dropped){}, c.txDropped);
    take(offsetof(Stats, tx_errors), decltype(Stats::tx_errors){}, c.txErrors);
}

} // namespace

bool ReadLinkMessage(const nlmsghdr* h, Link* link, Sample& sample)
{
    if (h->nlmsg_type != RTM_NEWLINK || h->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg)))
        return false;
    ifinfomsg info;
    std::memcpy(&info, NLMSG_DATA(h), sizeof info);
    if (info.ifi_index <= 0)
        return false;

    sample.index = info.ifi_index;
    sample.counters = Counters{};
    bool have64 = false;
    if (link) {
        link->index = info.ifi_index;
        link->hwType = info.ifi_type;
        link->flags = info.ifi_flags;
    }
    netlink::ForEachAttribute(h, sizeof(ifinfomsg), [&](const rtattr* a) {
        switch (a->rta_type) {
        case IFLA_STATS64:
            ReadCounters<rtnl_link_stats64>(a, sample.counters);
            have64 = true;
            return;
        case IFLA_STATS:
            if (!have64)
                ReadCounters<rtnl_link_stats>(a, sample.counters);
            return;
        default:
            break;
        }
        if (!link)
            return;
        switch (a->rta_type) {
        case IFLA_IFNAME:
            link->name = netlink::AttributeText(a);
            break;
        case IFLA_MTU:
            netlink::AttributeValue(a, link->mtu);
            break;
        case IFLA_ADDRESS:
            link->addrLen =
                static_cast<std::uint32_t>(std::min<std::size_t>(RTA_PAYLOAD(a), MAXLEN_PHYSADDR));
            std::memcpy(link->addr, RTA_DATA(a), link->addrLen);
            break;
        case IFLA_OPERSTATE:
            if (RTA_PAYLOAD(a) >= 1)
                link->operState = *static_cast<const std::uint8_t*>(RTA_DATA(a));
            break;
        case IFLA_LINKINFO:
            netlink::ForEachNested(a, [&](const rtattr* n) {
                if (n->rta_type == IFLA_INFO_KIND)
                    link->kind = netlink::AttributeText(n);
            });
            break;
        default:
            break;
        }
    });
    return true;
}

bool ReadStatsMessage(const nlmsghdr* h, Sample& sample)
{
    if (h->nlmsg_type != RTM_NEWSTATS || h->nlmsg_len < NLMSG_LENGTH(sizeof(if_stats_msg)))
        return false;
    if_stats_msg msg;
    std::memcpy(&msg, NLMSG_DATA(h), sizeof msg);
    if (msg.ifindex == 0 || msg.ifindex > 0x7FFFFFFF)
        return false;
    sample.index = static_cast<int>(msg.ifindex);
    sample.counters = Counters{};
    netlink::ForEachAttribute(h, sizeof(if_stats_msg), [&](const rtattr* a) {
        if (a->rta_type == IFLA_STATS_LINK_64)
            ReadCounters<rtnl_link_stats64>(a, sample.counters);
    });
    return true;
}
