#include "NetConfig.h"

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
// change is asked again a few times.
template <typename F>
bool Dump(std::uint16_t type, unsigned char family, F&& f)
{
    for (int attempt = 0; attempt < MaxAttempts; ++attempt) {
        const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
        if (fd < 0)
            return false;
        // A kernel that never answers must not hang the window that asked.
        timeval timeout{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);

        struct {
            nlmsghdr header;
            rtgenmsg body;
            char pad[16];
        } request{};
        request.header.nlmsg_len = NLMSG_LENGTH(sizeof(rtgenmsg));
        request.header.nlmsg_type = type;
        request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
        request.header.nlmsg_seq = 1;
        request.body.rtgen_family = family;
        sockaddr_nl kernel{};
        kernel.nl_family = AF_NETLINK;
        if (::sendto(fd, &request, request.header.nlmsg_len, 0, reinterpret_cast<sockaddr*>(&kernel),
                     sizeof kernel) < 0) {
            ::close(fd);
            return false;
        }

        std::vector<char> buffer(64 * 1024);
        bool done = false, failed = false, interrupted = false;
        while (!done && !failed) {
            // Peek first: a message larger than the buffer makes it grow.
            const ssize_t peeked = ::recv(fd, buffer.data(), 0, MSG_PEEK | MSG_TRUNC);
            if (peeked < 0) {
                if (errno == EINTR)
                    continue;
                failed = true;
                break;
            }
            if (static_cast<std::size_t>(peeked) > buffer.size())
                buffer.resize(static_cast<std::size_t>(peeked));
            const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                failed = true;
                break;
            }
            if (n == 0) {
                failed = true;
                break;
            }
            int left = static_cast<int>(n);
            for (auto* h = reinterpret_cast<nlmsghdr*>(buffer.data()); NLMSG_OK(h, left); h = NLMSG_NEXT(h, left)) {
                if (h->nlmsg_flags & NLM_F_DUMP_INTR)
                    interrupted = true;
                if (h->nlmsg_type == NLMSG_DONE) {
                    done = true;
                    break;
                }
                if (h->nlmsg_type == NLMSG_ERROR) {
                    failed = true;
                    break;
                }
                f(h);
            }
        }
        ::close(fd);
        if (failed)
            return false;
        if (!interrupted)
            return true;
    }
    return true;
}

template <typename F>
void ForEachAttribute(const nlmsghdr* h, std::size_t headerSize, F&& f)
{
    if (h->nlmsg_len < NLMSG_LENGTH(headerSize))
        return;
    int left = static_cast<int>(h->nlmsg_len - NLMSG_SPACE(headerSize));
    if (left <= 0)
        return;
    for (auto* a = reinterpret_cast<const rtattr*>(reinterpret_cast<const char*>(h) + NLMSG_SPACE(headerSize));
         RTA_OK(a, left); a = RTA_NEXT(a, left))
        f(a);
}

std::string AttributeText(const rtattr* a)
{
    const char* p = static_cast<const char*>(RTA_DATA(a));
    return std::string(p, ::strnlen(p, RTA_PAYLOAD(a)));
}

template <typename T>
bool AttributeValue(const rtattr* a, T& value)
{
    if (RTA_PAYLOAD(a) < sizeof value)
        return false;
    std::memcpy(&value, RTA_DATA(a), sizeof value);
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
        if (std::sscanf(line.c_str(), "%63s %lx %lx %lx %lu %lu %lu %lx", name, &destination, &gateway, &flags,
                        &refcnt, &use, &metric, &mask) != 8)
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

} // namespace

std::vector<Link> ReadLinks()
{
    std::vector<Link> links;
    const bool ok = Dump(RTM_GETLINK, AF_UNSPEC, [&](const nlmsghdr* h) {
        if (h->nlmsg_type != RTM_NEWLINK || h->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg)))
            return;
        const auto* info = static_cast<const ifinfomsg*>(NLMSG_DATA(h));
        Link link;
        link.index = info->ifi_index;
        link.type = info->ifi_type;
        link.flags = info->ifi_flags;
        ForEachAttribute(h, sizeof(ifinfomsg), [&](const rtattr* a) {
            switch (a->rta_type) {
            case IFLA_IFNAME:
                link.name = AttributeText(a);
                break;
            case IFLA_ADDRESS: {
                const auto* p = static_cast<const std::uint8_t*>(RTA_DATA(a));
                link.address.assign(p, p + RTA_PAYLOAD(a));
                break;
            }
            case IFLA_LINKINFO: {
                int left = static_cast<int>(RTA_PAYLOAD(a));
                for (auto* n = static_cast<const rtattr*>(RTA_DATA(a)); RTA_OK(n, left); n = RTA_NEXT(n, left))
                    if (n->rta_type == IFLA_INFO_KIND)
                        link.kind = AttributeText(n);
                break;
            }
            default:
                break;
            }
        });
        // A link reported twice while it changed keeps its last report.
        const auto same = std::find_if(links.begin(), links.end(), [&](const Link& l) { return l.index == link.index; });
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

std::vector<Address> ReadAddresses()
{
    std::vector<Address> addresses;
    const bool ok = Dump(RTM_GETADDR, AF_INET, [&](const nlmsghdr* h) {
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
        ForEachAttribute(h, sizeof(ifaddrmsg), [&](const rtattr* a) {
            switch (a->rta_type) {
            case IFA_LOCAL:
                haveLocal = AttributeIpv4(a, local);
                break;
            case IFA_ADDRESS:
                haveAddress = AttributeIpv4(a, peer);
                break;
            case IFA_CACHEINFO: {
                ifa_cacheinfo cache{};
                if (AttributeValue(a, cache) && cache.ifa_valid != InfiniteLifetime)
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

std::optional<DefaultRoute> ReadDefaultRoute()
{
    std::optional<DefaultRoute> best;
    std::uint32_t bestMetric = std::numeric_limits<std::uint32_t>::max();
    bool bestSet = false;
    const bool ok = Dump(RTM_GETROUTE, AF_INET, [&](const nlmsghdr* h) {
        if (h->nlmsg_type != RTM_NEWROUTE || h->nlmsg_len < NLMSG_LENGTH(sizeof(rtmsg)))
            return;
        const auto* info = static_cast<const rtmsg*>(NLMSG_DATA(h));
        if (info->rtm_family != AF_INET || info->rtm_dst_len != 0 || info->rtm_type != RTN_UNICAST)
            return;
        std::uint32_t table = info->rtm_table;
        std::uint32_t metric = 0;
        DefaultRoute route;
        ForEachAttribute(h, sizeof(rtmsg), [&](const rtattr* a) {
            switch (a->rta_type) {
            case RTA_TABLE:
                AttributeValue(a, table);
                break;
            case RTA_OIF: {
                std::uint32_t oif = 0;
                if (AttributeValue(a, oif))
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
                AttributeValue(a, metric);
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

Ipv4Bytes PrefixMask(int prefixLength)
{
    prefixLength = std::clamp(prefixLength, 0, 32);
    const std::uint32_t mask = prefixLength == 0 ? 0 : ~std::uint32_t{0} << (32 - prefixLength);
    return {static_cast<std::uint8_t>(mask >> 24), static_cast<std::uint8_t>(mask >> 16),
            static_cast<std::uint8_t>(mask >> 8), static_cast<std::uint8_t>(mask)};
}

bool BackedByDevice(const Link& link)
{
    if (!link.kind.empty() || link.name.empty() || link.name.find('/') != std::string::npos ||
        link.name == "." || link.name == "..")
        return false;
    struct stat st {};
    return ::stat(("/sys/class/net/" + link.name + "/device").c_str(), &st) == 0;
}

} // namespace netconfig
