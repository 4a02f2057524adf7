#include "NetworkdLease.h"

#include "CappedFile.h"
#include "Ipv4Text.h"

#include <algorithm>

namespace {

std::string_view Trim(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The value of the first line setting `key`, as written; "" without one.
std::string_view ValueOf(std::string_view text, std::string_view key)
{
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        line = Trim(line);
        if (line.empty() || line.front() == '#')
            continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || Trim(line.substr(0, eq)) != key)
            continue;
        std::string_view value = Trim(line.substr(eq + 1));
        // systemd's env-file format allows the value in quotes.
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
            && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return value;
    }
    return {};
}

} // namespace

std::string NetworkdServerFromLease(std::string_view text)
{
    return CanonicalIpv4(ValueOf(text, "SERVER_ADDRESS"));
}

std::string NetworkdAddressFromLease(std::string_view text)
{
    return CanonicalIpv4(ValueOf(text, "ADDRESS"));
}

std::string NetworkdLeasePath(int ifindex)
{
    return "/run/systemd/netif/leases/" + std::to_string(ifindex);
}

std::optional<std::string> NetworkdServerFromFile(const std::string& path, const std::vector<Ipv4Bytes>& held)
{
    const auto text = ReadFileCapped(path);
    if (!text)
        return std::nullopt;
    const auto address = ParseIpv4(NetworkdAddressFromLease(*text));
    if (!address || std::find(held.begin(), held.end(), *address) == held.end())
        return std::nullopt;
    return NetworkdServerFromLease(*text);
}
