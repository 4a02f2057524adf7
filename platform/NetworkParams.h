// The network parameters as they stand in a caller's buffer: the record
// first, then the DNS entries after the first one, which the record's own
// entry chains to.
#pragma once

#include "IpHlpApi.h"

#include <cstring>
#include <vector>

inline std::size_t NetworkParamsSize(std::size_t servers)
{
    return sizeof(FIXED_INFO) + (servers > 1 ? servers - 1 : 0) * sizeof(IP_ADDR_STRING);
}

// Writes `info` with `servers` (their Next fields are set here) at `base`,
// which holds NetworkParamsSize(servers.size()) bytes.
inline void PutNetworkParams(BYTE* base, FIXED_INFO info, std::vector<IP_ADDR_STRING> servers)
{
    const auto entryAt = [base](std::size_t i) {
        return base + sizeof(FIXED_INFO) + (i - 1) * sizeof(IP_ADDR_STRING);
    };
    for (std::size_t i = 0; i < servers.size(); ++i) {
        servers[i].Next =
            i + 1 < servers.size() ? reinterpret_cast<IP_ADDR_STRING*>(entryAt(i + 1)) : nullptr;
        if (i == 0)
            info.DnsServerList = servers[i];
        else
            std::memcpy(entryAt(i), &servers[i], sizeof servers[i]);
    }
    if (!servers.empty())
        info.CurrentDnsServer = reinterpret_cast<IP_ADDR_STRING*>(base + offsetof(FIXED_INFO, DnsServerList));
    std::memcpy(base, &info, sizeof info);
}
