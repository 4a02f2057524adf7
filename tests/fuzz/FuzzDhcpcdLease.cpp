#include "FuzzCheck.h"
#include "platform/DhcpcdLease.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    RequireNothingOrAnAddress(DhcpcdServerFromLease(bytes));
    // Most inputs would stop at the cookie; this puts the fuzzer's bytes in
    // the options too.
    if (size < 4096) {
        std::string message(236, '\0');
        message += std::string("\x63\x82\x53\x63", 4);
        message.append(bytes);
        message.replace(108, std::min<std::size_t>(size, 128), bytes.substr(0, 128));
        RequireNothingOrAnAddress(DhcpcdServerFromLease(message));
    }
    return 0;
}
