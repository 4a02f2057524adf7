#include "DhcpcdLease.h"

#include "CappedFile.h"
#include "Ipv4Text.h"

#include <cstdint>
#include <optional>

namespace {

// The fixed part of a BOOTP message: op, htype, hlen, hops, xid, secs, flags,
// four addresses, chaddr, then the server name and boot file fields.
constexpr std::size_t SnameOffset = 44;
constexpr std::size_t SnameSize = 64;
constexpr std::size_t FileOffset = 108;
constexpr std::size_t FileSize = 128;
constexpr std::size_t CookieOffset = 236;
constexpr std::size_t OptionsOffset = 240;
constexpr unsigned char Cookie[4] = {99, 130, 83, 99};

constexpr unsigned char OptionPad = 0;
constexpr unsigned char OptionServerIdentifier = 54;
constexpr unsigned char OptionOverload = 52;
constexpr unsigned char OptionEnd = 255;

struct Scan {
    std::optional<Ipv4Bytes> server;
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
        } else if (code == OptionOverload && length == 1) {
            scan.overload = static_cast<unsigned char>(data[0]) & 3;
        }
        i += 2 + length;
    }
}

} // namespace

std::string DhcpcdServerFromLease(std::string_view bytes)
{
    if (bytes.size() < OptionsOffset)
        return {};
    for (std::size_t k = 0; k < 4; ++k)
        if (static_cast<unsigned char>(bytes[CookieOffset + k]) != Cookie[k])
            return {};
    Scan scan;
    ScanOptions(bytes.substr(OptionsOffset), scan);
    // Option overload: the boot file field (1), the server name field (2), or
    // both carry more options.
    if (!scan.server && (scan.overload & 1))
        ScanOptions(bytes.substr(FileOffset, FileSize), scan);
    if (!scan.server && (scan.overload & 2))
        ScanOptions(bytes.substr(SnameOffset, SnameSize), scan);
    if (!scan.server || *scan.server == Ipv4Bytes{})
        return {};
    return Ipv4Text(*scan.server);
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

std::string DhcpcdServerFromFiles(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths) {
        // A DHCP message is at most a few kilobytes.
        const auto bytes = ReadFileCapped(path, 64 * 1024);
        if (!bytes)
            continue;
        std::string server = DhcpcdServerFromLease(*bytes);
        if (!server.empty())
            return server;
    }
    return {};
}
