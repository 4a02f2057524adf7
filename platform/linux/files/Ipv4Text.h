// Dotted IPv4 addresses as the lease and resolver files write them. Free of
// Qt, so that the file readers built on it can be fuzzed on their own.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using Ipv4Bytes = std::array<std::uint8_t, 4>;

// The address in `text`, which must be exactly four decimal numbers of at
// most three digits, each up to 255, separated by single dots; nothing else.
std::optional<Ipv4Bytes> ParseIpv4(std::string_view text);

// The address in its usual form, e.g. "192.168.1.1" (no leading zeros).
std::string Ipv4Text(const Ipv4Bytes& address);

// The usual form of the address in `text`, or "" when it is none; 0.0.0.0,
// which stands for "no address" in these files, also gives "".
std::string CanonicalIpv4(std::string_view text);
