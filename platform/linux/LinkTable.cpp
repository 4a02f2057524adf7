#include "LinkTable.h"

#include "Link.h"
#include "Netlink.h"

#include <linux/if_link.h>
#include <linux/rtnetlink.h>

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <utility>

using netlink::DumpResult;

namespace {

// A dump that keeps being disturbed by changing interfaces is tried again at
// once, at most this often in one read; after that the read gives up.
constexpr int MaxAttempts = 8;

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
    Link* Find(int index);
    bool MakeRows(std::vector<MIB_IFROW>& rows);

    int request_ = -1; // dumps and ethtool questions
    int notify_ = -1;  // link changes told by the kernel
    std::uint32_t portId_ = 0;
    std::uint32_t seq_ = 0;
    std::vector<char> buffer_;

    // Until the counters dump proves unknown, counters come from it; after,
    // from the link dump.
    bool statsDump_ = true;
    bool linksStale_ = true;

    std::vector<Link> links_;                            // in the kernel's order
    std::vector<std::pair<int, std::uint32_t>> byIndex_; // ifindex -> links_ position
    std::size_t hint_ = 0;
    std::unordered_map<int, DriverInfo> drivers_;
    std::vector<Link> fresh_;
    std::vector<Sample> samples_;
    std::vector<MIB_IFROW> built_; // rows being made, handed over when whole
    std::uint32_t generation_ = 0;
};

LinkTable::LinkTable() : d(std::make_unique<Impl>())
{
}

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
    request_ = netlink::OpenDumpSocket(2, portId_);
    return request_ >= 0;
}

template <typename F>
DumpResult LinkTable::Impl::Dump(nlmsghdr* request, F&& onMessage)
{
    return netlink::Dump(request_, portId_, ++seq_, request, buffer_, onMessage);
}

bool LinkTable::Impl::Open()
{
    if (request_ >= 0 && notify_ >= 0)
        return true;
    Close();
    if (buffer_.size() < netlink::InitialBufferSize)
        buffer_.resize(netlink::InitialBufferSize);
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
        Sample sample{};
        if (!fresh) {
            // Only the counters are new; everything else is in the cache.
            if (ReadLinkMessage(h, nullptr, sample))
                samples->push_back(sample);
            return;
        }
        Link link;
        if (!ReadLinkMessage(h, &link, sample))
            return;
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
        Sample sample;
        if (ReadStatsMessage(h, sample))
            samples.push_back(sample);
    });
}

void LinkTable::Impl::Describe(Link& link)
{
    auto it = drivers_.find(link.index);
    if (it == drivers_.end())
        it = drivers_.emplace(link.index, AskDriver(request_, link.name)).first;
    DescribeRow(link, it->second);
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
        PutCounters(row, sample.counters);
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
