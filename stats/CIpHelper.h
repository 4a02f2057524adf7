// A snapshot of the interface table: every read of Interfaces() re-reads the
// table into a new collection and sums the octet counters of all its rows.
#pragma once

#include "CInterfaces.h"

#include <memory>

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

private:
    void RefreshInterfaces();

    std::shared_ptr<CInterfaces> m_interfaces;
    LONG m_bytesReceived = 0;
    LONG m_bytesSent = 0;
};
