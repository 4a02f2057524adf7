#include "Link.h"

#include "InterfaceType.h"

#include "platform/AnsiCodePage.h"

#include <cstring>

namespace {

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
    const bool operational = link.operState == IF_OPER_UP
        || (link.operState == IF_OPER_UNKNOWN && (link.flags & IFF_RUNNING));
    row.dwOperStatus = up && operational ? MIB_IF_OPER_STATUS_OPERATIONAL : MIB_IF_OPER_STATUS_NON_OPERATIONAL;
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
