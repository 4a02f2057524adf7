// The look-ups answered by the Linux back end on this machine, checked
// against what the machine shows elsewhere (the C library, sysfs, /proc,
// resolv.conf), and the lease and resolver file readers on sample and
// hostile files.
#include "QtPrinters.h"
#include "lookups/DHCP.h"
#include "lookups/DNS.h"
#include "lookups/MacAddress.h"
#include "lookups/ipandhost.h"
#include "platform/Backend.h"
#include "platform/linux/files/CappedFile.h"
#include "platform/linux/files/DhclientLease.h"
#include "platform/linux/files/DhcpcdLease.h"
#include "platform/linux/files/Ipv4Text.h"
#include "platform/linux/LinuxBackend.h"
#include "platform/linux/NetConfig.h"
#include "platform/linux/NetworkManagerDhcp.h"
#include "platform/linux/files/NetworkdLease.h"
#include "platform/linux/files/ResolvConf.h"

#include <gtest/gtest.h>

#include <QDBusVariant>
#include <QEventLoop>
#include <QTimer>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Trimmed(std::string s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    return s;
}

void Write(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// IPv4 addresses of this machine by interface name.
std::multimap<std::string, std::string> MachineAddresses()
{
    std::multimap<std::string, std::string> found;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return found;
    for (const ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET)
            continue;
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(a->ifa_addr)->sin_addr, text, sizeof text);
        found.emplace(a->ifa_name, text);
    }
    ::freeifaddrs(list);
    return found;
}

// The interface and gateway of the default route with the lowest metric, as
// /proc/net/route shows it.
struct ProcRoute {
    std::string ifname;
    std::string gateway;
};
std::optional<ProcRoute> DefaultRouteFromProc()
{
    std::istringstream in(ReadAll("/proc/net/route"));
    std::string line;
    std::getline(in, line);
    std::optional<ProcRoute> best;
    unsigned long bestMetric = ~0ul;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        std::string name, dest, gw, flags, refcnt, use, metric, mask;
        if (!(f >> name >> dest >> gw >> flags >> refcnt >> use >> metric >> mask))
            continue;
        if (std::stoul(dest, nullptr, 16) != 0 || std::stoul(mask, nullptr, 16) != 0)
            continue;
        const unsigned long m = std::stoul(metric);
        if (m >= bestMetric)
            continue;
        in_addr g{};
        g.s_addr = static_cast<in_addr_t>(std::stoul(gw, nullptr, 16));
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &g, text, sizeof text);
        best = ProcRoute{name, (std::stoul(flags, nullptr, 16) & 2) ? text : ""};
        bestMetric = m;
    }
    return best;
}

// The first IPv4 servers of resolv.conf read plainly, behind
// systemd-resolved's stubs where those are all it names.
std::vector<std::string> ResolverServers()
{
    auto read = [](const std::string& path) {
        std::vector<std::string> servers;
        std::istringstream in(ReadAll(path));
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream f(line);
            std::string key, value;
            in_addr a{};
            if (f >> key >> value && key == "nameserver" && ::inet_pton(AF_INET, value.c_str(), &a) == 1)
                servers.push_back(value);
        }
        return servers;
    };
    std::vector<std::string> servers = read("/etc/resolv.conf");
    const bool stubs =
        !servers.empty() && std::all_of(servers.begin(), servers.end(), [](const std::string& s) {
            return s == "127.0.0.53" || s == "127.0.0.54";
        });
    if (stubs) {
        std::vector<std::string> upstream = read("/run/systemd/resolve/resolv.conf");
        if (!upstream.empty())
            return upstream;
    }
    return servers;
}

std::string GlibcHostName()
{
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
}

bool IsDottedQuad(const QString& text)
{
    return ParseIpv4(text.toStdString()).has_value()
           && QString::fromStdString(Ipv4Text(*ParseIpv4(text.toStdString()))) == text;
}

// ------------------------------------------------------ the look-ups here

TEST(LinuxLookups, HostNameIsTheMachines)
{
    EXPECT_EQ(ipandhost::GetLocalHostName(), QString::fromLocal8Bit(GlibcHostName().c_str()));
}

TEST(LinuxLookups, IpAddressIsOneOfThisMachines)
{
    const QString ip = ipandhost::GetLocalIPAddress();
    ASSERT_TRUE(IsDottedQuad(ip)) << ip.toStdString();
    const auto mine = MachineAddresses();
    std::set<std::string> all;
    for (const auto& [name, address] : mine)
        all.insert(address);
    EXPECT_TRUE(all.count(ip.toStdString())) << ip.toStdString();

    // Where the name service maps the host name to loopback addresses only,
    // the machine's own address on the default route's interface comes first.
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    bool loopbackOnly = true;
    if (::getaddrinfo(GlibcHostName().c_str(), nullptr, &hints, &found) == 0) {
        for (const addrinfo* a = found; a; a = a->ai_next)
            if ((ntohl(reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr) >> 24) != 127)
                loopbackOnly = false;
        ::freeaddrinfo(found);
    }
    const auto route = DefaultRouteFromProc();
    if (loopbackOnly && route) {
        std::set<std::string> onRoute;
        for (auto [it, end] = mine.equal_range(route->ifname); it != end; ++it)
            onRoute.insert(it->second);
        if (!onRoute.empty()) {
            EXPECT_TRUE(onRoute.count(ip.toStdString())) << ip.toStdString() << " not on " << route->ifname;
        }
    }
}

TEST(LinuxLookups, MacIsTheFirstHardwareEthernetInterfaces)
{
    // Ethernet interfaces with a unicast address that is not all zeros; one
    // backed by a bus device before any other, then by index.
    struct Candidate {
        bool device;
        int index;
        std::string address;
    };
    std::vector<Candidate> candidates;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/class/net")) {
        const std::string dir = entry.path().string();
        if (Trimmed(ReadAll(dir + "/type")) != "1")
            continue;
        const std::string address = Trimmed(ReadAll(dir + "/address"));
        unsigned b[6];
        if (std::sscanf(address.c_str(), "%x:%x:%x:%x:%x:%x", &b[0], &b[1], &b[2], &b[3], &b[4], &b[5]) != 6
            || address.size() != 17)
            continue;
        if ((b[0] | b[1] | b[2] | b[3] | b[4] | b[5]) == 0 || (b[0] & 1))
            continue;
        candidates.push_back(
            {std::filesystem::exists(dir + "/device"), std::stoi(ReadAll(dir + "/ifindex")), address});
    }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return a.device != b.device ? a.device : a.index < b.index;
    });
    QString expected = QStringLiteral("00-00-00-00-00-00");
    if (!candidates.empty())
        expected = QString::fromStdString(candidates.front().address)
                       .toUpper()
                       .replace(QLatin1Char(':'), QLatin1Char('-'));
    EXPECT_EQ(GetMacAddress(QStringLiteral("-")), expected);
}

TEST(LinuxLookups, DnsServerIsTheResolversFirst)
{
    const std::vector<std::string> servers = ResolverServers();
    EXPECT_EQ(DNS.GetDnsServers(), servers.empty() ? QString() : QString::fromStdString(servers.front()));
}

// ------------------------------------------------------ the platform calls

TEST(LinuxPlatform, StartupOffersVersionOnePointOneAsAsked)
{
    WSADATA data{};
    ASSERT_EQ(WSAStartup(0x0101, &data), 0);
    EXPECT_EQ(data.wVersion, 0x0101);
    EXPECT_EQ(data.wHighVersion, 0x0202);
    EXPECT_EQ(data.iMaxSockets, 32767);
    EXPECT_EQ(WSACleanup(), 0);
}

TEST(LinuxPlatform, HostNameIntoTooSmallABufferFails)
{
    char tiny[1] = {'x'};
    EXPECT_EQ(Winsock::gethostname(tiny, 1), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
    EXPECT_EQ(Winsock::gethostname(nullptr, 10), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
}

TEST(LinuxPlatform, UnknownHostIsNotFound)
{
    EXPECT_EQ(Winsock::gethostbyname("no-such-host.invalid"), nullptr);
    EXPECT_EQ(WSAGetLastError(), WSAHOST_NOT_FOUND);
}

TEST(LinuxPlatform, OwnHostHasFourByteAddresses)
{
    const HOSTENT* host = Winsock::gethostbyname(GlibcHostName().c_str());
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->h_length, 4);
    ASSERT_NE(host->h_addr_list, nullptr);
    ASSERT_NE(host->h_addr_list[0], nullptr);
    ASSERT_NE(host->h_aliases, nullptr);
    EXPECT_EQ(host->h_aliases[0], nullptr);
}

TEST(LinuxPlatform, AdapterStatusKeepsToItsBuffer)
{
    NCB ncb{};
    ncb.ncb_command = NCBRESET;
    EXPECT_EQ(Netbios(&ncb), NRC_GOODRET);

    BYTE buffer[64];
    std::memset(buffer, 0xAA, sizeof buffer);
    ncb = NCB{};
    ncb.ncb_command = NCBASTAT;
    std::memset(ncb.ncb_callname, ' ', sizeof ncb.ncb_callname);
    ncb.ncb_callname[0] = '*';
    ncb.ncb_buffer = buffer;
    ncb.ncb_length = 8;
    const UCHAR result = Netbios(&ncb);
    // Eight bytes at most were written, whether an adapter answered or not.
    for (std::size_t i = 8; i < sizeof buffer; ++i)
        ASSERT_EQ(buffer[i], 0xAA) << i;
    if (result != NRC_BRIDGE) {
        EXPECT_EQ(result, NRC_INCOMP);
    }

    // Another adapter than 0 is not there; the buffer stays as it was.
    std::memset(buffer, 0xAA, sizeof buffer);
    ncb.ncb_lana_num = 1;
    ncb.ncb_length = sizeof buffer;
    EXPECT_NE(Netbios(&ncb), NRC_GOODRET);
    for (BYTE b : buffer)
        ASSERT_EQ(b, 0xAA);
}

TEST(LinuxPlatform, AdaptersAreTheInterfacesWithIpv4Addresses)
{
    ULONG size = 0;
    const DWORD probe = GetAdaptersInfo(nullptr, &size);
    const auto mine = MachineAddresses();
    std::set<std::string> expectedNames;
    for (const auto& [name, address] : mine)
        if (address.rfind("127.", 0) != 0)
            expectedNames.insert(name);
    if (probe == ERROR_NO_DATA) {
        EXPECT_EQ(size, 0u);
        EXPECT_TRUE(expectedNames.empty());
        return;
    }
    ASSERT_EQ(probe, ERROR_BUFFER_OVERFLOW);
    ASSERT_GE(size, sizeof(IP_ADAPTER_INFO));
    std::vector<BYTE> buffer(size);
    ASSERT_EQ(GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size), NO_ERROR);

    const auto route = DefaultRouteFromProc();
    std::set<std::string> names;
    DWORD lastIndex = 0;
    int count = 0;
    for (const BYTE* p = buffer.data(); p; ++count) {
        ASSERT_LT(count, 1000);
        ASSERT_GE(p, buffer.data());
        ASSERT_LE(p + sizeof(IP_ADAPTER_INFO), buffer.data() + buffer.size());
        IP_ADAPTER_INFO a;
        std::memcpy(&a, p, sizeof a);
        const std::string name(a.AdapterName);
        names.insert(name);
        EXPECT_GT(a.Index, lastIndex);
        lastIndex = a.Index;
        EXPECT_EQ(a.Index, ::if_nametoindex(name.c_str()));
        const std::string ip(a.IpAddressList.IpAddress.String, strnlen(a.IpAddressList.IpAddress.String, 16));
        bool ours = false;
        for (auto [it, end] = mine.equal_range(name); it != end; ++it)
            ours = ours || it->second == ip;
        EXPECT_TRUE(ours) << name << " " << ip;
        EXPECT_TRUE(ParseIpv4(a.IpAddressList.IpMask.String).has_value());
        const std::string server(a.DhcpServer.IpAddress.String, strnlen(a.DhcpServer.IpAddress.String, 16));
        if (!server.empty()) {
            EXPECT_TRUE(ParseIpv4(server).has_value()) << server;
        }
        if (route && route->ifname == name && !route->gateway.empty()) {
            EXPECT_EQ(std::string(a.GatewayList.IpAddress.String), route->gateway);
        }
        p = reinterpret_cast<const BYTE*>(a.Next);
    }
    EXPECT_EQ(names, expectedNames);
}

TEST(LinuxPlatform, NetworkParamsListTheResolversServersInOrder)
{
    ULONG size = 0;
    ASSERT_EQ(GetNetworkParams(nullptr, &size), ERROR_BUFFER_OVERFLOW);
    std::vector<BYTE> buffer(size);
    ASSERT_EQ(GetNetworkParams(reinterpret_cast<FIXED_INFO*>(buffer.data()), &size), NO_ERROR);
    FIXED_INFO info;
    std::memcpy(&info, buffer.data(), sizeof info);
    EXPECT_EQ(std::string(info.HostName), GlibcHostName());

    std::vector<std::string> listed;
    if (info.DnsServerList.IpAddress.String[0]) {
        IP_ADDR_STRING entry = info.DnsServerList;
        for (int n = 0; n < 100; ++n) {
            listed.emplace_back(entry.IpAddress.String, strnlen(entry.IpAddress.String, 16));
            if (!entry.Next)
                break;
            ASSERT_GE(reinterpret_cast<const BYTE*>(entry.Next), buffer.data());
            ASSERT_LE(reinterpret_cast<const BYTE*>(entry.Next) + sizeof entry,
                      buffer.data() + buffer.size());
            std::memcpy(&entry, entry.Next, sizeof entry);
        }
        EXPECT_EQ(reinterpret_cast<const BYTE*>(info.CurrentDnsServer),
                  buffer.data() + offsetof(FIXED_INFO, DnsServerList));
    }
    EXPECT_EQ(listed, ResolverServers());
}

// ---------------------------------------------------------- lease files

class LeaseFiles : public ::testing::Test {
protected:
    std::string Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)).toStdString(); }
    QTemporaryDir dir;
};

// 2024-01-17 10:14:48 UTC.
constexpr std::time_t Now = 1705486488;

const char* const DhclientSample = R"(default-duid "\000\001\000\001-\270\217\206RT\000\022\064V";
lease {
  interface "eth0";
  fixed-address 192.168.1.50;
  option subnet-mask 255.255.255.0;
  option dhcp-server-identifier 192.168.1.1;
  renew 3 2024/01/17 09:00:00;
  expire 4 2024/01/18 10:00:00;
}
lease {
  interface "wlan0";
  fixed-address 10.0.0.50;
  option dhcp-server-identifier 10.0.0.1;
  expire 4 2024/01/18 10:00:00;
}
lease {
  interface "eth0";
  fixed-address 192.168.1.51;
  option dhcp-server-identifier 192.168.1.254;
  option domain-name "example.lan";  # a comment { with braces }
  expire 5 2024/01/19 10:00:00;
}
lease {
  interface "eth0";
  fixed-address 192.168.1.51;
  option dhcp-server-identifier 172.16.9.9;
  expire 1 2024/01/15 10:00:00;
}
)";

Ipv4Bytes Ip(const char* text)
{
    return *ParseIpv4(text);
}

TEST_F(LeaseFiles, DhclientLeaseInForceIsTheLastUnexpiredOneForAnAddressHeld)
{
    const std::string file = Path("dhclient.eth0.leases");
    Write(file, DhclientSample);
    const std::vector<Ipv4Bytes> first{Ip("192.168.1.50")}, second{Ip("192.168.1.51")};
    // The later, already expired block for the same address is passed over.
    EXPECT_EQ(DhclientServerFromFiles({file}, "eth0", second, Now), "192.168.1.254");
    EXPECT_EQ(DhclientServerFromFiles({file}, "eth0", first, Now), "192.168.1.1");
    EXPECT_EQ(DhclientServerFromFiles({file}, "eth0", {Ip("192.168.1.50"), Ip("192.168.1.51")}, Now),
              "192.168.1.254");
    EXPECT_EQ(DhclientServerFromFiles({file}, "wlan0", {Ip("10.0.0.50")}, Now), "10.0.0.1");
    // An interface that now has a fixed address holds none of the leases.
    EXPECT_EQ(DhclientServerFromFiles({file}, "eth0", {Ip("192.168.7.7")}, Now), std::nullopt);
    EXPECT_EQ(DhclientServerFromFiles({file}, "eth0", {}, Now), std::nullopt);
    EXPECT_EQ(DhclientServerFromFiles({file}, "eth1", second, Now), std::nullopt);
    EXPECT_EQ(DhclientServerFromFiles({file}, "wlan0", second, Now), std::nullopt);
    // A day on, the first lease (to 10:00:00) has run out and the last holds;
    // three days on, none does.
    EXPECT_EQ(DhclientServerFromLeases(DhclientSample, "eth0", first, Now + 86400), std::nullopt);
    EXPECT_EQ(DhclientServerFromLeases(DhclientSample, "eth0", second, Now + 86400), "192.168.1.254");
    EXPECT_EQ(DhclientServerFromLeases(DhclientSample, "eth0", second, Now + 3 * 86400), std::nullopt);
    EXPECT_EQ(DhclientServerFromFiles({Path("missing.leases")}, "eth0", second, Now), std::nullopt);
}

TEST_F(LeaseFiles, DhclientExpiryForms)
{
    const std::vector<Ipv4Bytes> held{Ip("10.1.1.1")};
    auto lease = [&](const std::string& body) {
        return DhclientServerFromLeases("lease { interface \"e\"; fixed-address 10.1.1.1; " + body + " }",
                                        "e", held, Now);
    };
    EXPECT_EQ(lease("option dhcp-server-identifier 1.1.1.1; expire never;"), "1.1.1.1");
    EXPECT_EQ(lease("option dhcp-server-identifier 1.1.1.2; expire epoch 1705486489; # x\n"), "1.1.1.2");
    EXPECT_EQ(lease("option dhcp-server-identifier 1.1.1.3; expire epoch 1705486488;"), std::nullopt);
    EXPECT_EQ(lease("option dhcp-server-identifier 1.1.1.4; expire soon;"), std::nullopt);
    EXPECT_EQ(lease("option dhcp-server-identifier 1.1.1.5;"), "1.1.1.5");
    // The second before and the second of the expiry written as a UTC date.
    EXPECT_EQ(lease("option dhcp-server-identifier 1.1.1.6; expire 3 2024/01/17 10:14:49;"), "1.1.1.6");
    EXPECT_EQ(lease("option dhcp-server-identifier 1.1.1.7; expire 3 2024/01/17 10:14:48;"), std::nullopt);
    // The last expire statement of a block is the one in force.
    EXPECT_EQ(lease("option dhcp-server-identifier 1.1.1.8; expire never; expire epoch 1;"), std::nullopt);
    // A lease in force that names no server: DHCP, but no server to show.
    EXPECT_EQ(lease("expire never;"), "");
    EXPECT_EQ(DhclientServerFromLeases("lease { interface \"e\"; option dhcp-server-identifier 1.1.1.9; }",
                                       "e", held, Now),
              std::nullopt);
}

TEST_F(LeaseFiles, NetworkdServerOfTheAddressHeld)
{
    Write(Path("4"), "# This is private data. Do not parse.\nADDRESS=192.168.1.50\nNETMASK=255.255.255.0\n"
                     "ROUTER=192.168.1.1\nSERVER_ADDRESS=192.168.1.1\nLIFETIME=86400\n");
    EXPECT_EQ(NetworkdServerFromFile(Path("4"), {Ip("10.0.0.1"), Ip("192.168.1.50")}), "192.168.1.1");
    // The same index in another network namespace is another interface.
    EXPECT_EQ(NetworkdServerFromFile(Path("4"), {Ip("192.168.1.51")}), std::nullopt);
    EXPECT_EQ(NetworkdServerFromFile(Path("5"), {Ip("192.168.1.50")}), std::nullopt);
    EXPECT_EQ(NetworkdLeasePath(7), "/run/systemd/netif/leases/7");
}

// A DHCP acknowledgement as dhcpcd stores it, with these options, leasing
// 192.168.1.50.
std::string DhcpMessage(const std::string& options, const std::string& file = std::string(128, '\0'))
{
    std::string m(236, '\0');
    m[0] = 2; // reply
    m[1] = 1;
    m[2] = 6;
    m.replace(16, 4, std::string("\xc0\xa8\x01\x32", 4));
    m.replace(108, 128, file);
    m += std::string("\x63\x82\x53\x63", 4);
    m += options;
    return m;
}

TEST_F(LeaseFiles, DhcpcdServerIdentifierOption)
{
    const std::string options = std::string("\x35\x01\x05", 3) + std::string("\x00\x00", 2) + // type, pads
                                std::string("\x01\x04\xff\xff\xff\x00", 6) +                  // mask
                                std::string("\x33\x04\x00\x01\x51\x80", 6) +                  // a day
                                std::string("\x36\x04\xc0\xa8\x01\xfe", 6) + "\xff";          // server
    const std::vector<Ipv4Bytes> held{Ip("192.168.1.50")};
    Write(Path("dhcpcd-eth0.lease"), DhcpMessage(options));
    const std::time_t now = std::time(nullptr);
    EXPECT_EQ(DhcpcdServerFromFiles({Path("eth0.lease"), Path("dhcpcd-eth0.lease")}, held, now),
              "192.168.1.254");
    EXPECT_EQ(DhcpcdServerFromFiles({Path("dhcpcd-eth0.lease")}, {Ip("192.168.1.51")}, now), std::nullopt);
    // A day after it was written the lease has run out.
    EXPECT_EQ(DhcpcdServerFromFiles({Path("dhcpcd-eth0.lease")}, held, now + 86400 + 5), std::nullopt);
    EXPECT_EQ(DhcpcdServerInForce(DhcpMessage(options), held, Now, Now + 86399), "192.168.1.254");
    EXPECT_EQ(DhcpcdServerInForce(DhcpMessage(options), held, Now, Now + 86400), std::nullopt);
    // An infinite lease, and a message with no lease time, never run out.
    const std::string endless = std::string("\x33\x04\xff\xff\xff\xff\x36\x04\x0a\x00\x00\x01\xff", 13);
    EXPECT_EQ(DhcpcdServerInForce(DhcpMessage(endless), held, 0, Now), "10.0.0.1");
    EXPECT_EQ(DhcpcdServerInForce(DhcpMessage(std::string("\x36\x04\x0a\x00\x00\x02\xff", 7)), held, 0, Now),
              "10.0.0.2");

    // The identifier carried in the boot-file field, as option overload says.
    std::string file(128, '\0');
    file.replace(0, 7, std::string("\x36\x04\x0a\x01\x02\x03\xff", 7));
    EXPECT_EQ(DhcpcdServerFromLease(DhcpMessage(std::string("\x34\x01\x01\xff", 4), file)), "10.1.2.3");
    // Without the overload option the field is a file name, not options.
    EXPECT_EQ(DhcpcdServerFromLease(DhcpMessage("\xff", file)), "");

    EXPECT_EQ(DhcpcdLeasePaths("eth0").front(), "/var/lib/dhcpcd/eth0.lease");
    EXPECT_TRUE(DhcpcdLeasePaths("../etc").empty());
}

TEST_F(LeaseFiles, ResolvConfServersInOrderBehindComments)
{
    Write(Path("resolv.conf"), "# Generated by hand\n"
                               "; old style comment\n"
                               "search corp.example lab.example\n"
                               "nameserver fd00::1\n"
                               "  nameserver\t10.0.0.53   # the office\n"
                               "nameserver 2001:db8::53\n"
                               "#nameserver 10.0.0.99\n"
                               "nameserver 9.9.9.9\n"
                               "options edns0 trust-ad\n");
    const ResolverSettings settings = ReadResolvConf(Path("resolv.conf"));
    EXPECT_EQ(settings.nameservers, (std::vector<std::string>{"10.0.0.53", "9.9.9.9"}));
    EXPECT_EQ(settings.domain, "corp.example");
    EXPECT_EQ(FirstNameserver("nameserver 127.0.0.53\n"), "127.0.0.53");
    EXPECT_TRUE(OnlyResolvedStubs({"127.0.0.53", "127.0.0.54"}));
    EXPECT_FALSE(OnlyResolvedStubs({"127.0.0.53", "10.0.0.1"}));
    EXPECT_FALSE(OnlyResolvedStubs({}));
    EXPECT_EQ(ReadResolvConf(Path("missing")).nameservers.size(), 0u);
}

// Every parser on the same bytes: whatever they give is "" or an address.
void ExpectNothingOrAnAddress(const std::string& bytes)
{
    const std::vector<Ipv4Bytes> held{Ip("192.168.1.50")};
    for (const std::string& text :
         {DhclientServerFromLeases(bytes, "eth0", held, Now).value_or(""), NetworkdServerFromLease(bytes),
          NetworkdAddressFromLease(bytes), DhcpcdServerFromLease(bytes),
          DhcpcdServerInForce(bytes, held, Now, Now).value_or(""), FirstNameserver(bytes)}) {
        if (!text.empty()) {
            EXPECT_TRUE(ParseIpv4(text).has_value()) << text;
        }
    }
}

TEST_F(LeaseFiles, HostileInputsGiveNothing)
{
    // Cut short.
    const std::vector<Ipv4Bytes> held{Ip("10.0.0.5")};
    EXPECT_EQ(DhclientServerFromLeases("lease {\n  interface \"eth0\";\n  fixed-address 10.0.0.5;\n  option "
                                       "dhcp-server-identifier 10.0.0.1;",
                                       "eth0", held, Now),
              std::nullopt);
    EXPECT_EQ(DhclientServerFromLeases("lease { interface \"eth0", "eth0", held, Now), std::nullopt);
    EXPECT_EQ(NetworkdServerFromLease("SERVER_ADDRESS=192.168."), "");
    const std::string options = std::string("\x36\x04\xc0\xa8\x01\xfe", 6);
    EXPECT_EQ(DhcpcdServerFromLease(DhcpMessage(options).substr(0, 243)), "");
    EXPECT_EQ(DhcpcdServerFromLease(DhcpMessage(std::string("\x36\x08\xc0\xa8", 4))), "");
    EXPECT_EQ(DhcpcdServerFromLease(std::string(100, '\x63')), "");
    EXPECT_EQ(FirstNameserver("nameserver 10.0.0"), "");

    // Names that are not addresses.
    EXPECT_EQ(
        DhclientServerFromLeases(
            "lease { interface \"eth0\"; fixed-address 10.0.0.5; option dhcp-server-identifier gw.local; }",
            "eth0", held, Now),
        "");
    EXPECT_EQ(NetworkdServerFromLease("SERVER_ADDRESS=router\n"), "");
    for (const char* bad : {"dns.example.com", "999.1.1.1", "1.2.3", "1.2.3.4.5", "1.2.3.4x", "-1.2.3.4",
                            "1..2.3", "0x7f.0.0.1", "1.2.3.4/24", "0.0.0.0", "1234.1.1.1"})
        EXPECT_EQ(FirstNameserver(std::string("nameserver ") + bad + "\n"), "") << bad;

    // No line end at all, a long line.
    EXPECT_EQ(FirstNameserver("nameserver 10.0.0.1" + std::string(100000, 'x')), "");
    EXPECT_EQ(NetworkdServerFromLease("SERVER_ADDRESS=10.0.0.1" + std::string(100000, ' ') + "x"), "");
    EXPECT_EQ(FirstNameserver("nameserver 10.0.0.1"), "10.0.0.1");

    // Binary junk.
    std::mt19937 random(20240117);
    for (int round = 0; round < 200; ++round) {
        std::string junk(static_cast<std::size_t>(random() % 4096), '\0');
        for (char& c : junk)
            c = static_cast<char>(random());
        ExpectNothingOrAnAddress(junk);
    }
    ExpectNothingOrAnAddress(std::string(300, '{'));
    ExpectNothingOrAnAddress(std::string(300, '}') + "lease {");
    ExpectNothingOrAnAddress(std::string(300, '"'));
    ExpectNothingOrAnAddress(std::string("\0\0\0", 3));
}

TEST_F(LeaseFiles, HugeFileIsReadOnlyUpToTheCap)
{
    // 100 MB of nothing, then a line that would count were it read.
    const std::string path = Path("huge");
    const std::string tail = "\nnameserver 10.9.8.7\nADDRESS=10.9.8.6\nSERVER_ADDRESS=10.9.8.7\n";
    {
        std::ofstream out(path, std::ios::binary);
        out.seekp(100 * 1024 * 1024);
        out << tail;
    }
    ASSERT_GT(std::filesystem::file_size(path), 100u * 1024 * 1024);
    const auto start = std::chrono::steady_clock::now();
    const auto bytes = ReadFileCapped(path);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->size(), DefaultFileCap);
    EXPECT_EQ(ReadResolvConf(path).nameservers.size(), 0u);
    EXPECT_EQ(NetworkdServerFromFile(path, {Ip("10.9.8.6")}), std::nullopt);
    EXPECT_EQ(DhclientServerFromFiles({path}, "eth0", {Ip("10.9.8.6")}, Now), std::nullopt);
    EXPECT_EQ(DhcpcdServerFromFiles({path}, {Ip("10.9.8.6")}, Now), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(LeaseFiles, WhatIsNoRegularFileIsNotRead)
{
    const std::string fifo = Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(ReadFileCapped(fifo).has_value());
    EXPECT_EQ(NetworkdServerFromFile(fifo, {}), std::nullopt);
    EXPECT_FALSE(ReadFileCapped("/dev/zero").has_value());
    EXPECT_FALSE(ReadFileCapped(dir.path().toStdString()).has_value());
}

TEST(NetworkManagerOptions, ServerIdentifierOfTheDhcp4Config)
{
    QVariantMap options;
    options.insert(QStringLiteral("dhcp_server_identifier"), QStringLiteral("192.168.1.1"));
    options.insert(QStringLiteral("ip_address"), QStringLiteral("192.168.1.50"));
    EXPECT_EQ(DhcpServerFromOptions(options), "192.168.1.1");
    EXPECT_EQ(DhcpAddressFromOptions(options), "192.168.1.50");
    options.insert(QStringLiteral("dhcp_server_identifier"),
                   QVariant::fromValue(QDBusVariant(QStringLiteral("10.0.0.1"))));
    EXPECT_EQ(DhcpServerFromOptions(options), "10.0.0.1");
    options.insert(QStringLiteral("dhcp_server_identifier"), QStringLiteral("router.lan"));
    EXPECT_EQ(DhcpServerFromOptions(options), "");
    EXPECT_EQ(DhcpServerFromOptions({}), "");
}

TEST(NetworkManagerOptions, AnswersPromptlyWhateverTheBus)
{
    const auto start = std::chrono::steady_clock::now();
    const NetworkManagerDhcp answer = AskNetworkManager(QStringLiteral("eth0"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    if (!answer.server.empty()) {
        EXPECT_TRUE(answer.managed);
        EXPECT_TRUE(ParseIpv4(answer.server).has_value());
    }
    EXPECT_FALSE(AskNetworkManager(QString()).managed);
}

TEST(Ipv4Texts, StrictDottedQuads)
{
    EXPECT_EQ(CanonicalIpv4("192.168.001.010"), "192.168.1.10");
    EXPECT_EQ(CanonicalIpv4("255.255.255.255"), "255.255.255.255");
    EXPECT_EQ(CanonicalIpv4("0.0.0.0"), "");
    EXPECT_FALSE(ParseIpv4("256.1.1.1"));
    EXPECT_FALSE(ParseIpv4(" 1.1.1.1"));
    EXPECT_FALSE(ParseIpv4("1.1.1.1 "));
    EXPECT_FALSE(ParseIpv4(""));
    EXPECT_FALSE(ParseIpv4("0001.1.1.1"));
}

// ------------------------------------------------ namespaces of our own
//
// A thread's network, mount and host-name namespaces are its own: a thread
// that unshares them sees a machine of the test's making (its interfaces,
// /etc/hosts, resolv.conf, host name and lease files), while the rest of the
// process stays where it is. Whatever is made there goes with the thread.

bool Sh(const std::string& command)
{
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The Linux back end, with message boxes noted instead of shown (they may
// not be shown from this thread), installed while it lives.
class QuietLinuxBackend : public LinuxBackend {
public:
    QuietLinuxBackend() { InstallBackend(this); }
    ~QuietLinuxBackend() override { InstallBackend(nullptr); }
    QuietLinuxBackend(const QuietLinuxBackend&) = delete;
    QuietLinuxBackend& operator=(const QuietLinuxBackend&) = delete;

    int MessageBox(HWND, const QString& text, const QString&, UINT) override
    {
        boxes << text;
        return IDOK;
    }
    QStringList boxes;
};

// Moves the calling thread into new namespaces of the kinds in `flags`; with
// a mount namespace, its mounts are made private so nothing done there is
// seen outside.
::testing::AssertionResult Unshare(int flags)
{
    if (::unshare(flags) != 0)
        return ::testing::AssertionFailure() << "unshare: " << std::strerror(errno);
    if ((flags & CLONE_NEWNS) && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return ::testing::AssertionFailure() << "private mounts: " << std::strerror(errno);
    return ::testing::AssertionSuccess();
}

// Mounts an empty file system over `dir`, in this thread's mount namespace.
bool EmptyOver(const char* dir)
{
    return ::mount("cv9a", dir, "tmpfs", MS_NOSUID | MS_NODEV, "size=1m,mode=0755") == 0;
}

// Shows the file `path` in place of `target`, in this thread's mount namespace.
bool FileOver(const std::string& path, const char* target)
{
    return ::mount(path.c_str(), target, nullptr, MS_BIND, nullptr) == 0;
}

std::vector<std::string> AddressesOf(const HOSTENT* host)
{
    std::vector<std::string> addresses;
    for (int i = 0; host && host->h_addr_list && host->h_addr_list[i] && i < 100; ++i) {
        Ipv4Bytes bytes;
        std::memcpy(bytes.data(), host->h_addr_list[i], 4);
        addresses.push_back(Ipv4Text(bytes));
    }
    return addresses;
}

// A DNS server that reads every query and never answers, on port 53 of a
// network namespace of its own, reached from the test's namespace over a
// veth pair: 10.99.9.1 on the test's side, 10.99.9.2 on the server's.
class SilentDnsServer {
public:
    // Call from the thread whose network namespace is to reach the server.
    SilentDnsServer()
    {
        std::atomic<pid_t> tid{0};
        thread_ = std::thread([&] {
            int fd = -1;
            if (::unshare(CLONE_NEWNET) == 0 && Sh("ip link set lo up")) {
                fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
                sockaddr_in any{};
                any.sin_family = AF_INET;
                any.sin_port = htons(53);
                timeval tick{0, 50 * 1000};
                if (fd >= 0
                    && (::bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0
                        || ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tick, sizeof tick) != 0)) {
                    ::close(fd);
                    fd = -1;
                }
            }
            tid = fd >= 0 ? static_cast<pid_t>(::syscall(SYS_gettid)) : -1;
            while (fd >= 0 && !stop_) {
                char query[512];
                const ssize_t n = ::recv(fd, query, sizeof query, 0);
                if (n > 12)
                    queries_ += 1;
            }
            if (fd >= 0)
                ::close(fd);
        });
        while (tid == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const std::string peer = std::to_string(tid.load());
        ready_ = tid > 0 && Sh("ip link add cv9a-dns0 type veth peer name cv9a-dns1 netns " + peer)
                 && Sh("nsenter -t " + peer + " -n ip addr add 10.99.9.2/24 dev cv9a-dns1")
                 && Sh("nsenter -t " + peer + " -n ip link set cv9a-dns1 up")
                 && Sh("ip addr add 10.99.9.1/24 dev cv9a-dns0") && Sh("ip link set cv9a-dns0 up")
                 && Sh("ip route add default via 10.99.9.2");
    }
    ~SilentDnsServer()
    {
        stop_ = true;
        thread_.join();
    }
    SilentDnsServer(const SilentDnsServer&) = delete;
    SilentDnsServer& operator=(const SilentDnsServer&) = delete;

    bool Ready() const { return ready_; }
    int Queries() const { return queries_; }

private:
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> queries_{0};
    bool ready_ = false;
};

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(LinuxOwnNamespaces, OwnNameIsAnsweredFromTheInterfacesWhateverDnsDoes)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "making namespaces needs root";
    QTemporaryDir files;
    const std::string hosts = files.filePath(QStringLiteral("hosts")).toStdString();
    const std::string resolv = files.filePath(QStringLiteral("resolv.conf")).toStdString();
    // The host name is in no hosts file; the one name server never answers,
    // and is given up after a second.
    Write(hosts, "127.0.0.1 localhost\n");
    Write(resolv, "nameserver 10.99.9.2\noptions timeout:1 attempts:1\n");
    const std::string self = "cv9a-host-" + std::to_string(::getpid());

    std::thread inside([&] {
        ASSERT_TRUE(Unshare(CLONE_NEWNET | CLONE_NEWNS | CLONE_NEWUTS));
        ASSERT_TRUE(FileOver(hosts, "/etc/hosts"));
        ASSERT_TRUE(FileOver(resolv, "/etc/resolv.conf"));
        ASSERT_EQ(::sethostname(self.c_str(), self.size()), 0);
        // An interface listed before the default route's, and the loopback.
        ASSERT_TRUE(Sh("ip link set lo up"));
        ASSERT_TRUE(Sh("ip link add cv9a-side type ifb") && Sh("ip addr add 10.98.0.1/24 dev cv9a-side")
                    && Sh("ip link set cv9a-side up"));
        // An interface that is down gives nothing.
        ASSERT_TRUE(Sh("ip link add cv9a-down type ifb") && Sh("ip addr add 10.97.0.1/24 dev cv9a-down"));
        SilentDnsServer dns;
        ASSERT_TRUE(dns.Ready());
        QuietLinuxBackend backend;

        // The look-ups of one address refresh: the host name, then the
        // address three times.
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ipandhost::GetLocalHostName(), QString::fromStdString(self));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(ipandhost::GetLocalIPAddress(), QStringLiteral("10.99.9.1"));
        const double refresh = SecondsSince(start);
        EXPECT_LT(refresh, 0.2);
        std::printf("[ figures  ] own name: host name and three address look-ups in %.2f ms\n",
                    refresh * 1000);

        std::string upper = self;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const HOSTENT* host = Winsock::gethostbyname(upper.c_str());
        ASSERT_NE(host, nullptr);
        EXPECT_EQ(std::string(host->h_name), self);
        EXPECT_EQ(AddressesOf(host), (std::vector<std::string>{"10.99.9.1", "10.98.0.1", "127.0.0.1"}));
        EXPECT_TRUE(backend.boxes.isEmpty()) << backend.boxes.join(QLatin1Char('|')).toStdString();

        // Another name goes to the name service, and so to the server, which
        // lets it wait out the resolver's time-out.
        start = std::chrono::steady_clock::now();
        EXPECT_EQ(Winsock::gethostbyname("cv9a-elsewhere.example"), nullptr);
        EXPECT_EQ(WSAGetLastError(), WSATRY_AGAIN);
        const double other = SecondsSince(start);
        EXPECT_GE(other, 0.9);
        EXPECT_GE(dns.Queries(), 1);
        std::printf("[ figures  ] another name: %.2f s, %d queries to the silent server\n", other,
                    dns.Queries());
        const int asked = dns.Queries();

        // With the loopback the only interface left up, that is the answer.
        ASSERT_TRUE(Sh("ip link set cv9a-side down") && Sh("ip link set cv9a-dns0 down"));
        EXPECT_EQ(ipandhost::GetLocalIPAddress(), QStringLiteral("127.0.0.1"));
        ASSERT_TRUE(Sh("ip link set lo down"));
        EXPECT_EQ(ipandhost::GetLocalIPAddress(), QStringLiteral("127.0.0.1"));
        EXPECT_EQ(dns.Queries(), asked);
    });
    inside.join();
}

// Lease blocks as dhclient writes them, for `address` from `server`, ending
// `expires` seconds from now (negative: already over).
std::string DhclientLease(const std::string& ifname, const std::string& address, const std::string& server,
                          std::time_t expires)
{
    return "lease {\n  interface \"" + ifname + "\";\n  fixed-address " + address
           + ";\n  option dhcp-server-identifier " + server + ";\n  expire epoch "
           + std::to_string(std::time(nullptr) + expires) + ";\n}\n";
}

TEST(LinuxOwnNamespaces, DhcpServerOnlyFromTheLeaseTheInterfaceHolds)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "making namespaces needs root";
    std::thread inside([&] {
        ASSERT_TRUE(Unshare(CLONE_NEWNET | CLONE_NEWNS));
        // No lease file of this machine's is seen, only the test's.
        ASSERT_TRUE(EmptyOver("/var/lib"));
        ASSERT_EQ(::mkdir("/var/lib/dhcp", 0755), 0);
        struct stat st {};
        if (::stat("/run/systemd/netif", &st) == 0) {
            ASSERT_TRUE(EmptyOver("/run/systemd/netif"));
        }
        ASSERT_TRUE(Sh("ip link set lo up"));
        ASSERT_TRUE(Sh("ip link add cv9a-eth type ifb") && Sh("ip addr add 10.96.0.5/24 dev cv9a-eth")
                    && Sh("ip link set cv9a-eth up"));
        QuietLinuxBackend backend;
        auto adapterDhcp = [] {
            for (const auto& adapter : LinuxNetServices::ReadAdapters())
                if (std::string(adapter.info.AdapterName) == "cv9a-eth")
                    return adapter.info.DhcpEnabled;
            return 99u;
        };

        // A static address, and a lease file from an earlier network that
        // has not expired, and one for this address that has.
        const std::string file = "/var/lib/dhcp/dhclient.cv9a-eth.leases";
        Write(file, DhclientLease("cv9a-eth", "192.168.77.50", "192.168.77.1", 86400)
                        + DhclientLease("cv9a-eth", "10.96.0.5", "10.96.0.1", -60));
        EXPECT_EQ(adapterDhcp(), 0u);
        EXPECT_EQ(DHCP.GetDhcpServer(), QString());

        // The lease in force for the address held.
        Write(file, ReadAll(file) + DhclientLease("cv9a-eth", "10.96.0.5", "10.96.0.254", 3600));
        EXPECT_EQ(adapterDhcp(), 1u);
        EXPECT_EQ(DHCP.GetDhcpServer(), QStringLiteral("10.96.0.254"));

        // The address changed by hand: the lease is not held any more.
        ASSERT_TRUE(Sh("ip addr flush dev cv9a-eth") && Sh("ip addr add 10.96.0.6/24 dev cv9a-eth"));
        EXPECT_EQ(adapterDhcp(), 0u);
        EXPECT_EQ(DHCP.GetDhcpServer(), QString());
        EXPECT_TRUE(backend.boxes.isEmpty());
    });
    inside.join();
}

// The look-ups that run together share one read of the kernel's tables, but
// only until the event loop next waits: an address added later is seen at
// the next pass. This runs on the main thread, whose loop it needs, moved into
// a network namespace of its own and back.
TEST(LinuxOwnNamespaces, LookUpsOfOnePassShareOneReadAndTheNextPassReadsAgain)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "making namespaces needs root";
    const int home = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(home, 0);
    ASSERT_TRUE(Unshare(CLONE_NEWNET));
    const auto held = [](Ipv4Bytes wanted) {
        const std::vector<netconfig::Address> all = netconfig::ReadAddresses();
        return std::any_of(all.begin(), all.end(), [&](const auto& a) { return a.address == wanted; });
    };
    const Ipv4Bytes first{10, 97, 0, 5}, second{10, 97, 0, 6};
    bool made = false, before = false, samePass = true, nextPass = false, outside = false;
    made = Sh("ip link set lo up") && Sh("ip link add cv12s-eth type ifb")
           && Sh("ip addr add 10.97.0.5/24 dev cv12s-eth") && Sh("ip link set cv12s-eth up");
    if (made) {
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [&] {
            before = held(first);
            Sh("ip addr add 10.97.0.6/24 dev cv12s-eth");
            samePass = held(second);
            QTimer::singleShot(10, &loop, [&] {
                nextPass = held(second);
                loop.quit();
            });
        });
        loop.exec();
        outside = held(second);
    }
    ASSERT_EQ(::setns(home, CLONE_NEWNET), 0) << std::strerror(errno);
    ::close(home);
    ASSERT_TRUE(made);
    EXPECT_TRUE(before);
    EXPECT_FALSE(samePass) << "the second look-up of a pass read the kernel again";
    EXPECT_TRUE(nextPass) << "a read was kept past the pass it was made in";
    EXPECT_TRUE(outside) << "outside the event loop every read is fresh";
}

} // namespace
