#include "LinuxNetServices.h"

#include "InterfaceType.h"
#include "NetConfig.h"
#include "NetServicesParts.h"
#include "NetworkManagerDhcp.h"

#include "platform/NetworkParams.h"
#include "platform/linux/files/DhclientLease.h"
#include "platform/linux/files/DhcpcdLease.h"
#include "platform/linux/files/NetworkdLease.h"
#include "platform/linux/files/ResolvConf.h"
#include "platform/linux/files/CappedFile.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <optional>

namespace {

using netservices::IsLoopbackLink;
using netservices::PutText;

void PutAddress(IP_ADDR_STRING& entry, const Ipv4Bytes& address, const Ipv4Bytes* mask, DWORD context)
{
    PutText(entry.IpAddress.String, Ipv4Text(address));
    if (mask)
        PutText(entry.IpMask.String, Ipv4Text(*mask));
    entry.Context = context;
}
// The DHCP server of the lease the interface holds, from whichever client
// manages it: "" when that lease names no server, nothing when the interface
// holds no lease and so has a fixed address. A lease counts only for an
// address the interface holds now: systemd-networkd and NetworkManager tell
// of a lease only while it is bound; dhclient's and dhcpcd's records outlive
// their client and the network they came from, so they must not have expired.
std::optional<std::string> DhcpOf(const netconfig::Link& link, const std::vector<Ipv4Bytes>& held,
                                  const std::vector<std::string>& dhclientFiles, std::time_t now)
{
    if (auto server = NetworkdServerFromFile(NetworkdLeasePath(link.index), held))
        return server;
    const NetworkManagerDhcp nm = AskNetworkManager(QString::fromStdString(link.name));
    const auto nmAddress = ParseIpv4(nm.address);
    if (nm.managed && nmAddress && std::find(held.begin(), held.end(), *nmAddress) != held.end())
        return nm.server;
    if (auto server = DhclientServerFromFiles(dhclientFiles, link.name, held, now))
        return server;
    return DhcpcdServerFromFiles(DhcpcdLeasePaths(link.name), held, now);
}

} // namespace
std::vector<LinuxNetServices::Adapter> LinuxNetServices::ReadAdapters()
{
    const std::vector<netconfig::Link> links = netconfig::ReadLinks();
    const std::vector<netconfig::Address> addresses = netconfig::ReadAddresses();
    const auto route = netconfig::ReadDefaultRoute();
    const std::vector<std::string> dhclientFiles = DhclientLeaseFiles();
    const std::time_t now = std::time(nullptr);

    std::vector<Adapter> adapters;
    for (const netconfig::Link& link : links) {
        if (IsLoopbackLink(link))
            continue;
        std::vector<const netconfig::Address*> own;
        for (const netconfig::Address& a : addresses)
            if (a.index == link.index)
                own.push_back(&a);
        if (own.empty())
            continue;

        Adapter adapter;
        IP_ADAPTER_INFO& info = adapter.info;
        info.ComboIndex = static_cast<DWORD>(link.index);
        PutText(info.AdapterName, link.name);
        PutText(info.Description, link.name);
        info.AddressLength =
            static_cast<UINT>(std::min<std::size_t>(link.address.size(), MAX_ADAPTER_ADDRESS_LENGTH));
        std::memcpy(info.Address, link.address.data(), info.AddressLength);
        info.Index = static_cast<DWORD>(link.index);
        info.Type = InterfaceType(link.type, link.name, link.kind);

        for (std::size_t i = 0; i < own.size(); ++i) {
            const Ipv4Bytes mask = netconfig::PrefixMask(own[i]->prefixLength);
            if (i == 0) {
                PutAddress(info.IpAddressList, own[i]->address, &mask, info.Index);
            } else {
                IP_ADDR_STRING more{};
                PutAddress(more, own[i]->address, &mask, info.Index);
                adapter.moreAddresses.push_back(more);
            }
        }
        if (route && route->index == link.index && route->gateway)
            PutAddress(info.GatewayList, *route->gateway, nullptr, 0);

        std::vector<Ipv4Bytes> held;
        for (const netconfig::Address* a : own)
            held.push_back(a->address);
        const std::optional<std::string> dhcp = DhcpOf(link, held, dhclientFiles, now);
        info.DhcpEnabled = dhcp ? 1 : 0;
        if (dhcp) {
            if (auto server = ParseIpv4(*dhcp))
                PutAddress(info.DhcpServer, *server, nullptr, 0);
            if (own.front()->validLifetime)
                info.LeaseExpires = static_cast<std::int64_t>(now) + *own.front()->validLifetime;
        }
        info.HaveWins = FALSE;
        adapters.push_back(std::move(adapter));
    }
    return adapters;
}

DWORD LinuxNetServices::GetAdaptersInfo(IP_ADAPTER_INFO* pAdapterInfo, ULONG* pOutBufLen)
{
    if (!pOutBufLen)
        return ERROR_INVALID_PARAMETER;
    // A probe always looks afresh; the fill right after it gets the same
    // adapters, so that it matches the size the probe asked for.
    const bool probe = !pAdapterInfo;
    if (probe || !adaptersFromProbe_)
        adapters_ = ReadAdapters();
    adaptersFromProbe_ = false;
    if (adapters_.empty()) {
        *pOutBufLen = 0;
        return ERROR_NO_DATA;
    }

    std::size_t extra = 0;
    for (const Adapter& a : adapters_)
        extra += a.moreAddresses.size();
    const std::size_t needed = adapters_.size() * sizeof(IP_ADAPTER_INFO) + extra * sizeof(IP_ADDR_STRING);
    if (probe || *pOutBufLen < needed) {
        *pOutBufLen = static_cast<ULONG>(needed);
        adaptersFromProbe_ = true;
        return ERROR_BUFFER_OVERFLOW;
    }

    // The records first, then the further addresses of each, all written
    // byte-wise: the caller's buffer need not be aligned for them.
    auto* base = reinterpret_cast<BYTE*>(pAdapterInfo);
    std::size_t more = adapters_.size() * sizeof(IP_ADAPTER_INFO);
    for (std::size_t k = 0; k < adapters_.size(); ++k) {
        IP_ADAPTER_INFO info = adapters_[k].info;
        info.Next = k + 1 < adapters_.size()
                        ? reinterpret_cast<IP_ADAPTER_INFO*>(base + (k + 1) * sizeof(IP_ADAPTER_INFO))
                        : nullptr;
        const auto& list = adapters_[k].moreAddresses;
        info.IpAddressList.Next = list.empty() ? nullptr : reinterpret_cast<IP_ADDR_STRING*>(base + more);
        for (std::size_t i = 0; i < list.size(); ++i) {
            IP_ADDR_STRING entry = list[i];
            entry.Next =
                i + 1 < list.size() ? reinterpret_cast<IP_ADDR_STRING*>(base + more + sizeof entry) : nullptr;
            std::memcpy(base + more, &entry, sizeof entry);
            more += sizeof entry;
        }
        std::memcpy(base + k * sizeof(IP_ADAPTER_INFO), &info, sizeof info);
    }
    return NO_ERROR;
}

DWORD LinuxNetServices::GetNetworkParams(FIXED_INFO* pFixedInfo, ULONG* pOutBufLen)
{
    if (!pOutBufLen)
        return ERROR_INVALID_PARAMETER;
    const ResolverSettings resolver = SystemResolverSettings();
    const std::size_t servers = resolver.nameservers.size();
    const std::size_t needed = NetworkParamsSize(servers);
    if (!pFixedInfo || *pOutBufLen < needed) {
        *pOutBufLen = static_cast<ULONG>(needed);
        return ERROR_BUFFER_OVERFLOW;
    }

    auto* base = reinterpret_cast<BYTE*>(pFixedInfo);
    FIXED_INFO info{};
    char self[256] = {};
    if (::gethostname(self, sizeof self - 1) == 0)
        PutText(info.HostName, self);
    PutText(info.DomainName, resolver.domain);
    info.NodeType = BROADCAST_NODETYPE;
    const auto forwarding = ReadFileCapped("/proc/sys/net/ipv4/ip_forward", 16);
    info.EnableRouting = forwarding && !forwarding->empty() && (*forwarding)[0] == '1';
    std::vector<IP_ADDR_STRING> entries(servers);
    for (std::size_t i = 0; i < servers; ++i)
        if (auto address = ParseIpv4(resolver.nameservers[i]))
            PutAddress(entries[i], *address, nullptr, 0);
    PutNetworkParams(base, info, entries);
    return NO_ERROR;
}
