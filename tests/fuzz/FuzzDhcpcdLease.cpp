#include "FuzzCheck.h"
#include "platform/linux/files/DhcpcdLease.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(std::string_view bytes)
{
    RequireNothingOrAnAddress(DhcpcdServerFromLease(bytes));
    // The address leased, where the message has room for one, is held.
    std::vector<Ipv4Bytes> held{{192, 168, 1, 50}};
    if (bytes.size() >= 20)
        held.push_back({static_cast<std::uint8_t>(bytes[16]), static_cast<std::uint8_t>(bytes[17]),
                        static_cast<std::uint8_t>(bytes[18]), static_cast<std::uint8_t>(bytes[19])});
    const std::time_t written = 1705486488;
    const auto soon = DhcpcdServerInForce(bytes, held, written, written + 1);
    const auto later = DhcpcdServerInForce(bytes, held, written, written + 0x7FFFFFFF);
    RequireNothingOrAnAddress(soon.value_or(""));
    RequireNothingOrAnAddress(later.value_or(""));
    // A lease in force later was in force before, and names the same server.
    if (later && soon != later)
        std::abort();
    if (DhcpcdServerInForce(bytes, {}, written, written))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Check(bytes);
    // Most inputs would stop at the cookie; this puts the fuzzer's bytes in
    // the options too.
    if (size < 4096) {
        std::string message(236, '\0');
        message += std::string("\x63\x82\x53\x63", 4);
        message.append(bytes);
        message.replace(108, std::min<std::size_t>(size, 128), bytes.substr(0, 128));
        Check(message);
    }
    return 0;
}
