#include "LinuxNetServices.h"

#include "NetConfig.h"
#include "NetServicesParts.h"

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

using netservices::IsLoopbackLink;
using netservices::PutText;

bool IsLoopback(const Ipv4Bytes& address)
{
    return address[0] == 127;
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
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
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
               return std::tolower(static_cast<unsigned char>(x))
                      == std::tolower(static_cast<unsigned char>(y));
           });
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
