#include "ResolvConf.h"

#include "CappedFile.h"
#include "Ipv4Text.h"

namespace {

bool Blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

// The next blank-separated word of `line`, consumed from it.
std::string_view Word(std::string_view& line)
{
    while (!line.empty() && Blank(line.front()))
        line.remove_prefix(1);
    std::size_t n = 0;
    while (n < line.size() && !Blank(line[n]))
        ++n;
    const std::string_view word = line.substr(0, n);
    line.remove_prefix(n);
    return word;
}

} // namespace

ResolverSettings ParseResolvConf(std::string_view text)
{
    ResolverSettings settings;
    // The C library's resolver reads up to three servers; more are listed
    // here, but never without bound.
    constexpr std::size_t MaxServers = 64;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        // A comment may also follow a value.
        const std::size_t comment = line.find_first_of("#;");
        if (comment != std::string_view::npos)
            line = line.substr(0, comment);
        const std::string_view keyword = Word(line);
        if (keyword == "nameserver") {
            const std::string server = CanonicalIpv4(Word(line));
            if (!server.empty() && settings.nameservers.size() < MaxServers)
                settings.nameservers.push_back(server);
        } else if (keyword == "domain" || keyword == "search") {
            // As with the C library, the last of these lines decides.
            const std::string_view name = Word(line);
            if (!name.empty())
                settings.domain = std::string(name);
        }
    }
    return settings;
}

std::string FirstNameserver(std::string_view text)
{
    ResolverSettings settings = ParseResolvConf(text);
    return settings.nameservers.empty() ? std::string() : settings.nameservers.front();
}

bool OnlyResolvedStubs(const std::vector<std::string>& nameservers)
{
    if (nameservers.empty())
        return false;
    for (const std::string& server : nameservers)
        if (server != "127.0.0.53" && server != "127.0.0.54")
            return false;
    return true;
}

ResolverSettings ReadResolvConf(const std::string& path)
{
    const auto text = ReadFileCapped(path);
    return text ? ParseResolvConf(*text) : ResolverSettings{};
}

ResolverSettings SystemResolverSettings()
{
    ResolverSettings settings = ReadResolvConf("/etc/resolv.conf");
    if (OnlyResolvedStubs(settings.nameservers)) {
        ResolverSettings upstream = ReadResolvConf("/run/systemd/resolve/resolv.conf");
        if (!upstream.nameservers.empty()) {
            if (upstream.domain.empty())
                upstream.domain = settings.domain;
            return upstream;
        }
    }
    return settings;
}
