#include "Ipv4Text.h"

std::optional<Ipv4Bytes> ParseIpv4(std::string_view text)
{
    Ipv4Bytes out{};
    std::size_t i = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (i >= text.size() || text[i] != '.')
                return std::nullopt;
            ++i;
        }
        unsigned value = 0;
        int digits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 4) {
            value = value * 10 + static_cast<unsigned>(text[i] - '0');
            ++digits;
            ++i;
        }
        if (digits == 0 || digits > 3 || value > 255)
            return std::nullopt;
        out[part] = static_cast<std::uint8_t>(value);
    }
    if (i != text.size())
        return std::nullopt;
    return out;
}

std::string Ipv4Text(const Ipv4Bytes& address)
{
    std::string text;
    for (int i = 0; i < 4; ++i) {
        if (i)
            text += '.';
        text += std::to_string(address[i]);
    }
    return text;
}

std::string CanonicalIpv4(std::string_view text)
{
    const auto address = ParseIpv4(text);
    if (!address || *address == Ipv4Bytes{})
        return {};
    return Ipv4Text(*address);
}
