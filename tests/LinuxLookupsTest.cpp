// The look-ups answered by the Linux back end on this machine, checked
// against what the machine shows elsewhere (the C library, sysfs, /proc,
// resolv.conf), and the lease and resolver file readers on sample and
// hostile files.
#include "QtPrinters.h"
#include "lookups/DNS.h"
#include "lookups/MacAddress.h"
#include "lookups/ipandhost.h"
#include "platform/Backend.h"
#include "platform/CappedFile.h"
#include "platform/DhclientLease.h"
#include "platform/DhcpcdLease.h"
#include "platform/Ipv4Text.h"
#include "platform/NetworkManagerDhcp.h"
#include "platform/NetworkdLease.h"
#include "platform/ResolvConf.h"

#include <gtest/gtest.h>

#include <QDBusVariant>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
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
    const bool stubs = !servers.empty() && std::all_of(servers.begin(), servers.end(), [](const std::string& s) {
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
    return ParseIpv4(text.toStdString()).has_value() && QString::fromStdString(Ipv4Text(*ParseIpv4(text.toStdString()))) == text;
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
        if (std::sscanf(address.c_str(), "%x:%x:%x:%x:%x:%x", &b[0], &b[1], &b[2], &b[3], &b[4], &b[5]) != 6 ||
            address.size() != 17)
            continue;
        if ((b[0] | b[1] | b[2] | b[3] | b[4] | b[5]) == 0 || (b[0] & 1))
            continue;
        candidates.push_back({std::filesystem::exists(dir + "/device"), std::stoi(ReadAll(dir + "/ifindex")), address});
    }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return a.device != b.device ? a.device : a.index < b.index;
    });
    QString expected = QStringLiteral("00-00-00-00-00-00");
    if (!candidates.empty())
        expected = QString::fromStdString(candidates.front().address).toUpper().replace(QLatin1Char(':'), QLatin1Char('-'));
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
            ASSERT_LE(reinterpret_cast<const BYTE*>(entry.Next) + sizeof entry, buffer.data() + buffer.size());
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
  option dhcp-server-identifier 172.16.9.9;
  expire 1 2024/01/15 10:00:00;
}
)";

TEST_F(LeaseFiles, DhclientLastUnexpiredBlockOfTheInterfaceWins)
{
    Write(Path("dhclient.eth0.leases"), DhclientSample);
    // The later, already expired block is passed over.
    EXPECT_EQ(DhclientServerFromFiles({Path("dhclient.eth0.leases")}, "eth0", Now), "192.168.1.254");
    EXPECT_EQ(DhclientServerFromFiles({Path("dhclient.eth0.leases")}, "wlan0", Now), "10.0.0.1");
    EXPECT_EQ(DhclientServerFromFiles({Path("dhclient.eth0.leases")}, "eth1", Now), "");
    // A day on, the last block still holds; three days on, none does.
    EXPECT_EQ(DhclientServerFromLeases(DhclientSample, "eth0", Now + 86400), "192.168.1.254");
    EXPECT_EQ(DhclientServerFromLeases(DhclientSample, "eth0", Now + 3 * 86400), "");
    EXPECT_EQ(DhclientServerFromFiles({Path("missing.leases")}, "eth0", Now), "");
}

TEST_F(LeaseFiles, DhclientExpiryForms)
{
    EXPECT_EQ(DhclientServerFromLeases("lease { interface \"e\"; option dhcp-server-identifier 1.1.1.1; expire never; }",
                                       "e", Now),
              "1.1.1.1");
    EXPECT_EQ(DhclientServerFromLeases(
                  "lease { interface \"e\"; option dhcp-server-identifier 1.1.1.2; expire epoch 1705486489; # x\n}", "e",
                  Now),
              "1.1.1.2");
    EXPECT_EQ(DhclientServerFromLeases(
                  "lease { interface \"e\"; option dhcp-server-identifier 1.1.1.3; expire epoch 1705486488; }", "e", Now),
              "");
    EXPECT_EQ(DhclientServerFromLeases(
                  "lease { interface \"e\"; option dhcp-server-identifier 1.1.1.4; expire soon; }", "e", Now),
              "");
    EXPECT_EQ(DhclientServerFromLeases("lease { interface \"e\"; option dhcp-server-identifier 1.1.1.5; }", "e", Now),
              "1.1.1.5");
}

TEST_F(LeaseFiles, NetworkdServerAddress)
{
    Write(Path("4"), "# This is private data. Do not parse.\nADDRESS=192.168.1.50\nNETMASK=255.255.255.0\n"
                     "ROUTER=192.168.1.1\nSERVER_ADDRESS=192.168.1.1\nLIFETIME=86400\n");
    EXPECT_EQ(NetworkdServerFromFile(Path("4")), "192.168.1.1");
    EXPECT_EQ(NetworkdServerFromFile(Path("5")), "");
    EXPECT_EQ(NetworkdLeasePath(7), "/run/systemd/netif/leases/7");
}

// A DHCP acknowledgement as dhcpcd stores it, with these options.
std::string DhcpMessage(const std::string& options, const std::string& file = std::string(128, '\0'))
{
    std::string m(236, '\0');
    m[0] = 2; // reply
    m[1] = 1;
    m[2] = 6;
    m.replace(108, 128, file);
    m += std::string("\x63\x82\x53\x63", 4);
    m += options;
    return m;
}

TEST_F(LeaseFiles, DhcpcdServerIdentifierOption)
{
    const std::string options = std::string("\x35\x01\x05", 3) + std::string("\x00\x00", 2) + // type, pads
                                std::string("\x01\x04\xff\xff\xff\x00", 6) +                   // mask
                                std::string("\x36\x04\xc0\xa8\x01\xfe", 6) + "\xff";           // server
    Write(Path("dhcpcd-eth0.lease"), DhcpMessage(options));
    EXPECT_EQ(DhcpcdServerFromFiles({Path("eth0.lease"), Path("dhcpcd-eth0.lease")}), "192.168.1.254");

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
    for (const std::string& text : {DhclientServerFromLeases(bytes, "eth0", Now), NetworkdServerFromLease(bytes),
                                    DhcpcdServerFromLease(bytes), FirstNameserver(bytes)}) {
        if (!text.empty()) {
            EXPECT_TRUE(ParseIpv4(text).has_value()) << text;
        }
    }
}

TEST_F(LeaseFiles, HostileInputsGiveNothing)
{
    // Cut short.
    EXPECT_EQ(DhclientServerFromLeases("lease {\n  interface \"eth0\";\n  option dhcp-server-identifier 10.0.0.1;", "eth0", Now),
              "");
    EXPECT_EQ(DhclientServerFromLeases("lease { interface \"eth0", "eth0", Now), "");
    EXPECT_EQ(NetworkdServerFromLease("SERVER_ADDRESS=192.168."), "");
    const std::string options = std::string("\x36\x04\xc0\xa8\x01\xfe", 6);
    EXPECT_EQ(DhcpcdServerFromLease(DhcpMessage(options).substr(0, 243)), "");
    EXPECT_EQ(DhcpcdServerFromLease(DhcpMessage(std::string("\x36\x08\xc0\xa8", 4))), "");
    EXPECT_EQ(DhcpcdServerFromLease(std::string(100, '\x63')), "");
    EXPECT_EQ(FirstNameserver("nameserver 10.0.0"), "");

    // Names that are not addresses.
    EXPECT_EQ(DhclientServerFromLeases("lease { interface \"eth0\"; option dhcp-server-identifier gw.local; }", "eth0", Now),
              "");
    EXPECT_EQ(NetworkdServerFromLease("SERVER_ADDRESS=router\n"), "");
    for (const char* bad : {"dns.example.com", "999.1.1.1", "1.2.3", "1.2.3.4.5", "1.2.3.4x", "-1.2.3.4", "1..2.3",
                            "0x7f.0.0.1", "1.2.3.4/24", "0.0.0.0", "1234.1.1.1"})
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
    const std::string tail = "\nnameserver 10.9.8.7\nSERVER_ADDRESS=10.9.8.7\n";
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
    EXPECT_EQ(NetworkdServerFromFile(path), "");
    EXPECT_EQ(DhclientServerFromFiles({path}, "eth0", Now), "");
    EXPECT_EQ(DhcpcdServerFromFiles({path}), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(LeaseFiles, WhatIsNoRegularFileIsNotRead)
{
    const std::string fifo = Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(ReadFileCapped(fifo).has_value());
    EXPECT_EQ(NetworkdServerFromFile(fifo), "");
    EXPECT_FALSE(ReadFileCapped("/dev/zero").has_value());
    EXPECT_FALSE(ReadFileCapped(dir.path().toStdString()).has_value());
}

TEST(NetworkManagerOptions, ServerIdentifierOfTheDhcp4Config)
{
    QVariantMap options;
    options.insert(QStringLiteral("dhcp_server_identifier"), QStringLiteral("192.168.1.1"));
    options.insert(QStringLiteral("ip_address"), QStringLiteral("192.168.1.50"));
    EXPECT_EQ(DhcpServerFromOptions(options), "192.168.1.1");
    options.insert(QStringLiteral("dhcp_server_identifier"), QVariant::fromValue(QDBusVariant(QStringLiteral("10.0.0.1"))));
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

} // namespace
