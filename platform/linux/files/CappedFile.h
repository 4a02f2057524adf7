// Reads the small system files the lookups consult. A file is read up to a
// cap, so that a huge or endless file (a device, a fifo, a runaway log) costs
// no more than the cap and never blocks.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

inline constexpr std::size_t DefaultFileCap = 1024 * 1024;

// The first `cap` bytes of the regular file at `path` (all of it when it is
// shorter), or nothing when it is missing, unreadable or not a regular file.
std::optional<std::string> ReadFileCapped(const std::string& path, std::size_t cap = DefaultFileCap);
