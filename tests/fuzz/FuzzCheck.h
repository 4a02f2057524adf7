// What every parser promises whatever its input: an empty text or a valid
// dotted IPv4 address in its usual form.
#pragma once

#include "platform/linux/files/Ipv4Text.h"

#include <cstdlib>
#include <string>

inline void RequireNothingOrAnAddress(const std::string& text)
{
    if (text.empty())
        return;
    const auto address = ParseIpv4(text);
    if (!address || Ipv4Text(*address) != text)
        std::abort();
}
