// This machine's network interfaces as rows of the interface table, read from
// the kernel through rtnetlink on sockets kept open between reads.
#pragma once

#include "IpHlpApi.h"

#include <memory>
#include <vector>

class LinkTable {
public:
    LinkTable();
    ~LinkTable();
    LinkTable(const LinkTable&) = delete;
    LinkTable& operator=(const LinkTable&) = delete;

    // Replaces `rows` with one row per interface, in the kernel's order, with
    // the counters of this moment. False when the kernel cannot be asked.
    bool Read(std::vector<MIB_IFROW>& rows);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
