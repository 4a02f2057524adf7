#include "LinuxNetServices.h"

#include "platform/linux/files/DhclientLease.h"
#include "platform/linux/files/DhcpcdLease.h"
#include "InterfaceType.h"
#include "NetConfig.h"
#include "NetworkManagerDhcp.h"
#include "platform/NetworkParams.h"
#include "platform/linux/files/NetworkdLease.h"
#include "platform/linux/files/ResolvConf.h"
#include "platform/linux/files/CappedFile.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <linux/if_arp.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <optional>

namespace {

constexpr WORD HighestVersion = 0x0202; // 2.2

template <std::size_t N>
void PutText(char (&field)[N], const std::string& text)
{
    const std::size_t n = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, N - n);
}

void PutAddress(IP_ADDR_STRING& entry, const Ipv4Bytes& address, const Ipv4Bytes* mask, DWORD context)
{
    PutText(entry.IpAddress.String, Ipv4Text(address));
    if (mask)
        PutText(entry.IpMask.String, Ipv4Text(*mask));
    entry.Context = context;
}

bool IsLoopback(const Ipv4Bytes& address)
{
    return address[0] == 127;
}

bool IsLoopbackLink(const netconfig::Link& link)
{
    return link.type == ARPHRD_LOOPBACK || (link.flags & IFF_LOOPBACK);
}

// The machine's IPv4 addresses, the answer for its own name: those of the
// default route's interface first, then the other interfaces' in the
// kernel's order, the loopback ones last. Interfaces that are down are left
// out. With none at all the machine is still itself: 127.0.0.1.
std::vector<Ipv4Bytes> OwnAddresses()
{
    const std::vector<netconfig::Link> links = netconfig::ReadLinks();
    const std::vector<netconfig::Address> addresses = netconfig::ReadAddresses();
    const auto route = netconfig::ReadDefaultRoute();
    std::vector<std::pair<int, Ipv4Bytes>> ranked; // 0 default route, 1 others, 2 loopback
    for (const netconfig::Address& a : addresses) {
        const auto link = std::find_if(links.begin(), links.end(),
                                       [&](const netconfig::Link& l) { return l.index == a.index; });
        if (link != links.end() && !(link->flags & IFF_UP))
            continue;
        int rank = 1;
        if (IsLoopback(a.address) || (link != links.end() && IsLoopbackLink(*link)))
            rank = 2;
        else if (route && route->index == a.index)
            rank = 0;
        ranked.emplace_back(rank, a.address);
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<Ipv4Bytes> own;
    for (const auto& r : ranked)
        if (std::find(own.begin(), own.end(), r.second) == own.end())
            own.push_back(r.second);
    if (own.empty())
        own.push_back(Ipv4Bytes{127, 0, 0, 1});
    return own;
}

int LookupError(int error)
{
    switch (error) {
    case EAI_AGAIN:
        return WSATRY_AGAIN;
    case EAI_FAIL:
        return WSANO_RECOVERY;
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
#endif
        return WSANO_DATA;
    default:
        return WSAHOST_NOT_FOUND;
    }
}

bool SameHostName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
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

int LinuxNetServices::WSAStartup(WORD wVersionRequested, WSADATA* lpWSAData)
{
    constexpr int WSAVERNOTSUPPORTED = 10092;
    if (!lpWSAData)
        return WSAEFAULT;
    std::memset(lpWSAData, 0, sizeof *lpWSAData);
    const int major = wVersionRequested & 0xFF;
    const int minor = wVersionRequested >> 8;
    lpWSAData->wHighVersion = HighestVersion;
    if (major < 1) {
        lpWSAData->wVersion = HighestVersion;
        return WSAVERNOTSUPPORTED;
    }
    // The caller gets the version it asked for, up to the highest offered.
    const bool above = major > 2 || (major == 2 && minor > 2);
    lpWSAData->wVersion = above ? HighestVersion : wVersionRequested;
    PutText(lpWSAData->szDescription, "Linux sockets");
    PutText(lpWSAData->szSystemStatus, "Running");
    lpWSAData->iMaxSockets = 32767;
    lpWSAData->iMaxUdpDg = 65467;
    lastError_ = 0;
    return 0;
}

int LinuxNetServices::WSACleanup()
{
    return 0;
}

int LinuxNetServices::gethostname(char* name, int namelen)
{
    if (!name || namelen <= 0) {
        lastError_ = WSAEFAULT;
        return SOCKET_ERROR;
    }
    if (::gethostname(name, static_cast<std::size_t>(namelen)) != 0) {
        // A name too long for the buffer is the caller's fault, as a bad one is.
        lastError_ = errno == EINVAL ? WSAEINVAL : WSAEFAULT;
        return SOCKET_ERROR;
    }
    if (!std::memchr(name, '\0', static_cast<std::size_t>(namelen))) {
        lastError_ = WSAEFAULT;
        return SOCKET_ERROR;
    }
    return 0;
}

HOSTENT* LinuxNetServices::gethostbyname(const char* name)
{
    if (!name) {
        lastError_ = WSAEFAULT;
        return nullptr;
    }
    std::vector<std::string> bytes;
    auto entry = [&](const std::string& canonical, const std::vector<Ipv4Bytes>& addresses) {
        for (const Ipv4Bytes& a : addresses)
            bytes.emplace_back(reinterpret_cast<const char*>(a.data()), a.size());
        return host_.Set(canonical, bytes, 4, AF_INET);
    };

    // The machine's own name is answered from its own addresses without
    // asking the name service: /etc/hosts often maps it to the loopback
    // network only, and where it is not there at all the question would go
    // to DNS, which can keep the caller waiting for many seconds.
    char self[256] = {};
    if (::gethostname(self, sizeof self - 1) == 0 && self[0] && SameHostName(name, self))
        return entry(self, OwnAddresses());

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    const int error = ::getaddrinfo(name, nullptr, &hints, &found);
    if (error != 0) {
        lastError_ = LookupError(error);
        return nullptr;
    }
    std::string canonical = name;
    if (found && found->ai_canonname)
        canonical = found->ai_canonname;
    std::vector<Ipv4Bytes> answered;
    for (const addrinfo* a = found; a; a = a->ai_next) {
        if (a->ai_family != AF_INET || !a->ai_addr || a->ai_addrlen < sizeof(sockaddr_in))
            continue;
        Ipv4Bytes address;
        std::memcpy(address.data(), &reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr, 4);
        if (std::find(answered.begin(), answered.end(), address) == answered.end())
            answered.push_back(address);
    }
    ::freeaddrinfo(found);
    if (answered.empty()) {
        lastError_ = WSANO_DATA;
        return nullptr;
    }
    return entry(canonical, answered);
}

UCHAR LinuxNetServices::Netbios(NCB* pcnb)
{
    if (!pcnb)
        return NRC_BUFLEN;
    UCHAR result;
    switch (pcnb->ncb_command) {
    case NCBRESET:
        result = pcnb->ncb_lana_num == 0 ? NRC_GOODRET : NRC_BRIDGE;
        break;
    case NCBASTAT:
        result = AdapterStatus(*pcnb);
        break;
    default:
        result = NRC_ILLCMD;
        break;
    }
    pcnb->ncb_retcode = result;
    pcnb->ncb_cmd_cplt = result;
    return result;
}

UCHAR LinuxNetServices::AdapterStatus(NCB& ncb)
{
    if (ncb.ncb_lana_num != 0)
        return NRC_BRIDGE;
    // Only the local adapter's status is known here, which "*" asks for.
    if (ncb.ncb_callname[0] != '*')
        return NRC_NOCALL;
    if (!ncb.ncb_buffer || ncb.ncb_length == 0)
        return NRC_BUFLEN;

    // Adapter 0: the first Ethernet interface with a real unicast address,
    // a hardware one before any virtual one.
    const std::vector<netconfig::Link> links = netconfig::ReadLinks();
    const netconfig::Link* chosen = nullptr;
    bool chosenBacked = false;
    for (const netconfig::Link& link : links) {
        if (IsLoopbackLink(link) || link.type != ARPHRD_ETHER || link.address.size() != 6)
            continue;
        if (std::all_of(link.address.begin(), link.address.end(), [](std::uint8_t b) { return b == 0; }) ||
            (link.address[0] & 1))
            continue;
        const bool backed = netconfig::BackedByDevice(link);
        if (!chosen || (backed && !chosenBacked)) {
            chosen = &link;
            chosenBacked = backed;
        }
    }
    if (!chosen)
        return NRC_BRIDGE;

    struct {
        ADAPTER_STATUS status;
        NAME_BUFFER names[1];
    } answer{};
    std::memcpy(answer.status.adapter_address, chosen->address.data(), 6);
    answer.status.rev_major = 3;
    answer.status.adapter_type = 0xFE; // Ethernet
    answer.status.max_dgram_size = 1464;
    answer.status.max_cfg_sess = answer.status.max_sess = 255;
    answer.status.max_cfg_ncbs = answer.status.max_ncbs = answer.status.free_ncbs = 255;
    answer.status.max_sess_pkt_size = 1460;
    // The one name the adapter carries: the machine's, as NetBIOS writes it,
    // upper case and blank-padded to fifteen characters, with suffix 0.
    char self[256] = {};
    if (::gethostname(self, sizeof self - 1) == 0) {
        std::memset(answer.names[0].name, ' ', NCBNAMSZ - 1);
        for (int i = 0; i < NCBNAMSZ - 1 && self[i] && self[i] != '.'; ++i)
            answer.names[0].name[i] = static_cast<UCHAR>(std::toupper(static_cast<unsigned char>(self[i])));
        answer.names[0].name[NCBNAMSZ - 1] = 0;
        answer.names[0].name_num = 1;
        answer.names[0].name_flags = 0x04; // registered
        answer.status.name_count = 1;
    }
    const std::size_t size = sizeof(ADAPTER_STATUS) + answer.status.name_count * sizeof(NAME_BUFFER);
    const std::size_t n = std::min<std::size_t>(ncb.ncb_length, size);
    std::memcpy(ncb.ncb_buffer, &answer, n);
    ncb.ncb_length = static_cast<WORD>(n);
    return n < size ? NRC_INCOMP : NRC_GOODRET;
}

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
        info.AddressLength = static_cast<UINT>(std::min<std::size_t>(link.address.size(), MAX_ADAPTER_ADDRESS_LENGTH));
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
            entry.Next = i + 1 < list.size() ? reinterpret_cast<IP_ADDR_STRING*>(base + more + sizeof entry) : nullptr;
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
