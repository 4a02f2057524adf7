#include "DHCP.h"

#include "TrimAtNull.h"
#include "platform/AnsiCodePage.h"
#include "platform/IpHlpApi.h"
#include "platform/Kernel32.h"
#include "ui/details.h"

#include <set>
#include <vector>

DhcpLookup DHCP;

namespace {

// Whether a record of `size` bytes at `p` lies wholly inside the buffer.
bool Inside(const std::vector<BYTE>& buffer, const void* p, std::size_t size)
{
    const auto at = reinterpret_cast<std::uintptr_t>(p);
    const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data());
    return at >= begin && size <= buffer.size() && at - begin <= buffer.size() - size;
}

} // namespace

void DhcpLookup::DHCP()
{
    details::Instance().ds->Caption(GetDhcpServer());
}

QString DhcpLookup::GetDhcpServer()
{
    ULONG size = 0;
    GetAdaptersInfo(nullptr, &size);
    if (static_cast<LONG>(size) <= 0)
        return QString();
    std::vector<BYTE> buffer(size);
    if (GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size) != 0)
        return QString();

    QString result;
    bool found = false;
    // The pointers come from the services; one that leads out of the buffer
    // or back to a record already seen ends the walk.
    std::set<const void*> seen;
    const BYTE* p = buffer.data();
    while (p && !found) {
        if (!Inside(buffer, p, sizeof(IP_ADAPTER_INFO)) || !seen.insert(p).second)
            break;
        IP_ADAPTER_INFO adapter;
        RtlMoveMemory(&adapter, p, sizeof adapter);
        if (adapter.DhcpEnabled != 0) {
            IP_ADDR_STRING server = adapter.DhcpServer;
            for (;;) {
                result = TrimAtNull(FromAnsi(server.IpAddress.String, sizeof server.IpAddress.String));
                if (!result.isEmpty()) {
                    found = true;
                    break;
                }
                const IP_ADDR_STRING* next = server.Next;
                if (!next || !Inside(buffer, next, sizeof(IP_ADDR_STRING)) || !seen.insert(next).second)
                    break;
                RtlMoveMemory(&server, next, sizeof server);
            }
        }
        p = reinterpret_cast<const BYTE*>(adapter.Next);
    }
    return result;
}
