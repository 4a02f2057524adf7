// The resolver's settings from resolv.conf: its IPv4 name servers in order and
// the local domain.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct ResolverSettings {
    std::vector<std::string> nameservers; // dotted IPv4 addresses, in file order
    std::string domain;                   // the "domain" name, else the first "search" domain
};

// What the text of a resolv.conf file says; IPv6 servers and lines that are
// not understood are left out.
ResolverSettings ParseResolvConf(std::string_view text);

// The first IPv4 name server of the text, or "".
std::string FirstNameserver(std::string_view text);

// Whether every server in the list is one of systemd-resolved's local stubs
// (127.0.0.53, 127.0.0.54), behind which the real servers are hidden. False
// for an empty list.
bool OnlyResolvedStubs(const std::vector<std::string>& nameservers);

// The settings of the file at `path`, read up to the usual cap; empty when
// it is missing.
ResolverSettings ReadResolvConf(const std::string& path);

// This machine's settings: /etc/resolv.conf, or, where that only names the
// stubs of systemd-resolved, the servers that resolved itself uses.
ResolverSettings SystemResolverSettings();
