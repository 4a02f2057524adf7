#include "FuzzCheck.h"
#include "platform/linux/files/ResolvConf.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ResolverSettings settings = ParseResolvConf(text);
    for (const std::string& server : settings.nameservers) {
        if (server.empty())
            std::abort();
        RequireNothingOrAnAddress(server);
    }
    // The domain is one word of the input.
    if (settings.domain.size() > size || settings.domain.find_first_of(" \t\n") != std::string::npos)
        std::abort();
    RequireNothingOrAnAddress(FirstNameserver(text));
    return 0;
}
