#include "LinkTable.h"

#include "InterfaceType.h"

#include "platform/AnsiCodePage.h"

#include <net/if.h>

#include <linux/ethtool.h>
#include <linux/if.h>
#include <linux/if_arp.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sockios.h>

#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>

namespace {

// Room for the largest piece of a dump the kernel sends in one go (it caps
// them near 32 KiB); a longer message still makes the buffer grow.
constexpr std::size_t InitialBufferSize = 64 * 1024;

// A dump that keeps being disturbed by changing interfaces is tried again at
// once, at most this often in one read; after that the read gives up.
constexpr int MaxAttempts = 8;

// Enough words for every link-mode mask the kernel may ask for (it counts
// them in a signed byte).
constexpr int MaxLinkModeWords = 127;

// Decodes UTF-8, one code point at a time; a byte that starts no valid
// sequence becomes U+FFFD so that a strange name still shows.
class Utf8Reader {
public:
    Utf8Reader(const char* text, std::size_t length)
        : p_(reinterpret_cast<const unsigned char*>(text)), end_(p_ + length)
    {
    }

    bool Next(char32_t& cp)
    {
        if (p_ == end_)
            return false;
        const unsigned char b = *p_;
        int extra = 0;
        char32_t value = 0;
        char32_t min = 0;
        if (b < 0x80) {
            cp = b;
            ++p_;
            return true;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1;
            value = b & 0x1F;
            min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            value = b & 0x0F;
            min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            value = b & 0x07;
            min = 0x10000;
        } else {
            cp = 0xFFFD;
            ++p_;
            return true;
        }
        if (end_ - p_ <= extra) {
            cp = 0xFFFD;
            ++p_;
            return true;
        }
        for (int i = 1; i <= extra; ++i) {
            if ((p_[i] & 0xC0) != 0x80) {
                cp = 0xFFFD;
                ++p_;
                return true;
            }
            value = (value << 6) | (p_[i] & 0x3F);
        }
        if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            value = 0xFFFD;
        cp = value;
        p_ += extra + 1;
        return true;
    }

private:
    const unsigned char* p_;
    const unsigned char* end_;
};

void PutName(MIB_IFROW& row, const std::string& name)
{
    constexpr std::size_t limit = MAX_INTERFACE_NAME_LEN - 1;
    std::size_t n = 0;
    Utf8Reader reader(name.data(), name.size());
    char32_t cp;
    while (reader.Next(cp)) {
        if (cp >= 0x10000) {
            if (n + 2 > limit)
                break;
            cp -= 0x10000;
            row.wszName[n++] = static_cast<WCHAR>(0xD800 + (cp >> 10));
            row.wszName[n++] = static_cast<WCHAR>(0xDC00 + (cp & 0x3FF));
        } else {
            if (n + 1 > limit)
                break;
            row.wszName[n++] = static_cast<WCHAR>(cp);
        }
    }
    row.wszName[n] = 0;
}

void PutDescription(MIB_IFROW& row, const std::string& text)
{
    constexpr std::size_t limit = MAXLEN_IFDESCR - 1;
    std::size_t n = 0;
    Utf8Reader reader(text.data(), text.size());
    char32_t cp;
    while (n < limit && reader.Next(cp)) {
        const char c = cp < 0x10000 ? ToAnsi(QChar(static_cast<char16_t>(cp))) : '?';
        row.bDescr[n++] = static_cast<BYTE>(c);
    }
    row.dwDescrLen = static_cast<DWORD>(n);
}

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

enum class DumpResult {
    Done,
    Interrupted, // the set of interfaces changed while the kernel dumped it
    Truncated,   // a message did not fit the buffer, which is larger now
    Unsupported, // the kernel does not know the request
    Failed,
};

// Walks the attributes following a fixed header of `headerSize` bytes.
template <typename F>
bool ForEachAttribute(const nlmsghdr* h, std::size_t headerSize, F&& f)
{
    const std::size_t start = NLMSG_SPACE(headerSize);
    if (h->nlmsg_len < NLMSG_LENGTH(headerSize))
        return false;
    if (h->nlmsg_len <= start)
        return true;
    int left = static_cast<int>(h->nlmsg_len - start);
    for (auto* a = reinterpret_cast<const rtattr*>(reinterpret_cast<const char*>(h) + start);
         RTA_OK(a, left); a = RTA_NEXT(a, left))
        f(a);
    return true;
}

std::string AttributeString(const rtattr* a)
{
    const char* p = static_cast<const char*>(RTA_DATA(a));
    return std::string(p, strnlen(p, RTA_PAYLOAD(a)));
}

bool AttributeU32(const rtattr* a, std::uint32_t& v)
{
    if (RTA_PAYLOAD(a) < sizeof v)
        return false;
    std::memcpy(&v, RTA_DATA(a), sizeof v);
    return true;
}

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

DWORD Low32(std::uint64_t v)
{
    return static_cast<DWORD>(v);
}

} // namespace

struct LinkTable::Impl {
    ~Impl() { Close(); }

    enum class Outcome {
        Complete,
        Disturbed, // the interfaces kept changing while the kernel listed them
        Failed,    // the sockets or the kernel's answer went wrong
        Refused,   // the kernel does not know the request
    };
    Outcome Read(std::vector<MIB_IFROW>& rows);
    void Close();

    bool answered = false; // some read has completed

private:
    bool Open();
    bool OpenRequestSocket();
    bool DrainNotifications();
    void ForgetEverything();

    template <typename F>
    DumpResult Dump(nlmsghdr* request, F&& onMessage);
    DumpResult DumpLinks(std::vector<Link>* fresh, std::vector<Sample>* samples);
    DumpResult DumpStats(std::vector<Sample>& samples);

    void Commit(std::vector<Link>& fresh);
    void Describe(Link& link);
    void AskDriver(const std::string& name, DriverInfo& info);
    Link* Find(int index);
    bool MakeRows(std::vector<MIB_IFROW>& rows);

    int request_ = -1;     // dumps and ethtool questions
    int notify_ = -1;      // link changes told by the kernel
    std::uint32_t portId_ = 0;
    std::uint32_t seq_ = 0;
    std::vector<char> buffer_;

    // Until the counters dump proves unknown, counters come from it; after,
    // from the link dump.
    bool statsDump_ = true;
    bool linksStale_ = true;

    std::vector<Link> links_;                          // in the kernel's order
    std::vector<std::pair<int, std::uint32_t>> byIndex_; // ifindex -> links_ position
    std::size_t hint_ = 0;
    std::unordered_map<int, DriverInfo> drivers_;
    std::vector<Link> fresh_;
    std::vector<Sample> samples_;
    std::vector<MIB_IFROW> built_; // rows being made, handed over when whole
    std::uint32_t generation_ = 0;
};

LinkTable::LinkTable() : d(std::make_unique<Impl>()) {}

LinkTable::~LinkTable() = default;

bool LinkTable::Read(std::vector<MIB_IFROW>& rows)
{
    switch (d->Read(rows)) {
    case Impl::Outcome::Complete:
        d->answered = true;
        return true;
    case Impl::Outcome::Disturbed:
        // The kernel answers; it only cannot hold still long enough.
        return true;
    case Impl::Outcome::Failed:
        // Whatever went wrong, the next read starts on new sockets.
        d->Close();
        return d->answered;
    case Impl::Outcome::Refused:
        break;
    }
    d->Close();
    return false;
}

void LinkTable::Impl::Close()
{
    if (request_ >= 0)
        ::close(request_);
    if (notify_ >= 0)
        ::close(notify_);
    request_ = -1;
    notify_ = -1;
}

void LinkTable::Impl::ForgetEverything()
{
    linksStale_ = true;
    drivers_.clear();
}

bool LinkTable::Impl::OpenRequestSocket()
{
    if (request_ >= 0)
        ::close(request_);
    request_ = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (request_ < 0)
        return false;
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    if (::bind(request_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
        return false;
    socklen_t len = sizeof local;
    if (::getsockname(request_, reinterpret_cast<sockaddr*>(&local), &len) != 0
        || len != sizeof local || local.nl_family != AF_NETLINK)
        return false;
    portId_ = local.nl_pid;
    // The kernel answers a dump while we receive it; a silent kernel would
    // be a broken one, and the monitor must not hang on it.
    timeval timeout{2, 0};
    ::setsockopt(request_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    return true;
}

bool LinkTable::Impl::Open()
{
    if (request_ >= 0 && notify_ >= 0)
        return true;
    Close();
    if (buffer_.size() < InitialBufferSize)
        buffer_.resize(InitialBufferSize);
    // Listen before the first dump, so that no change between the two is lost.
    notify_ = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    if (notify_ < 0)
        return false;
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_LINK;
    if (::bind(notify_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
        return false;
    if (!OpenRequestSocket())
        return false;
    // Nothing heard while closed can be trusted to have been heard.
    ForgetEverything();
    return true;
}

bool LinkTable::Impl::DrainNotifications()
{
    for (;;) {
        sockaddr_nl from{};
        socklen_t fromLen = sizeof from;
        const ssize_t got = ::recvfrom(notify_, buffer_.data(), buffer_.size(), MSG_DONTWAIT | MSG_TRUNC,
                                       reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return true;
            if (errno == ENOBUFS) {
                // Changes were lost: whatever they were, read everything anew.
                ForgetEverything();
                continue;
            }
            return false;
        }
        if (from.nl_pid != 0)
            continue;
        if (static_cast<std::size_t>(got) > buffer_.size()) {
            ForgetEverything();
            buffer_.resize(static_cast<std::size_t>(got));
            continue;
        }
        int left = static_cast<int>(got);
        for (auto* h = reinterpret_cast<const nlmsghdr*>(buffer_.data()); NLMSG_OK(h, left);
             h = NLMSG_NEXT(h, left)) {
            if (h->nlmsg_type != RTM_NEWLINK && h->nlmsg_type != RTM_DELLINK)
                continue;
            linksStale_ = true;
            if (h->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg))) {
                drivers_.clear();
                continue;
            }
            ifinfomsg info;
            std::memcpy(&info, NLMSG_DATA(h), sizeof info);
            // Its speed or even its driver may have changed with it.
            drivers_.erase(info.ifi_index);
        }
    }
}

template <typename F>
DumpResult LinkTable::Impl::Dump(nlmsghdr* request, F&& onMessage)
{
    const std::uint32_t seq = ++seq_;
    request->nlmsg_seq = seq;
    request->nlmsg_pid = 0;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    ssize_t sent;
    do
        sent = ::sendto(request_, request, request->nlmsg_len, 0, reinterpret_cast<sockaddr*>(&kernel),
                        sizeof kernel);
    while (sent < 0 && errno == EINTR);
    if (sent != static_cast<ssize_t>(request->nlmsg_len))
        return DumpResult::Failed;

    bool interrupted = false;
    for (;;) {
        sockaddr_nl from{};
        iovec iov{buffer_.data(), buffer_.size()};
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        const ssize_t got = ::recvmsg(request_, &msg, MSG_TRUNC);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return DumpResult::Failed;
        }
        if ((msg.msg_flags & MSG_TRUNC) || static_cast<std::size_t>(got) > buffer_.size()) {
            buffer_.resize(std::max(buffer_.size() * 2, static_cast<std::size_t>(got)));
            return DumpResult::Truncated;
        }
        if (from.nl_pid != 0)
            continue;
        int left = static_cast<int>(got);
        const nlmsghdr* h = reinterpret_cast<const nlmsghdr*>(buffer_.data());
        for (; NLMSG_OK(h, left); h = NLMSG_NEXT(h, left)) {
            // Whatever is left of an earlier, abandoned request is not ours.
            if (h->nlmsg_seq != seq || h->nlmsg_pid != portId_)
                continue;
            if (h->nlmsg_flags & NLM_F_DUMP_INTR)
                interrupted = true;
            if (h->nlmsg_type == NLMSG_DONE) {
                int error = 0;
                if (h->nlmsg_len >= NLMSG_LENGTH(sizeof error))
                    std::memcpy(&error, NLMSG_DATA(h), sizeof error);
                if (error < 0)
                    return error == -EOPNOTSUPP || error == -EINVAL ? DumpResult::Unsupported : DumpResult::Failed;
                return interrupted ? DumpResult::Interrupted : DumpResult::Done;
            }
            if (h->nlmsg_type == NLMSG_ERROR) {
                nlmsgerr err;
                if (h->nlmsg_len < NLMSG_LENGTH(sizeof err))
                    return DumpResult::Failed;
                std::memcpy(&err, NLMSG_DATA(h), sizeof err);
                if (err.error == 0)
                    continue;
                if (err.error == -EOPNOTSUPP || err.error == -EINVAL)
                    return DumpResult::Unsupported;
                return DumpResult::Failed;
            }
            if (h->nlmsg_type == NLMSG_NOOP)
                continue;
            if (h->nlmsg_type == NLMSG_OVERRUN)
                return DumpResult::Failed;
            onMessage(h);
        }
        // A header that claims more than was received is no message of the kernel's.
        if (left >= static_cast<int>(sizeof(nlmsghdr)))
            return DumpResult::Failed;
    }
}

DumpResult LinkTable::Impl::DumpLinks(std::vector<Link>* fresh, std::vector<Sample>* samples)
{
    struct {
        nlmsghdr h;
        ifinfomsg info;
    } request;
    std::memset(&request, 0, sizeof request);
    request.h.nlmsg_len = NLMSG_LENGTH(sizeof request.info);
    request.h.nlmsg_type = RTM_GETLINK;
    request.h.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.info.ifi_family = AF_UNSPEC;
    if (fresh)
        fresh->clear();
    if (samples)
        samples->clear();

    return Dump(&request.h, [&](const nlmsghdr* h) {
        if (h->nlmsg_type != RTM_NEWLINK || h->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg)))
            return;
        ifinfomsg info;
        std::memcpy(&info, NLMSG_DATA(h), sizeof info);
        if (info.ifi_index <= 0)
            return;

        if (!fresh) {
            // Only the counters are new; everything else is in the cache.
            Sample& s = samples->emplace_back();
            s.index = info.ifi_index;
            s.counters = Counters{};
            bool have64 = false;
            ForEachAttribute(h, sizeof(ifinfomsg), [&](const rtattr* a) {
                if (a->rta_type == IFLA_STATS64) {
                    ReadCounters<rtnl_link_stats64>(a, s.counters);
                    have64 = true;
                } else if (a->rta_type == IFLA_STATS && !have64) {
                    ReadCounters<rtnl_link_stats>(a, s.counters);
                }
            });
            return;
        }

        Link link;
        link.index = info.ifi_index;
        link.hwType = info.ifi_type;
        link.flags = info.ifi_flags;
        Sample sample{};
        sample.index = info.ifi_index;
        bool have64 = false;
        ForEachAttribute(h, sizeof(ifinfomsg), [&](const rtattr* a) {
            switch (a->rta_type) {
            case IFLA_IFNAME:
                link.name = AttributeString(a);
                break;
            case IFLA_MTU:
                AttributeU32(a, link.mtu);
                break;
            case IFLA_ADDRESS:
                link.addrLen = static_cast<std::uint32_t>(std::min<std::size_t>(RTA_PAYLOAD(a), MAXLEN_PHYSADDR));
                std::memcpy(link.addr, RTA_DATA(a), link.addrLen);
                break;
            case IFLA_OPERSTATE:
                if (RTA_PAYLOAD(a) >= 1)
                    link.operState = *static_cast<const std::uint8_t*>(RTA_DATA(a));
                break;
            case IFLA_LINKINFO: {
                int left = static_cast<int>(RTA_PAYLOAD(a));
                for (auto* n = static_cast<const rtattr*>(RTA_DATA(a)); RTA_OK(n, left); n = RTA_NEXT(n, left))
                    if (n->rta_type == IFLA_INFO_KIND)
                        link.kind = AttributeString(n);
                break;
            }
            case IFLA_STATS64:
                ReadCounters<rtnl_link_stats64>(a, sample.counters);
                have64 = true;
                break;
            case IFLA_STATS:
                if (!have64)
                    ReadCounters<rtnl_link_stats>(a, sample.counters);
                break;
            default:
                break;
            }
        });
        fresh->push_back(std::move(link));
        if (samples)
            samples->push_back(sample);
    });
}

DumpResult LinkTable::Impl::DumpStats(std::vector<Sample>& samples)
{
    struct {
        nlmsghdr h;
        if_stats_msg msg;
    } request;
    std::memset(&request, 0, sizeof request);
    request.h.nlmsg_len = NLMSG_LENGTH(sizeof request.msg);
    request.h.nlmsg_type = RTM_GETSTATS;
    request.h.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.msg.family = AF_UNSPEC;
    request.msg.filter_mask = IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64);
    samples.clear();

    return Dump(&request.h, [&](const nlmsghdr* h) {
        if (h->nlmsg_type != RTM_NEWSTATS || h->nlmsg_len < NLMSG_LENGTH(sizeof(if_stats_msg)))
            return;
        if_stats_msg msg;
        std::memcpy(&msg, NLMSG_DATA(h), sizeof msg);
        if (msg.ifindex == 0 || msg.ifindex > 0x7FFFFFFF)
            return;
        Sample& s = samples.emplace_back();
        s.index = static_cast<int>(msg.ifindex);
        s.counters = Counters{};
        ForEachAttribute(h, sizeof(if_stats_msg), [&](const rtattr* a) {
            if (a->rta_type == IFLA_STATS_LINK_64)
                ReadCounters<rtnl_link_stats64>(a, s.counters);
        });
    });
}

void LinkTable::Impl::AskDriver(const std::string& name, DriverInfo& info)
{
    info = DriverInfo{};
    if (name.empty() || name.size() >= IFNAMSIZ)
        return;
    ifreq ifr;
    std::memset(&ifr, 0, sizeof ifr);
    std::memcpy(ifr.ifr_name, name.data(), name.size());

    std::uint64_t mbps = 0;
    bool known = false;

    // The link settings come in two steps: the kernel first tells how many
    // words its link-mode masks take, then answers a request of that size.
    alignas(ethtool_link_settings) unsigned char settingsBuffer[sizeof(ethtool_link_settings)
                                                                + 3 * MaxLinkModeWords * sizeof(std::uint32_t)];
    auto* settings = reinterpret_cast<ethtool_link_settings*>(settingsBuffer);
    std::memset(settingsBuffer, 0, sizeof settingsBuffer);
    settings->cmd = ETHTOOL_GLINKSETTINGS;
    ifr.ifr_data = reinterpret_cast<char*>(settings);
    if (::ioctl(request_, SIOCETHTOOL, &ifr) == 0 && settings->link_mode_masks_nwords < 0) {
        const int words = -settings->link_mode_masks_nwords;
        if (words <= MaxLinkModeWords) {
            std::memset(settingsBuffer, 0, sizeof settingsBuffer);
            settings->cmd = ETHTOOL_GLINKSETTINGS;
            settings->link_mode_masks_nwords = static_cast<std::int8_t>(words);
            if (::ioctl(request_, SIOCETHTOOL, &ifr) == 0 && settings->link_mode_masks_nwords == words) {
                known = true;
                mbps = settings->speed;
            }
        }
    }
    if (!known) {
        ethtool_cmd cmd;
        std::memset(&cmd, 0, sizeof cmd);
        cmd.cmd = ETHTOOL_GSET;
        ifr.ifr_data = reinterpret_cast<char*>(&cmd);
        if (::ioctl(request_, SIOCETHTOOL, &ifr) == 0) {
            known = true;
            mbps = ethtool_cmd_speed(&cmd);
        }
    }
    if (known && mbps != static_cast<std::uint32_t>(SPEED_UNKNOWN) && mbps != 0)
        info.speed = static_cast<DWORD>(std::min<std::uint64_t>(mbps * 1000000u, 0xFFFFFFFFu));

    ethtool_drvinfo drv;
    std::memset(&drv, 0, sizeof drv);
    drv.cmd = ETHTOOL_GDRVINFO;
    ifr.ifr_data = reinterpret_cast<char*>(&drv);
    if (::ioctl(request_, SIOCETHTOOL, &ifr) == 0)
        info.driver.assign(drv.driver, strnlen(drv.driver, sizeof drv.driver));
}

void LinkTable::Impl::Describe(Link& link)
{
    auto it = drivers_.find(link.index);
    if (it == drivers_.end()) {
        DriverInfo info;
        AskDriver(link.name, info);
        it = drivers_.emplace(link.index, std::move(info)).first;
    }
    const DriverInfo& driver = it->second;

    MIB_IFROW& row = link.row;
    std::memset(&row, 0, sizeof row);
    PutName(row, link.name);
    row.dwIndex = static_cast<DWORD>(link.index);
    row.dwType = InterfaceType(link.hwType, link.name, link.kind);
    row.dwMtu = link.mtu;
    row.dwSpeed = driver.speed;
    row.dwPhysAddrLen = link.addrLen;
    std::memcpy(row.bPhysAddr, link.addr, link.addrLen);
    const bool up = link.flags & IFF_UP;
    row.dwAdminStatus = up ? MIB_IF_ADMIN_STATUS_UP : MIB_IF_ADMIN_STATUS_DOWN;
    // Loopback and many virtual devices never claim "up" and say "unknown"
    // instead; for them a carrier is as good.
    const bool operational = link.operState == IF_OPER_UP
        || (link.operState == IF_OPER_UNKNOWN && (link.flags & IFF_RUNNING));
    row.dwOperStatus = up && operational ? MIB_IF_OPER_STATUS_OPERATIONAL : MIB_IF_OPER_STATUS_NON_OPERATIONAL;
    row.dwLastChange = 0;
    PutDescription(row, driver.driver.empty() ? link.name : driver.driver);
}

void LinkTable::Impl::Commit(std::vector<Link>& fresh)
{
    for (Link& link : fresh)
        Describe(link);
    links_.swap(fresh);
    fresh.clear();

    byIndex_.clear();
    byIndex_.reserve(links_.size());
    for (std::size_t i = 0; i < links_.size(); ++i)
        byIndex_.emplace_back(links_[i].index, static_cast<std::uint32_t>(i));
    std::sort(byIndex_.begin(), byIndex_.end());
    hint_ = 0;

    // Interfaces gone without a word (lost notifications) take their driver
    // answers with them.
    for (auto it = drivers_.begin(); it != drivers_.end();) {
        if (std::binary_search(byIndex_.begin(), byIndex_.end(), std::make_pair(it->first, std::uint32_t{0}),
                               [](const auto& a, const auto& b) { return a.first < b.first; }))
            ++it;
        else
            it = drivers_.erase(it);
    }
}

Link* LinkTable::Impl::Find(int index)
{
    // Both dumps walk the interfaces in the same order, so the next link is
    // nearly always the one after the last.
    if (hint_ < links_.size() && links_[hint_].index == index)
        return &links_[hint_++];
    auto it = std::lower_bound(byIndex_.begin(), byIndex_.end(), index,
                               [](const std::pair<int, std::uint32_t>& e, int i) { return e.first < i; });
    if (it == byIndex_.end() || it->first != index)
        return nullptr;
    hint_ = it->second + 1;
    return &links_[it->second];
}

bool LinkTable::Impl::MakeRows(std::vector<MIB_IFROW>& rows)
{
    built_.clear();
    hint_ = 0;
    if (++generation_ == 0) {
        for (Link& link : links_)
            link.seen = 0;
        generation_ = 1;
    }
    for (const Sample& sample : samples_) {
        Link* link = Find(sample.index);
        if (!link)
            return false;
        if (link->seen == generation_)
            continue;
        link->seen = generation_;
        built_.push_back(link->row);
        MIB_IFROW& row = built_.back();
        const Counters& c = sample.counters;
        row.dwInOctets = Low32(c.rxBytes);
        row.dwInUcastPkts = Low32(c.rxPackets > c.multicast ? c.rxPackets - c.multicast : 0);
        row.dwInNUcastPkts = Low32(c.multicast);
        row.dwInDiscards = Low32(c.rxDropped);
        row.dwInErrors = Low32(c.rxErrors);
        row.dwInUnknownProtos = Low32(c.rxNoHandler);
        row.dwOutOctets = Low32(c.txBytes);
        row.dwOutUcastPkts = Low32(c.txPackets);
        row.dwOutNUcastPkts = 0;
        row.dwOutDiscards = Low32(c.txDropped);
        row.dwOutErrors = Low32(c.txErrors);
        row.dwOutQLen = 0;
    }
    rows.swap(built_);
    return true;
}

LinkTable::Impl::Outcome LinkTable::Impl::Read(std::vector<MIB_IFROW>& rows)
{
    if (!Open() || !DrainNotifications())
        return Outcome::Failed;

    for (int attempt = 0; attempt < MaxAttempts; ++attempt) {
        DumpResult result;
        if (statsDump_) {
            if (linksStale_) {
                result = DumpLinks(&fresh_, nullptr);
                if (result == DumpResult::Done || result == DumpResult::Interrupted) {
                    // Even a disturbed dump is closer to the truth than what
                    // we had; it is looked at again until one comes out whole.
                    Commit(fresh_);
                    linksStale_ = result == DumpResult::Interrupted;
                    if (linksStale_)
                        continue;
                } else if (result == DumpResult::Truncated) {
                    if (!OpenRequestSocket())
                        return Outcome::Failed;
                    continue;
                } else {
                    return result == DumpResult::Unsupported ? Outcome::Refused : Outcome::Failed;
                }
            }
            result = DumpStats(samples_);
            if (result == DumpResult::Unsupported) {
                statsDump_ = false;
                continue;
            }
        } else {
            const bool rebuild = linksStale_;
            result = DumpLinks(rebuild ? &fresh_ : nullptr, &samples_);
            if (rebuild && (result == DumpResult::Done || result == DumpResult::Interrupted)) {
                Commit(fresh_);
                linksStale_ = result == DumpResult::Interrupted;
            }
        }

        switch (result) {
        case DumpResult::Done:
            if (MakeRows(rows))
                return Outcome::Complete;
            // The kernel named an interface that came after our last look.
            linksStale_ = true;
            break;
        case DumpResult::Interrupted:
            break;
        case DumpResult::Truncated:
            if (!OpenRequestSocket())
                return Outcome::Failed;
            break;
        case DumpResult::Unsupported:
            return Outcome::Refused;
        case DumpResult::Failed:
            return Outcome::Failed;
        }
    }
    // The interfaces change faster than they can be listed. A disturbed list
    // may name one twice or miss one; rather than show that, this read gives
    // nothing and the caller keeps what it had.
    return Outcome::Disturbed;
}
