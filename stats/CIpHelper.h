// A snapshot of the interface table: every read of Interfaces() re-reads the
// table into a new collection and sums the octet counters of all its rows.
#pragma once

#include "CInterfaces.h"

#include <cstdint>
#include <memory>
#include <vector>

class CIpHelper {
public:
    // Makes vData the current snapshot; the totals stay as they are.
    void Interfaces(std::shared_ptr<CInterfaces> vData);
    // Re-reads the table into a new snapshot and returns it.
    std::shared_ptr<CInterfaces> Interfaces();

    // The totals of the last read (0 before the first and after a failed one),
    // summed modulo 2^32 and carried as signed 32-bit values.
    LONG BytesReceived() const { return m_bytesReceived; }
    LONG BytesSent() const { return m_bytesSent; }

    // How far each direction moved between the previous read and the last:
    // the growth of every interface present at both reads, matched by its
    // index, each counter's taken modulo 2^32 so that one that wrapped still
    // gives its small true growth. An interface that came or went in between
    // adds nothing and takes nothing away. 0 after the first read.
    std::uint64_t ReceivedGrowth() const { return m_receivedGrowth; }
    std::uint64_t SentGrowth() const { return m_sentGrowth; }

private:
    void RefreshInterfaces();
    void MeasureGrowth();

    struct Counters {
        DWORD index;
        DWORD received;
        DWORD sent;
    };

    std::shared_ptr<CInterfaces> m_interfaces;
    LONG m_bytesReceived = 0;
    LONG m_bytesSent = 0;
    // Each interface's octet counters at the last read and the one before,
    // ordered by index once measured.
    std::vector<Counters> m_counters;
    std::vector<Counters> m_previous;
    std::uint64_t m_receivedGrowth = 0;
    std::uint64_t m_sentGrowth = 0;
};
