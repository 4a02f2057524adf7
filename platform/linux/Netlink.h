// The rtnetlink pieces the interface table and the network parameters share:
// a socket for dump requests, one dump received whole, and the walk over a
// message's attributes.
#pragma once

#include <linux/netlink.h>
#include <linux/rtnetlink.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace netlink {

// Room for the largest piece of a dump the kernel sends in one go (it caps
// them near 32 KiB); a longer message still makes the buffer grow.
constexpr std::size_t InitialBufferSize = 64 * 1024;

// A NETLINK_ROUTE socket bound to a port of its own, whose receives give up
// after `timeoutSeconds` (a silent kernel would be a broken one, and the
// monitor must not hang on it). -1 when it cannot be made; `portId` is the
// port the kernel answers to.
int OpenDumpSocket(int timeoutSeconds, std::uint32_t& portId);

enum class DumpResult {
    Done,
    Interrupted, // the set of objects changed while the kernel dumped it
    Truncated,   // a message did not fit the buffer, which is larger now
    Unsupported, // the kernel does not know the request
    Failed,
};

// Sends `request` (a dump request; its sequence number is set to `seq`) on
// `fd` and hands each message of the answer to `onMessage(context, message)`,
// until the kernel says the dump is done. Messages of other requests or other
// senders are skipped. `buffer` holds at least one datagram and grows when
// one did not fit.
DumpResult Dump(int fd, std::uint32_t portId, std::uint32_t seq, nlmsghdr* request, std::vector<char>& buffer,
                void* context, void (*onMessage)(void* context, const nlmsghdr* message));

// The same with anything callable with each message.
template <typename F>
DumpResult Dump(int fd, std::uint32_t portId, std::uint32_t seq, nlmsghdr* request, std::vector<char>& buffer,
                F&& onMessage)
{
    using Handler = std::remove_reference_t<F>;
    return Dump(fd, portId, seq, request, buffer, &onMessage,
                [](void* context, const nlmsghdr* h) { (*static_cast<Handler*>(context))(h); });
}

// Walks the attributes following a fixed header of `headerSize` bytes. False
// when the message is too short to hold the header.
template <typename F>
bool ForEachAttribute(const nlmsghdr* h, std::size_t headerSize, F&& f)
{
    const std::size_t start = NLMSG_SPACE(headerSize);
    if (h->nlmsg_len < NLMSG_LENGTH(headerSize))
        return false;
    if (h->nlmsg_len <= start)
        return true;
    int left = static_cast<int>(h->nlmsg_len - start);
    for (auto* a = reinterpret_cast<const rtattr*>(reinterpret_cast<const char*>(h) + start); RTA_OK(a, left);
         a = RTA_NEXT(a, left))
        f(a);
    return true;
}

// Walks the attributes nested in attribute `a`.
template <typename F>
void ForEachNested(const rtattr* a, F&& f)
{
    int left = static_cast<int>(RTA_PAYLOAD(a));
    for (auto* n = static_cast<const rtattr*>(RTA_DATA(a)); RTA_OK(n, left); n = RTA_NEXT(n, left))
        f(n);
}

// The text of a string attribute, up to its terminating zero if it has one.
inline std::string AttributeText(const rtattr* a)
{
    const char* p = static_cast<const char*>(RTA_DATA(a));
    return std::string(p, ::strnlen(p, RTA_PAYLOAD(a)));
}

// The value of a fixed-size attribute; false, and `value` untouched, when
// the attribute is shorter.
template <typename T>
bool AttributeValue(const rtattr* a, T& value)
{
    static_assert(std::is_trivially_copyable_v<T>);
    if (RTA_PAYLOAD(a) < sizeof value)
        return false;
    std::memcpy(&value, RTA_DATA(a), sizeof value);
    return true;
}

} // namespace netlink
