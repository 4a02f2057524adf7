#include "NetConfig.h"

#include "LoopPass.h"

#include "Netlink.h"

#include "platform/linux/files/CappedFile.h"

#include <net/if.h>

#include <linux/if_addr.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

namespace netconfig {
namespace {

constexpr int MaxAttempts = 4;

// The lifetime of an address that never expires (the kernel's
// INFINITY_LIFE_TIME, which the exported headers leave out).
constexpr std::uint32_t InfiniteLifetime = 0xFFFFFFFFu;

// Sends one dump request and hands each answer message to `f`. False when the
// socket cannot be used or the dump ends in an error; a dump disturbed by a
// change is asked again a few times, each after `restart` has forgotten what
// the abandoned one gave, so that nothing is listed twice.
template <typename R, typename F>
bool Dump(std::uint16_t type, unsigned char family, R&& restart, F&& f)
{
    std::vector<char> buffer(netlink::InitialBufferSize);
    for (int attempt = 0; attempt < MaxAttempts; ++attempt) {
        restart();
        // A kernel that never answers must not hang the window that asked.
        std::uint32_t portId = 0;
        const int fd = netlink::OpenDumpSocket(1, portId);
        if (fd < 0)
            return false;
        struct {
            nlmsghdr header;
            rtgenmsg body;
            char pad[16];
        } request{};
        request.header.nlmsg_len = NLMSG_LENGTH(sizeof(rtgenmsg));
        request.header.nlmsg_type = type;
        request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
        request.body.rtgen_family = family;
        const netlink::DumpResult result = netlink::Dump(fd, portId, 1, &request.header, buffer, f);
        ::close(fd);
        switch (result) {
        case netlink::DumpResult::Done:
            return true;
        case netlink::DumpResult::Interrupted:
        case netlink::DumpResult::Truncated: // the buffer is larger now
            continue;
        case netlink::DumpResult::Unsupported:
        case netlink::DumpResult::Failed:
            return false;
        }
    }
    return true;
}

bool AttributeIpv4(const rtattr* a, Ipv4Bytes& address)
{
    if (RTA_PAYLOAD(a) != 4)
        return false;
    std::memcpy(address.data(), RTA_DATA(a), 4);
    return true;
}

std::optional<DefaultRoute> DefaultRouteFromProc()
{
    const auto text = ReadFileCapped("/proc/net/route", 256 * 1024);
    if (!text)
        return std::nullopt;
    std::optional<DefaultRoute> best;
    unsigned long bestMetric = std::numeric_limits<unsigned long>::max();
    std::size_t start = 0;
    bool header = true;
    while (start < text->size()) {
        std::size_t end = text->find('\n', start);
        if (end == std::string::npos)
            end = text->size();
        const std::string line = text->substr(start, end - start);
        start = end + 1;
        if (header) {
            header = false;
            continue;
        }
        char name[64] = {};
        unsigned long destination = 0, gateway = 0, flags = 0, refcnt = 0, use = 0, metric = 0, mask = 0;
        if (std::sscanf(line.c_str(), "%63s %lx %lx %lx %lu %lu %lu %lx", name, &destination, &gateway,
                        &flags, &refcnt, &use, &metric, &mask)
            != 8)
            continue;
        constexpr unsigned long RouteUp = 0x1, RouteGateway = 0x2;
        if (destination != 0 || mask != 0 || !(flags & RouteUp) || metric >= bestMetric)
            continue;
        const unsigned index = ::if_nametoindex(name);
        if (index == 0)
            continue;
        DefaultRoute route;
        route.index = static_cast<int>(index);
        if (flags & RouteGateway) {
            // The file writes the address as the host-order number of its
            // network-order bytes.
            const auto g = static_cast<std::uint32_t>(gateway);
            Ipv4Bytes bytes;
            std::memcpy(bytes.data(), &g, 4);
            route.gateway = bytes;
        }
        best = route;
        bestMetric = metric;
    }
    return best;
}

std::vector<Link> ReadLinksNow()
{
    std::vector<Link> links;
    const auto restart = [&] { links.clear(); };
    const bool ok = Dump(RTM_GETLINK, AF_UNSPEC, restart, [&](const nlmsghdr* h) {
        if (h->nlmsg_type != RTM_NEWLINK || h->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg)))
            return;
        const auto* info = static_cast<const ifinfomsg*>(NLMSG_DATA(h));
        Link link;
        link.index = info->ifi_index;
        link.type = info->ifi_type;
        link.flags = info->ifi_flags;
        netlink::ForEachAttribute(h, sizeof(ifinfomsg), [&](const rtattr* a) {
            switch (a->rta_type) {
            case IFLA_IFNAME:
                link.name = netlink::AttributeText(a);
                break;
            case IFLA_ADDRESS: {
                const auto* p = static_cast<const std::uint8_t*>(RTA_DATA(a));
                link.address.assign(p, p + RTA_PAYLOAD(a));
                break;
            }
            case IFLA_LINKINFO:
                netlink::ForEachNested(a, [&](const rtattr* n) {
                    if (n->rta_type == IFLA_INFO_KIND)
                        link.kind = netlink::AttributeText(n);
                });
                break;
            default:
                break;
            }
        });
        // A link reported twice while it changed keeps its last report.
        const auto same =
            std::find_if(links.begin(), links.end(), [&](const Link& l) { return l.index == link.index; });
        if (same != links.end())
            *same = std::move(link);
        else
            links.push_back(std::move(link));
    });
    if (!ok)
        return {};
    std::sort(links.begin(), links.end(), [](const Link& a, const Link& b) { return a.index < b.index; });
    return links;
}

std::vector<Address> ReadAddressesNow()
{
    std::vector<Address> addresses;
    const auto restart = [&] { addresses.clear(); };
    const bool ok = Dump(RTM_GETADDR, AF_INET, restart, [&](const nlmsghdr* h) {
        if (h->nlmsg_type != RTM_NEWADDR || h->nlmsg_len < NLMSG_LENGTH(sizeof(ifaddrmsg)))
            return;
        const auto* info = static_cast<const ifaddrmsg*>(NLMSG_DATA(h));
        if (info->ifa_family != AF_INET)
            return;
        Address address;
        address.index = static_cast<int>(info->ifa_index);
        address.prefixLength = info->ifa_prefixlen;
        bool haveLocal = false, haveAddress = false;
        Ipv4Bytes local{}, peer{};
        netlink::ForEachAttribute(h, sizeof(ifaddrmsg), [&](const rtattr* a) {
            switch (a->rta_type) {
            case IFA_LOCAL:
                haveLocal = AttributeIpv4(a, local);
                break;
            case IFA_ADDRESS:
                haveAddress = AttributeIpv4(a, peer);
                break;
            case IFA_CACHEINFO: {
                ifa_cacheinfo cache{};
                if (netlink::AttributeValue(a, cache) && cache.ifa_valid != InfiniteLifetime)
                    address.validLifetime = cache.ifa_valid;
                break;
            }
            default:
                break;
            }
        });
        // On a point-to-point link IFA_ADDRESS is the far end; IFA_LOCAL is ours.
        if (!haveLocal && !haveAddress)
            return;
        address.address = haveLocal ? local : peer;
        addresses.push_back(address);
    });
    return ok ? addresses : std::vector<Address>{};
}

std::optional<DefaultRoute> ReadDefaultRouteNow()
{
    std::optional<DefaultRoute> best;
    std::uint32_t bestMetric = std::numeric_limits<std::uint32_t>::max();
    bool bestSet = false;
    const auto restart = [&] {
        best.reset();
        bestSet = false;
    };
    const bool ok = Dump(RTM_GETROUTE, AF_INET, restart, [&](const nlmsghdr* h) {
        if (h->nlmsg_type != RTM_NEWROUTE || h->nlmsg_len < NLMSG_LENGTH(sizeof(rtmsg)))
            return;
        const auto* info = static_cast<const rtmsg*>(NLMSG_DATA(h));
        if (info->rtm_family != AF_INET || info->rtm_dst_len != 0 || info->rtm_type != RTN_UNICAST)
            return;
        std::uint32_t table = info->rtm_table;
        std::uint32_t metric = 0;
        DefaultRoute route;
        netlink::ForEachAttribute(h, sizeof(rtmsg), [&](const rtattr* a) {
            switch (a->rta_type) {
            case RTA_TABLE:
                netlink::AttributeValue(a, table);
                break;
            case RTA_OIF: {
                std::uint32_t oif = 0;
                if (netlink::AttributeValue(a, oif))
                    route.index = static_cast<int>(oif);
                break;
            }
            case RTA_GATEWAY: {
                Ipv4Bytes gateway;
                if (AttributeIpv4(a, gateway))
                    route.gateway = gateway;
                break;
            }
            case RTA_PRIORITY:
                netlink::AttributeValue(a, metric);
                break;
            default:
                break;
            }
        });
        if (table != RT_TABLE_MAIN || route.index <= 0)
            return;
        if (!bestSet || metric < bestMetric) {
            best = route;
            bestMetric = metric;
            bestSet = true;
        }
    });
    if (ok)
        return best;
    return DefaultRouteFromProc();
}

// Look-ups that run together (the address, the mask, the DHCP and DNS
// servers, the adapters) each want the same three tables; in one pass of the
// event loop they share one dump of each.
template <typename T>
T SharedThisPass(T (*read)())
{
    const std::uint64_t now = looppass::Current();
    if (now == 0)
        return read();
    static std::uint64_t pass = 0;
    static T kept{};
    if (now != pass) {
        kept = read();
        pass = now;
    }
    return kept;
}

} // namespace

std::vector<Link> ReadLinks()
{
    return SharedThisPass(ReadLinksNow);
}

std::vector<Address> ReadAddresses()
{
    return SharedThisPass(ReadAddressesNow);
}

std::optional<DefaultRoute> ReadDefaultRoute()
{
    return SharedThisPass(ReadDefaultRouteNow);
}

Ipv4Bytes PrefixMask(int prefixLength)
{
    prefixLength = std::clamp(prefixLength, 0, 32);
    const std::uint32_t mask = prefixLength == 0 ? 0 : ~std::uint32_t{0} << (32 - prefixLength);
    return {static_cast<std::uint8_t>(mask >> 24), static_cast<std::uint8_t>(mask >> 16),
            static_cast<std::uint8_t>(mask >> 8), static_cast<std::uint8_t>(mask)};
}

bool BackedByDevice(const Link& link)
{
    if (!link.kind.empty() || link.name.empty() || link.name.find('/') != std::string::npos
        || link.name == "." || link.name == "..")
        return false;
    struct stat st {};
    return ::stat(("/sys/class/net/" + link.name + "/device").c_str(), &st) == 0;
}

} // namespace netconfig
