// The host entry a name look-up hands out. It holds its own copies of the name
// and the addresses, so the entry stays valid until the next look-up.
#pragma once

#include "Winsock.h"

#include <string>
#include <vector>

class HostEntry {
public:
    // Rebuilds the entry: `addresses` are each padded or cut to `length` bytes.
    HOSTENT* Set(const std::string& name, const std::vector<std::string>& addresses, short length,
                 short family)
    {
        name_ = name;
        addresses_.clear();
        const std::size_t bytes = length > 0 ? static_cast<std::size_t>(length) : 0;
        for (std::string address : addresses) {
            address.resize(bytes, '\0');
            addresses_.push_back(std::move(address));
        }
        list_.clear();
        for (std::string& address : addresses_)
            list_.push_back(address.data());
        list_.push_back(nullptr);
        aliases_.assign(1, nullptr);
        entry_.h_name = name_.data();
        entry_.h_aliases = aliases_.data();
        entry_.h_addrtype = family;
        entry_.h_length = length;
        entry_.h_addr_list = list_.data();
        return &entry_;
    }

private:
    std::string name_;
    std::vector<std::string> addresses_;
    std::vector<char*> list_;
    std::vector<char*> aliases_;
    HOSTENT entry_{};
};
