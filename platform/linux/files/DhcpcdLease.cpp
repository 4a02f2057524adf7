#include "DhcpcdLease.h"

#include "CappedFile.h"
#include "Ipv4Text.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <optional>

namespace {

// The fixed part of a BOOTP message: op, htype, hlen, hops, xid, secs, flags,
// four addresses, chaddr, then the server name and boot file fields.
constexpr std::size_t YiaddrOffset = 16;
constexpr std::size_t SnameOffset = 44;
constexpr std::size_t SnameSize = 64;
constexpr std::size_t FileOffset = 108;
constexpr std::size_t FileSize = 128;
constexpr std::size_t CookieOffset = 236;
constexpr std::size_t OptionsOffset = 240;
constexpr unsigned char Cookie[4] = {99, 130, 83, 99};

constexpr unsigned char OptionPad = 0;
constexpr unsigned char OptionLeaseTime = 51;
constexpr unsigned char OptionServerIdentifier = 54;
constexpr unsigned char OptionOverload = 52;
constexpr unsigned char OptionEnd = 255;

constexpr std::uint32_t InfiniteLease = 0xFFFFFFFFu;

struct Scan {
    std::optional<Ipv4Bytes> server;
    std::optional<std::uint32_t> leaseTime;
    unsigned overload = 0;
};

// Walks one option area; a length running past the area ends it.
void ScanOptions(std::string_view area, Scan& scan)
{
    std::size_t i = 0;
    while (i < area.size()) {
        const auto code = static_cast<unsigned char>(area[i]);
        if (code == OptionPad) {
            ++i;
            continue;
        }
        if (code == OptionEnd || i + 1 >= area.size())
            return;
        const std::size_t length = static_cast<unsigned char>(area[i + 1]);
        if (i + 2 + length > area.size())
            return;
        const std::string_view data = area.substr(i + 2, length);
        if (code == OptionServerIdentifier && length == 4 && !scan.server) {
            Ipv4Bytes address;
            for (int k = 0; k < 4; ++k)
                address[k] = static_cast<std::uint8_t>(data[k]);
            scan.server = address;
        } else if (code == OptionLeaseTime && length == 4 && !scan.leaseTime) {
            std::uint32_t seconds = 0;
            for (int k = 0; k < 4; ++k)
                seconds = seconds << 8 | static_cast<unsigned char>(data[k]);
            scan.leaseTime = seconds;
        } else if (code == OptionOverload && length == 1) {
            scan.overload = static_cast<unsigned char>(data[0]) & 3;
        }
        i += 2 + length;
    }
}

// The options of the DHCP message in `bytes`; nothing when it is not one.
std::optional<Scan> ScanMessage(std::string_view bytes)
{
    if (bytes.size() < OptionsOffset)
        return std::nullopt;
    for (std::size_t k = 0; k < 4; ++k)
        if (static_cast<unsigned char>(bytes[CookieOffset + k]) != Cookie[k])
            return std::nullopt;
    Scan scan;
    ScanOptions(bytes.substr(OptionsOffset), scan);
    // Option overload: the boot file field (1), the server name field (2), or
    // both carry more options.
    const unsigned overload = scan.overload;
    if (overload & 1)
        ScanOptions(bytes.substr(FileOffset, FileSize), scan);
    if (overload & 2)
        ScanOptions(bytes.substr(SnameOffset, SnameSize), scan);
    return scan;
}

std::string ServerText(const Scan& scan)
{
    if (!scan.server || *scan.server == Ipv4Bytes{})
        return {};
    return Ipv4Text(*scan.server);
}

} // namespace

std::string DhcpcdServerFromLease(std::string_view bytes)
{
    const auto scan = ScanMessage(bytes);
    return scan ? ServerText(*scan) : std::string();
}

std::optional<std::string> DhcpcdServerInForce(std::string_view bytes, const std::vector<Ipv4Bytes>& held,
                                               std::time_t written, std::time_t now)
{
    const auto scan = ScanMessage(bytes);
    if (!scan)
        return std::nullopt;
    Ipv4Bytes address;
    for (std::size_t k = 0; k < 4; ++k)
        address[k] = static_cast<std::uint8_t>(bytes[YiaddrOffset + k]);
    if (std::find(held.begin(), held.end(), address) == held.end())
        return std::nullopt;
    if (scan->leaseTime && *scan->leaseTime != InfiniteLease
        && static_cast<std::int64_t>(written) + *scan->leaseTime <= static_cast<std::int64_t>(now))
        return std::nullopt;
    return ServerText(*scan);
}

std::vector<std::string> DhcpcdLeasePaths(const std::string& ifname)
{
    // An interface name with a slash could lead out of the directory.
    if (ifname.empty() || ifname.find('/') != std::string::npos || ifname == "." || ifname == "..")
        return {};
    return {
        "/var/lib/dhcpcd/" + ifname + ".lease",
        "/var/lib/dhcpcd/dhcpcd-" + ifname + ".lease",
        "/var/lib/dhcpcd5/dhcpcd-" + ifname + ".lease",
        "/var/db/dhcpcd/" + ifname + ".lease",
    };
}

std::optional<std::string> DhcpcdServerFromFiles(const std::vector<std::string>& paths,
                                                 const std::vector<Ipv4Bytes>& held, std::time_t now)
{
    for (const std::string& path : paths) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            continue;
        // A DHCP message is at most a few kilobytes.
        const auto bytes = ReadFileCapped(path, 64 * 1024);
        if (!bytes)
            continue;
        if (auto server = DhcpcdServerInForce(*bytes, held, st.st_mtime, now))
            return server;
    }
    return std::nullopt;
}
