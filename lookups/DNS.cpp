#include "DNS.h"

#include "TrimAtNull.h"
#include "platform/AnsiCodePage.h"
#include "platform/IpHlpApi.h"
#include "platform/Kernel32.h"
#include "ui/details.h"

#include <vector>

DnsLookup DNS;

void DnsLookup::DNS()
{
    details::Instance().dnss->Caption(GetDnsServers());
}

QString DnsLookup::GetDnsServers()
{
    ULONG size = 0;
    GetNetworkParams(nullptr, &size);
    if (static_cast<LONG>(size) <= 0)
        return QString();
    // Never less than the record itself, whatever size was reported.
    std::vector<BYTE> buffer(std::max<std::size_t>(size, sizeof(FIXED_INFO)));
    if (GetNetworkParams(reinterpret_cast<FIXED_INFO*>(buffer.data()), &size) != 0)
        return QString();
    FIXED_INFO info;
    RtlMoveMemory(&info, buffer.data(), sizeof info);
    const IP_ADDR_STRING& first = info.DnsServerList;
    return TrimAtNull(FromAnsi(first.IpAddress.String, sizeof first.IpAddress.String));
}
