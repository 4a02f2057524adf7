// This machine's network interfaces as rows of the interface table, read from
// the kernel through rtnetlink on sockets kept open between reads.
#pragma once

#include "platform/IpHlpApi.h"

#include <memory>
#include <vector>

class LinkTable {
public:
    LinkTable();
    ~LinkTable();
    LinkTable(const LinkTable&) = delete;
    LinkTable& operator=(const LinkTable&) = delete;

    // Replaces `rows` with one row per interface, in the kernel's order, with
    // the counters of this moment. A read that cannot complete leaves `rows`
    // as they were, so a caller that passes the same vector every time keeps
    // its previous table for that read: so when the interfaces keep changing
    // while the kernel lists them, or when the kernel stops answering for a
    // moment after earlier reads completed. False only when the kernel cannot
    // answer at all: it refuses the request, or fails before any read of the
    // table has completed.
    bool Read(std::vector<MIB_IFROW>& rows);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
