#include "FuzzCheck.h"
#include "platform/linux/files/NetworkdLease.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    RequireNothingOrAnAddress(NetworkdServerFromLease(text));
    RequireNothingOrAnAddress(NetworkdAddressFromLease(text));
    return 0;
}
