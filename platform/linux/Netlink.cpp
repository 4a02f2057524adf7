#include "Netlink.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace netlink {

int OpenDumpSocket(int timeoutSeconds, std::uint32_t& portId)
{
    const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0)
        return -1;
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    socklen_t len = sizeof local;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &len) != 0 || len != sizeof local
        || local.nl_family != AF_NETLINK) {
        ::close(fd);
        return -1;
    }
    portId = local.nl_pid;
    timeval timeout{timeoutSeconds, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    return fd;
}

DumpResult Dump(int fd, std::uint32_t portId, std::uint32_t seq, nlmsghdr* request, std::vector<char>& buffer,
                void* context, void (*onMessage)(void* context, const nlmsghdr* message))
{
    request->nlmsg_seq = seq;
    request->nlmsg_pid = 0;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    ssize_t sent;
    do
        sent =
            ::sendto(fd, request, request->nlmsg_len, 0, reinterpret_cast<sockaddr*>(&kernel), sizeof kernel);
    while (sent < 0 && errno == EINTR);
    if (sent != static_cast<ssize_t>(request->nlmsg_len))
        return DumpResult::Failed;

    bool interrupted = false;
    for (;;) {
        sockaddr_nl from{};
        iovec iov{buffer.data(), buffer.size()};
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        const ssize_t got = ::recvmsg(fd, &msg, MSG_TRUNC);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return DumpResult::Failed;
        }
        if ((msg.msg_flags & MSG_TRUNC) || static_cast<std::size_t>(got) > buffer.size()) {
            buffer.resize(std::max(buffer.size() * 2, static_cast<std::size_t>(got)));
            return DumpResult::Truncated;
        }
        if (from.nl_pid != 0)
            continue;
        int left = static_cast<int>(got);
        const nlmsghdr* h = reinterpret_cast<const nlmsghdr*>(buffer.data());
        for (; NLMSG_OK(h, left); h = NLMSG_NEXT(h, left)) {
            // Whatever is left of an earlier, abandoned request is not ours.
            if (h->nlmsg_seq != seq || h->nlmsg_pid != portId)
                continue;
            if (h->nlmsg_flags & NLM_F_DUMP_INTR)
                interrupted = true;
            if (h->nlmsg_type == NLMSG_DONE) {
                int error = 0;
                if (h->nlmsg_len >= NLMSG_LENGTH(sizeof error))
                    std::memcpy(&error, NLMSG_DATA(h), sizeof error);
                if (error < 0)
                    return error == -EOPNOTSUPP || error == -EINVAL ? DumpResult::Unsupported
                                                                    : DumpResult::Failed;
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
            onMessage(context, h);
        }
        // A header that claims more than was received is no message of the kernel's.
        if (left >= static_cast<int>(sizeof(nlmsghdr)))
            return DumpResult::Failed;
    }
}

} // namespace netlink
