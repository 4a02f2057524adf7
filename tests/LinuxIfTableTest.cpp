// The interface table as the Linux back end reads it from this machine,
// checked against what the kernel shows elsewhere: /proc/net/dev, sysfs and
// the interface names themselves.
#include "platform/Backend.h"
#include "platform/IpHlpApi.h"
#include "platform/linux/LinuxBackend.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>

#include <net/if.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t RowsOffset = offsetof(MIB_IFTABLE, table);

struct ProcCounters {
    std::uint64_t rx = 0;
    std::uint64_t tx = 0;
};

// /proc/net/dev, by interface name.
std::map<std::string, ProcCounters> ReadProcNetDev()
{
    std::map<std::string, ProcCounters> result;
    std::ifstream in("/proc/net/dev");
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        if (++lineNo <= 2)
            continue;
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string name = line.substr(0, colon);
        name.erase(0, name.find_first_not_of(' '));
        std::istringstream fields(line.substr(colon + 1));
        std::uint64_t v[16] = {};
        for (auto& f : v)
            fields >> f;
        result[name] = ProcCounters{v[0], v[8]};
    }
    return result;
}

std::string Utf8(const WCHAR* text, std::size_t max)
{
    std::string out;
    for (std::size_t i = 0; i < max && text[i]; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < max && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Name(const MIB_IFROW& row)
{
    return Utf8(row.wszName, MAX_INTERFACE_NAME_LEN);
}

std::string Description(const MIB_IFROW& row)
{
    return std::string(reinterpret_cast<const char*>(row.bDescr),
                       std::min<DWORD>(row.dwDescrLen, MAXLEN_IFDESCR));
}

// The table through the probe-then-fill protocol the monitor uses.
std::vector<MIB_IFROW> ReadTable(BOOL order = FALSE)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        ULONG size = 0;
        const DWORD probe = GetIfTable(nullptr, &size, order);
        if (probe != ERROR_INSUFFICIENT_BUFFER) {
            ADD_FAILURE() << "probe answered " << probe;
            return {};
        }
        std::vector<unsigned char> buffer(size);
        const DWORD fill = GetIfTable(reinterpret_cast<MIB_IFTABLE*>(buffer.data()), &size, order);
        if (fill == ERROR_INSUFFICIENT_BUFFER)
            continue; // an interface came between the two calls
        if (fill != NO_ERROR) {
            ADD_FAILURE() << "fill answered " << fill;
            return {};
        }
        DWORD count = 0;
        std::memcpy(&count, buffer.data(), sizeof count);
        if (RowsOffset + count * sizeof(MIB_IFROW) > buffer.size()) {
            ADD_FAILURE() << count << " rows claimed in " << buffer.size() << " bytes";
            return {};
        }
        std::vector<MIB_IFROW> rows(count);
        if (count)
            std::memcpy(rows.data(), buffer.data() + RowsOffset, count * sizeof(MIB_IFROW));
        return rows;
    }
    ADD_FAILURE() << "the table never held still";
    return {};
}

std::optional<MIB_IFROW> FindRow(const std::vector<MIB_IFROW>& rows, const std::string& name)
{
    for (const auto& row : rows)
        if (Name(row) == name)
            return row;
    return std::nullopt;
}

std::optional<std::string> ReadSys(const std::string& name, const char* attribute)
{
    std::ifstream in("/sys/class/net/" + name + "/" + attribute);
    std::string value;
    if (!in || !std::getline(in, value))
        return std::nullopt;
    return value;
}

// sysfs may belong to another network namespace than ours; it speaks of our
// interface only when it knows it under the same index.
bool SysfsDescribes(const MIB_IFROW& row)
{
    const auto index = ReadSys(Name(row), "ifindex");
    return index && std::strtoul(index->c_str(), nullptr, 10) == row.dwIndex;
}

std::string HexAddress(const MIB_IFROW& row)
{
    std::string text;
    char part[4];
    for (DWORD i = 0; i < std::min<DWORD>(row.dwPhysAddrLen, MAXLEN_PHYSADDR); ++i) {
        std::snprintf(part, sizeof part, i ? ":%02x" : "%02x", row.bPhysAddr[i]);
        text += part;
    }
    return text;
}

// Counters wrap at 2^32: the distance from `from` forward to `to`.
DWORD Forward(DWORD from, DWORD to)
{
    return to - from;
}

std::uint32_t Low32(std::uint64_t v)
{
    return static_cast<std::uint32_t>(v);
}

// --- The size protocol ------------------------------------------------------

TEST(LinuxIfTableSize, ProbeWithoutBufferAsksForEveryRow)
{
    const std::size_t interfaces = ReadProcNetDev().size();
    ASSERT_GT(interfaces, 0u);

    ULONG size = 0;
    EXPECT_EQ(GetIfTable(nullptr, &size, FALSE), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(size, 4 + interfaces * 860);

    // No buffer is no buffer, whatever size comes with it.
    ULONG large = 1 << 20;
    EXPECT_EQ(GetIfTable(nullptr, &large, FALSE), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(large, 4 + interfaces * 860);
}

TEST(LinuxIfTableSize, TooSmallBufferIsRefusedUntouched)
{
    ULONG needed = 0;
    ASSERT_EQ(GetIfTable(nullptr, &needed, FALSE), ERROR_INSUFFICIENT_BUFFER);
    ASSERT_GE(needed, 4u + 860u);

    std::vector<unsigned char> buffer(needed, 0xAB);
    for (ULONG offered : {needed - 1, ULONG{4}, ULONG{0}}) {
        ULONG size = offered;
        EXPECT_EQ(GetIfTable(reinterpret_cast<MIB_IFTABLE*>(buffer.data()), &size, FALSE),
                  ERROR_INSUFFICIENT_BUFFER)
            << "offered " << offered;
        EXPECT_EQ(size, needed) << "offered " << offered;
        EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](unsigned char b) { return b == 0xAB; }))
            << "offered " << offered;
    }
}

TEST(LinuxIfTableSize, RightSizeFillsEveryRow)
{
    const std::size_t interfaces = ReadProcNetDev().size();
    ULONG needed = 0;
    ASSERT_EQ(GetIfTable(nullptr, &needed, FALSE), ERROR_INSUFFICIENT_BUFFER);
    std::vector<unsigned char> buffer(needed);
    ULONG size = needed;
    ASSERT_EQ(GetIfTable(reinterpret_cast<MIB_IFTABLE*>(buffer.data()), &size, FALSE), NO_ERROR);
    DWORD count = 0;
    std::memcpy(&count, buffer.data(), sizeof count);
    EXPECT_EQ(count, interfaces);
    EXPECT_EQ(needed, 4 + count * 860);

    // A larger buffer than needed is as good.
    std::vector<unsigned char> roomy(needed + 860);
    size = static_cast<ULONG>(roomy.size());
    ASSERT_EQ(GetIfTable(reinterpret_cast<MIB_IFTABLE*>(roomy.data()), &size, FALSE), NO_ERROR);
    std::memcpy(&count, roomy.data(), sizeof count);
    EXPECT_EQ(count, interfaces);
}

TEST(LinuxIfTableSize, OrderedTableIsSortedByIndex)
{
    const auto rows = ReadTable(TRUE);
    ASSERT_FALSE(rows.empty());
    for (std::size_t i = 1; i < rows.size(); ++i)
        EXPECT_LT(rows[i - 1].dwIndex, rows[i].dwIndex);
}

// --- The rows against the kernel's other views -------------------------------

TEST(LinuxIfTableRows, NamesAndIndexesAreTheKernels)
{
    const auto rows = ReadTable();
    const auto proc = ReadProcNetDev();
    std::set<std::string> names;
    std::set<DWORD> indexes;
    for (const auto& row : rows) {
        const std::string name = Name(row);
        EXPECT_TRUE(std::find(std::begin(row.wszName), std::end(row.wszName), u'\0')
                    != std::end(row.wszName));
        EXPECT_TRUE(names.insert(name).second) << "twice: " << name;
        EXPECT_TRUE(indexes.insert(row.dwIndex).second) << "index twice: " << row.dwIndex;
        EXPECT_EQ(row.dwIndex, if_nametoindex(name.c_str())) << name;
    }
    std::set<std::string> procNames;
    for (const auto& [name, counters] : proc)
        procNames.insert(name);
    EXPECT_EQ(names, procNames);
}

TEST(LinuxIfTableRows, OctetCountersMatchProcNetDev)
{
    // Traffic goes on between the reads: a row must lie between /proc read
    // before and after it. A change in the set of interfaces is tried again.
    std::string failure = "never compared";
    for (int attempt = 0; attempt < 10; ++attempt) {
        const auto before = ReadProcNetDev();
        const auto rows = ReadTable();
        const auto after = ReadProcNetDev();
        if (before.size() != after.size() || rows.size() != before.size()) {
            failure = "the set of interfaces changed";
            continue;
        }
        std::uint32_t rxBefore = 0, rxAfter = 0, txBefore = 0, txAfter = 0;
        DWORD rxRows = 0, txRows = 0;
        failure.clear();
        for (const auto& row : rows) {
            const std::string name = Name(row);
            const auto b = before.find(name);
            const auto a = after.find(name);
            if (b == before.end() || a == after.end()) {
                failure = "no /proc line for " + name;
                break;
            }
            if (Forward(Low32(b->second.rx), row.dwInOctets)
                    > Forward(Low32(b->second.rx), Low32(a->second.rx))
                || Forward(Low32(b->second.tx), row.dwOutOctets)
                       > Forward(Low32(b->second.tx), Low32(a->second.tx))) {
                failure = name + ": in " + std::to_string(row.dwInOctets) + " out "
                          + std::to_string(row.dwOutOctets) + " outside /proc's "
                          + std::to_string(b->second.rx) + ".." + std::to_string(a->second.rx) + " / "
                          + std::to_string(b->second.tx) + ".." + std::to_string(a->second.tx);
                break;
            }
            rxBefore += Low32(b->second.rx);
            rxAfter += Low32(a->second.rx);
            txBefore += Low32(b->second.tx);
            txAfter += Low32(a->second.tx);
            rxRows += row.dwInOctets;
            txRows += row.dwOutOctets;
        }
        if (failure.empty()) {
            EXPECT_LE(Forward(rxBefore, rxRows), Forward(rxBefore, rxAfter));
            EXPECT_LE(Forward(txBefore, txRows), Forward(txBefore, txAfter));
            return;
        }
    }
    FAIL() << failure;
}

TEST(LinuxIfTableRows, LoopbackIsUpAndOperational)
{
    const auto rows = ReadTable();
    const auto lo = FindRow(rows, "lo");
    ASSERT_TRUE(lo) << "no loopback row";
    EXPECT_EQ(lo->dwType, IF_TYPE_SOFTWARE_LOOPBACK);
    EXPECT_EQ(lo->dwAdminStatus, MIB_IF_ADMIN_STATUS_UP);
    EXPECT_EQ(lo->dwOperStatus, MIB_IF_OPER_STATUS_OPERATIONAL);
    EXPECT_EQ(lo->dwIndex, if_nametoindex("lo"));
    EXPECT_EQ(lo->dwOutNUcastPkts, 0u);
    EXPECT_EQ(lo->dwOutQLen, 0u);
    EXPECT_EQ(lo->dwLastChange, 0u);
}

TEST(LinuxIfTableRows, DescriptionIsNamedAndPadded)
{
    for (const auto& row : ReadTable()) {
        const std::string name = Name(row);
        ASSERT_GT(row.dwDescrLen, 0u) << name;
        ASSERT_LT(row.dwDescrLen, static_cast<DWORD>(MAXLEN_IFDESCR)) << name;
        EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(row.bDescr)), row.dwDescrLen) << name;
        EXPECT_TRUE(std::all_of(row.bDescr + row.dwDescrLen, row.bDescr + MAXLEN_IFDESCR, [](BYTE b) {
            return b == 0;
        })) << name;
    }
}

TEST(LinuxIfTableRows, MtuMatchesSysfs)
{
    int compared = 0;
    for (const auto& row : ReadTable()) {
        if (!SysfsDescribes(row))
            continue;
        const auto mtu = ReadSys(Name(row), "mtu");
        ASSERT_TRUE(mtu) << Name(row);
        EXPECT_EQ(row.dwMtu, std::strtoul(mtu->c_str(), nullptr, 10)) << Name(row);
        ++compared;
    }
    if (!compared)
        GTEST_SKIP() << "sysfs shows none of this namespace's interfaces";
}

TEST(LinuxIfTableRows, EthernetAddressMatchesSysfs)
{
    int compared = 0;
    for (const auto& row : ReadTable()) {
        if ((row.dwType != IF_TYPE_ETHERNET_CSMACD && row.dwType != IF_TYPE_IEEE80211)
            || !SysfsDescribes(row))
            continue;
        const auto address = ReadSys(Name(row), "address");
        const auto length = ReadSys(Name(row), "addr_len");
        ASSERT_TRUE(address && length) << Name(row);
        EXPECT_EQ(row.dwPhysAddrLen, std::strtoul(length->c_str(), nullptr, 10)) << Name(row);
        EXPECT_EQ(HexAddress(row), *address) << Name(row);
        ++compared;
    }
    if (!compared)
        GTEST_SKIP() << "no ethernet interface that sysfs shows";
}

TEST(LinuxIfTableRows, SpeedMatchesSysfs)
{
    int compared = 0;
    for (const auto& row : ReadTable()) {
        if (!SysfsDescribes(row))
            continue;
        // sysfs tells the speed of running interfaces only, -1 when unknown.
        const auto speed = ReadSys(Name(row), "speed");
        if (!speed)
            continue;
        const long long mbps = std::strtoll(speed->c_str(), nullptr, 10);
        const DWORD expected =
            mbps <= 0 ? 0 : static_cast<DWORD>(std::min<long long>(mbps * 1000000LL, 0xFFFFFFFFLL));
        EXPECT_EQ(row.dwSpeed, expected) << Name(row) << " at " << *speed;
        ++compared;
    }
    if (!compared)
        GTEST_SKIP() << "no interface whose speed sysfs tells";
}

// --- Traffic -------------------------------------------------------------------

TEST(LinuxIfTableTraffic, LoopbackCountsWhatIsSentOverIt)
{
    constexpr std::size_t Total = 1 << 20;

    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);

    const auto before = FindRow(ReadTable(), "lo");
    ASSERT_TRUE(before);

    std::size_t received = 0;
    std::thread reader([&] {
        const int peer = ::accept(listener, nullptr, nullptr);
        if (peer < 0)
            return;
        char chunk[64 * 1024];
        for (;;) {
            const ssize_t n = ::recv(peer, chunk, sizeof chunk, 0);
            if (n <= 0)
                break;
            received += static_cast<std::size_t>(n);
        }
        ::close(peer);
    });
    const int sender = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool connected =
        sender >= 0 && ::connect(sender, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    std::size_t sent = 0;
    if (connected) {
        std::vector<char> data(64 * 1024, 'x');
        while (sent < Total) {
            const ssize_t n = ::send(sender, data.data(), std::min(data.size(), Total - sent), MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += static_cast<std::size_t>(n);
        }
    } else {
        // Wakes the reader, for whom no connection is coming.
        ::shutdown(listener, SHUT_RDWR);
    }
    if (sender >= 0)
        ::close(sender);
    reader.join();
    ::close(listener);
    ASSERT_EQ(sent, Total);
    ASSERT_EQ(received, Total);

    const auto after = FindRow(ReadTable(), "lo");
    ASSERT_TRUE(after);
    // Loopback receives what it sends, and the headers come on top.
    EXPECT_GE(Forward(before->dwInOctets, after->dwInOctets), Total);
    EXPECT_GE(Forward(before->dwOutOctets, after->dwOutOctets), Total);
    EXPECT_GT(Forward(before->dwInUcastPkts, after->dwInUcastPkts), 0u);
    EXPECT_GT(Forward(before->dwOutUcastPkts, after->dwOutUcastPkts), 0u);
}

// Timers that fall due together each read the table; within one pass of the
// event loop they share one kernel read, and the next pass reads afresh.
TEST(LinuxIfTableTraffic, ReadsShareOnePassOfTheEventLoopOnly)
{
    constexpr int Datagrams = 100;
    constexpr std::size_t Size = 1000;
    const int sink = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(sink, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(sink, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::getsockname(sink, reinterpret_cast<sockaddr*>(&address), &length), 0);

    std::optional<MIB_IFROW> before, samePass, nextPass;
    int sent = 0;
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        before = FindRow(ReadTable(), "lo");
        const std::vector<char> data(Size, 'x');
        for (int i = 0; i < Datagrams; ++i)
            if (::sendto(sink, data.data(), data.size(), 0, reinterpret_cast<sockaddr*>(&address),
                         sizeof address)
                == static_cast<ssize_t>(Size))
                ++sent;
        samePass = FindRow(ReadTable(), "lo");
        QTimer::singleShot(10, &loop, [&] {
            nextPass = FindRow(ReadTable(), "lo");
            loop.quit();
        });
    });
    loop.exec();
    ::close(sink);
    ASSERT_EQ(sent, Datagrams);
    ASSERT_TRUE(before && samePass && nextPass);
    EXPECT_EQ(samePass->dwInOctets, before->dwInOctets);
    EXPECT_EQ(samePass->dwOutOctets, before->dwOutOctets);
    EXPECT_GE(Forward(before->dwInOctets, nextPass->dwInOctets), Datagrams * Size);
    EXPECT_GE(Forward(before->dwOutOctets, nextPass->dwOutOctets), Datagrams * Size);
}

// --- A namespace of our own ---------------------------------------------------

bool Run(const std::string& command)
{
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A named network namespace, gone again with this object.
class ScratchNamespace {
public:
    ScratchNamespace() : name_("corvane-test-" + std::to_string(::getpid()))
    {
        Run("ip netns del " + name_);
        made_ = Run("ip netns add " + name_);
    }
    ~ScratchNamespace()
    {
        if (made_)
            Run("ip netns del " + name_);
    }
    ScratchNamespace(const ScratchNamespace&) = delete;
    ScratchNamespace& operator=(const ScratchNamespace&) = delete;

    bool Made() const { return made_; }
    const std::string& Name() const { return name_; }
    bool Ip(const std::string& arguments) const { return Run("ip -n " + name_ + " " + arguments); }

private:
    std::string name_;
    bool made_ = false;
};

// Makes the back end installed while it lives answer every platform call.
class InstalledBackend {
public:
    explicit InstalledBackend(Backend& backend) { InstallBackend(&backend); }
    ~InstalledBackend() { InstallBackend(nullptr); }
    InstalledBackend(const InstalledBackend&) = delete;
    InstalledBackend& operator=(const InstalledBackend&) = delete;
};

// Reads the table until `ready` holds of it, for at most a few seconds: the
// kernel settles an interface's operational state a moment after the change.
template <typename Pred>
std::vector<MIB_IFROW> ReadUntil(Pred ready)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        auto rows = ReadTable();
        if (ready(rows) || std::chrono::steady_clock::now() > deadline)
            return rows;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

TEST(LinuxIfTableNamespace, InterfacesComeChangeAndGo)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "making a network namespace needs root";
    ScratchNamespace ns;
    if (!ns.Made())
        GTEST_SKIP() << "could not make a network namespace";

    // A thread's network namespace is its own: this one moves into the
    // scratch namespace and reads it through a back end that opens its
    // sockets there, while the rest of the process stays where it is.
    std::thread inside([&] {
        const int fd = ::open(("/run/netns/" + ns.Name()).c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::setns(fd, CLONE_NEWNET), 0);
        ::close(fd);

        LinuxBackend backend;
        InstalledBackend installed(backend);

        // A new namespace has nothing but its loopback, and that down.
        auto rows = ReadTable();
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(Name(rows[0]), "lo");
        EXPECT_EQ(rows[0].dwType, IF_TYPE_SOFTWARE_LOOPBACK);
        EXPECT_EQ(rows[0].dwAdminStatus, MIB_IF_ADMIN_STATUS_DOWN);
        EXPECT_EQ(rows[0].dwOperStatus, MIB_IF_OPER_STATUS_NON_OPERATIONAL);

        ASSERT_TRUE(ns.Ip("link add cvtest0 type ifb"));
        rows = ReadTable();
        ASSERT_EQ(rows.size(), 2u);
        auto row = FindRow(rows, "cvtest0");
        ASSERT_TRUE(row);
        EXPECT_EQ(row->dwIndex, if_nametoindex("cvtest0"));
        EXPECT_EQ(row->dwType, IF_TYPE_ETHERNET_CSMACD);
        EXPECT_EQ(row->dwMtu, 1500u);
        EXPECT_EQ(row->dwPhysAddrLen, 6u);
        EXPECT_EQ(row->dwAdminStatus, MIB_IF_ADMIN_STATUS_DOWN);
        EXPECT_EQ(row->dwOperStatus, MIB_IF_OPER_STATUS_NON_OPERATIONAL);
        EXPECT_EQ(row->dwSpeed, 0u);
        EXPECT_EQ(Description(*row), "ifb");
        const DWORD index = row->dwIndex;

        // Changes that keep the index are known only from the kernel's word.
        ASSERT_TRUE(ns.Ip("link set cvtest0 mtu 1400"));
        ASSERT_TRUE(ns.Ip("link set cvtest0 name cvtest1"));
        ASSERT_TRUE(ns.Ip("link set cvtest1 up"));
        ASSERT_TRUE(ns.Ip("link set lo up"));
        rows = ReadUntil([](const std::vector<MIB_IFROW>& r) {
            const auto it = FindRow(r, "cvtest1");
            const auto lo = FindRow(r, "lo");
            return it && it->dwOperStatus == MIB_IF_OPER_STATUS_OPERATIONAL && lo
                   && lo->dwOperStatus == MIB_IF_OPER_STATUS_OPERATIONAL;
        });
        EXPECT_FALSE(FindRow(rows, "cvtest0"));
        row = FindRow(rows, "cvtest1");
        ASSERT_TRUE(row);
        EXPECT_EQ(row->dwIndex, index);
        EXPECT_EQ(row->dwMtu, 1400u);
        EXPECT_EQ(row->dwAdminStatus, MIB_IF_ADMIN_STATUS_UP);
        EXPECT_EQ(row->dwOperStatus, MIB_IF_OPER_STATUS_OPERATIONAL);
        const auto lo = FindRow(rows, "lo");
        ASSERT_TRUE(lo);
        EXPECT_EQ(lo->dwAdminStatus, MIB_IF_ADMIN_STATUS_UP);
        EXPECT_EQ(lo->dwOperStatus, MIB_IF_OPER_STATUS_OPERATIONAL);

        ASSERT_TRUE(ns.Ip("link del cvtest1"));
        rows = ReadTable();
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(Name(rows[0]), "lo");
    });
    inside.join();
}

} // namespace
