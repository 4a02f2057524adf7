#include "FuzzCheck.h"
#include "platform/DhclientLease.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Asked at the same moment for a name the samples use, and for one the
    // input itself may spell in any way.
    RequireNothingOrAnAddress(DhclientServerFromLeases(text, "eth0", 1705486488));
    RequireNothingOrAnAddress(DhclientServerFromLeases(text, "", 0));
    RequireNothingOrAnAddress(DhclientServerFromLeases(text, "e\"th\\0", 4102444800));
    return 0;
}
