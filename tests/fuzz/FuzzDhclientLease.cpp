#include "FuzzCheck.h"
#include "platform/linux/files/DhclientLease.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<Ipv4Bytes> held{{192, 168, 1, 50}, {192, 168, 1, 51}};
    // Asked for a name the samples use, and for one the input itself may
    // spell in any way, at moments from the earliest to the last.
    for (std::string_view name : {std::string_view("eth0"), std::string_view("e\"th\\0")}) {
        std::optional<std::string> earlier;
        bool first = true;
        for (std::time_t now :
             {std::numeric_limits<std::time_t>::min(), std::time_t{0}, std::time_t{1705486488},
              std::time_t{4102444800}, std::numeric_limits<std::time_t>::max()}) {
            const std::optional<std::string> server = DhclientServerFromLeases(text, name, held, now);
            RequireNothingOrAnAddress(server.value_or(""));
            // A lease still in force later was in force before: once every
            // lease has run out, none comes back.
            if (server && !first && !earlier)
                std::abort();
            earlier = server;
            first = false;
        }
        // No lease is in force for an interface that holds no address.
        if (DhclientServerFromLeases(text, name, {}, 0))
            std::abort();
    }
    return 0;
}
