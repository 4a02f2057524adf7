#include "Link.h"

#include "InterfaceType.h"

#include "platform/AnsiCodePage.h"

#include <QString>

#include <cstring>

namespace {

// The kernel's names and the drivers' are UTF-8; a byte that is not becomes
// U+FFFD, so that a strange name still shows.
void PutName(MIB_IFROW& row, const std::string& name)
{
    constexpr qsizetype limit = MAX_INTERFACE_NAME_LEN - 1;
    const QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    // Cut before a character that does not fit whole, never inside a pair.
    qsizetype n = 0;
    while (n < text.size()) {
        const qsizetype units = text[n].isHighSurrogate() ? 2 : 1;
        if (n + units > limit)
            break;
        n += units;
    }
    std::memcpy(row.wszName, text.utf16(), static_cast<std::size_t>(n) * sizeof(WCHAR));
    row.wszName[n] = 0;
}

// The description in the single-byte code page: a character beyond it,
// one of a surrogate pair too, becomes '?'.
void PutDescription(MIB_IFROW& row, const std::string& text)
{
    constexpr std::size_t limit = MAXLEN_IFDESCR - 1;
    const QString decoded = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    std::size_t n = 0;
    for (qsizetype i = 0; n < limit && i < decoded.size(); ++i) {
        const QChar c = decoded[i];
        if (c.isHighSurrogate())
            ++i;
        row.bDescr[n++] = static_cast<BYTE>(c.isSurrogate() ? '?' : ToAnsi(c));
    }
    row.dwDescrLen = static_cast<DWORD>(n);
}

DWORD Low32(std::uint64_t v)
{
    return static_cast<DWORD>(v);
}

} // namespace

void DescribeRow(Link& link, const DriverInfo& driver)
{
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
    const bool operational =
        link.operState == IF_OPER_UP || (link.operState == IF_OPER_UNKNOWN && (link.flags & IFF_RUNNING));
    row.dwOperStatus =
        up && operational ? MIB_IF_OPER_STATUS_OPERATIONAL : MIB_IF_OPER_STATUS_NON_OPERATIONAL;
    row.dwLastChange = 0;
    PutDescription(row, driver.driver.empty() ? link.name : driver.driver);
}

void PutCounters(MIB_IFROW& row, const Counters& c)
{
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
