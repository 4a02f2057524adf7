#include "DhclientLease.h"

#include "CappedFile.h"
#include "Ipv4Text.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <optional>

namespace {

enum class Kind { Word, Quoted, Open, Close, End, Done };

struct Token {
    Kind kind;
    std::string_view text; // a quoted string without its quotes, escapes left in
};

// Splits lease-file text into words, quoted strings and the punctuation
// { } ; — skipping blanks and # comments. Every step consumes input.
class Lexer {
public:
    explicit Lexer(std::string_view text) : s_(text) {}

    Token Next()
    {
        for (;;) {
            if (i_ >= s_.size())
                return {Kind::Done, {}};
            const char c = s_[i_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' || c == '\0') {
                ++i_;
            } else if (c == '#') {
                while (i_ < s_.size() && s_[i_] != '\n')
                    ++i_;
            } else {
                break;
            }
        }
        const char c = s_[i_];
        if (c == '{' || c == '}' || c == ';') {
            ++i_;
            return {c == '{' ? Kind::Open : c == '}' ? Kind::Close : Kind::End, s_.substr(i_ - 1, 1)};
        }
        if (c == '"') {
            const std::size_t start = ++i_;
            while (i_ < s_.size() && s_[i_] != '"') {
                if (s_[i_] == '\\' && i_ + 1 < s_.size())
                    ++i_;
                ++i_;
            }
            const std::size_t end = i_ < s_.size() ? i_ : s_.size();
            if (i_ < s_.size())
                ++i_; // the closing quote
            return {Kind::Quoted, s_.substr(start, end - start)};
        }
        const std::size_t start = i_;
        while (i_ < s_.size()) {
            const char d = s_[i_];
            if (d == ' ' || d == '\t' || d == '\r' || d == '\n' || d == '\f' || d == '\v' || d == '\0'
                || d == '{' || d == '}' || d == ';' || d == '"' || d == '#')
                break;
            ++i_;
        }
        return {Kind::Word, s_.substr(start, i_ - start)};
    }

private:
    std::string_view s_;
    std::size_t i_ = 0;
};

// The quoted interface name with its escapes resolved (\" and \\ and the
// octal \NNN dhclient writes for unusual bytes).
std::string Unescape(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        ++i;
        if (text[i] >= '0' && text[i] <= '7') {
            unsigned v = 0;
            int n = 0;
            while (n < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7') {
                v = v * 8 + static_cast<unsigned>(text[i] - '0');
                ++i;
                ++n;
            }
            --i;
            out += static_cast<char>(v & 0xFF);
        } else {
            out += text[i];
        }
    }
    return out;
}

bool Number(std::string_view text, std::int64_t& value, std::int64_t max)
{
    if (text.empty() || text.size() > 18)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return value <= max;
}

// "YYYY/MM/DD" and "HH:MM:SS", which dhclient writes in UTC.
std::optional<std::int64_t> UtcTime(std::string_view date, std::string_view time)
{
    auto split = [](std::string_view text, char sep, std::string_view(&parts)[3]) {
        for (int i = 0; i < 3; ++i) {
            const std::size_t at = i < 2 ? text.find(sep) : text.size();
            if (at == std::string_view::npos)
                return false;
            parts[i] = text.substr(0, at);
            text.remove_prefix(i < 2 ? at + 1 : at);
        }
        return true;
    };
    std::string_view d[3], t[3];
    std::int64_t year, month, day, hour, minute, second;
    if (!split(date, '/', d) || !split(time, ':', t))
        return std::nullopt;
    if (!Number(d[0], year, 9999) || !Number(d[1], month, 12) || !Number(d[2], day, 31)
        || !Number(t[0], hour, 23) || !Number(t[1], minute, 59) || !Number(t[2], second, 60) || month < 1
        || day < 1)
        return std::nullopt;
    // A day past the month's end (31 of February) counts on into the next
    // month, as the calendar's days-from-the-first arithmetic does.
    namespace c = std::chrono;
    const c::sys_days first = c::year(static_cast<int>(year)) / c::month(static_cast<unsigned>(month)) / 1;
    const c::sys_seconds when =
        first + c::days(day - 1) + c::hours(hour) + c::minutes(minute) + c::seconds(second);
    return when.time_since_epoch().count();
}

constexpr std::int64_t Never = std::numeric_limits<std::int64_t>::max();

// When a lease ends, from the words after "expire": "never", "epoch N", or a
// weekday number with a UTC date and time. Nothing when unreadable.
std::optional<std::int64_t> ExpiryOf(const std::vector<std::string_view>& words)
{
    if (words.size() == 2 && words[1] == "never")
        return Never;
    std::int64_t value;
    if (words.size() >= 3 && words[1] == "epoch" && Number(words[2], value, Never - 1))
        return value;
    if (words.size() >= 4 && Number(words[1], value, 6))
        return UtcTime(words[2], words[3]);
    return std::nullopt;
}

struct Block {
    std::string interface;
    std::optional<Ipv4Bytes> address;
    std::string server;
    bool hasExpiry = false;
    std::optional<std::int64_t> expiry;
};

} // namespace

std::optional<std::string> DhclientServerFromLeases(std::string_view text, std::string_view ifname,
                                                    const std::vector<Ipv4Bytes>& held, std::time_t now)
{
    Lexer lexer(text);
    std::optional<std::string> result;
    // Where we are: outside any block (0), in a lease block (1), or deeper
    // (skipped: nested blocks, and blocks other than "lease").
    int depth = 0;
    bool inLease = false;
    bool leaseNext = false; // the previous token at depth 0 was "lease"
    Block block;
    std::vector<std::string_view> statement;
    for (Token token = lexer.Next(); token.kind != Kind::Done; token = lexer.Next()) {
        if (depth == 0) {
            if (token.kind == Kind::Open) {
                depth = 1;
                inLease = leaseNext;
                block = Block{};
                statement.clear();
            }
            leaseNext = token.kind == Kind::Word && token.text == "lease";
            continue;
        }
        if (token.kind == Kind::Open) {
            ++depth;
            statement.clear();
            continue;
        }
        if (token.kind == Kind::Close) {
            if (--depth == 0 && inLease) {
                const bool current = !block.hasExpiry || (block.expiry && *block.expiry > now);
                const bool holds =
                    block.address && std::find(held.begin(), held.end(), *block.address) != held.end();
                if (block.interface == ifname && holds && current)
                    result = block.server;
            }
            statement.clear();
            continue;
        }
        if (depth != 1 || !inLease)
            continue;
        if (token.kind != Kind::End) {
            // A statement is a handful of words; a longer one is junk, and
            // needs no more than its first few to be told so.
            if (statement.size() < 8)
                statement.push_back(token.text);
            if (token.kind == Kind::Quoted && statement.size() == 2 && statement[0] == "interface")
                block.interface = Unescape(token.text);
            continue;
        }
        if (statement.size() == 2 && statement[0] == "interface" && block.interface.empty())
            block.interface = std::string(statement[1]);
        else if (statement.size() == 2 && statement[0] == "fixed-address")
            block.address = ParseIpv4(statement[1]);
        else if (statement.size() == 3 && statement[0] == "option"
                 && statement[1] == "dhcp-server-identifier")
            block.server = CanonicalIpv4(statement[2]);
        else if (!statement.empty() && statement[0] == "expire") {
            block.hasExpiry = true;
            block.expiry = ExpiryOf(statement);
        }
        statement.clear();
    }
    return result;
}

std::vector<std::string> DhclientLeaseFiles()
{
    struct Place {
        const char* dir;
        std::string_view prefix;
        std::string_view part; // what the name must contain after the prefix
    };
    static const Place places[] = {
        {"/var/lib/dhcp", "dhclient", ".leases"},
        {"/var/lib/dhclient", "", ".lease"},
        {"/var/lib/NetworkManager", "", ".lease"},
    };
    std::vector<std::string> files;
    for (const Place& place : places) {
        DIR* dir = ::opendir(place.dir);
        if (!dir)
            continue;
        int seen = 0;
        while (const dirent* entry = ::readdir(dir)) {
            // A directory full of junk is not searched to its end.
            if (++seen > 4096)
                break;
            const std::string_view name(entry->d_name);
            if (name.substr(0, place.prefix.size()) != place.prefix)
                continue;
            if (name.find(place.part, place.prefix.size()) == std::string_view::npos)
                continue;
            files.push_back(std::string(place.dir) + '/' + std::string(name));
        }
        ::closedir(dir);
    }
    return files;
}

std::optional<std::string> DhclientServerFromFiles(const std::vector<std::string>& paths,
                                                   std::string_view ifname,
                                                   const std::vector<Ipv4Bytes>& held, std::time_t now)
{
    std::optional<std::string> best;
    std::int64_t bestTime = std::numeric_limits<std::int64_t>::min();
    for (const std::string& path : paths) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            continue;
        const auto text = ReadFileCapped(path);
        if (!text)
            continue;
        std::optional<std::string> server = DhclientServerFromLeases(*text, ifname, held, now);
        if (server && (!best || st.st_mtime > bestTime)) {
            best = std::move(server);
            bestTime = st.st_mtime;
        }
    }
    return best;
}
