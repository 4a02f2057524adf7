// Small pieces the socket, NetBIOS and adapter services of the Linux back
// end share.
#pragma once

#include "NetConfig.h"

#include <net/if.h>

#include <linux/if_arp.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

namespace netservices {

// `text` in a fixed field, cut to leave room for the closing zero; the rest
// of the field zeroed.
template <std::size_t N>
void PutText(char (&field)[N], const std::string& text)
{
    const std::size_t n = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, N - n);
}

inline bool IsLoopbackLink(const netconfig::Link& link)
{
    return link.type == ARPHRD_LOOPBACK || (link.flags & IFF_LOOPBACK);
}

} // namespace netservices
