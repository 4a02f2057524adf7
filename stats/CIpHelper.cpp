#include "CIpHelper.h"

#include "platform/AnsiCodePage.h"
#include "platform/IpHlpApi.h"
#include "platform/Kernel32.h"
#include "platform/User32.h"
#include "App.h"

#include <QByteArray>

#include <algorithm>
#include <cstddef>
#include <memory>

namespace {

// Where the rows start in the table the platform fills, and how long each is.
constexpr std::size_t RowOffset = offsetof(MIB_IFTABLE, table);
constexpr std::size_t RowSize = sizeof(MIB_IFROW);

// The counters are unsigned 32-bit; they are carried as signed values.
LONG AsSigned(DWORD v)
{
    return static_cast<LONG>(v);
}

// Adds modulo 2^32: a total past 2^31 turns negative instead of overflowing.
LONG WrappingAdd(LONG total, DWORD v)
{
    return static_cast<LONG>(static_cast<DWORD>(total) + v);
}

QString HexAddress(const BYTE* bytes, DWORD length)
{
    const QByteArray raw(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(length));
    return QString::fromLatin1(raw.toHex('-').toUpper());
}

} // namespace

void CIpHelper::Interfaces(std::shared_ptr<CInterfaces> vData)
{
    m_interfaces = std::move(vData);
}

std::shared_ptr<CInterfaces> CIpHelper::Interfaces()
{
    m_interfaces = std::make_shared<CInterfaces>();
    m_previous.swap(m_counters);
    m_counters.clear();
    RefreshInterfaces();
    MeasureGrowth();
    return m_interfaces;
}

void CIpHelper::MeasureGrowth()
{
    m_receivedGrowth = 0;
    m_sentGrowth = 0;
    const auto byIndex = [](const Counters& a, const Counters& b) { return a.index < b.index; };
    std::sort(m_counters.begin(), m_counters.end(), byIndex);
    auto before = m_previous.cbegin();
    for (const Counters& now : m_counters) {
        before = std::lower_bound(before, m_previous.cend(), now, byIndex);
        if (before == m_previous.cend())
            break;
        if (before->index != now.index)
            continue;
        // Unsigned 32-bit arithmetic: the distance forward, across a wrap too.
        m_receivedGrowth += static_cast<DWORD>(now.received - before->received);
        m_sentGrowth += static_cast<DWORD>(now.sent - before->sent);
        ++before;
    }
}

void CIpHelper::RefreshInterfaces()
{
    m_bytesReceived = 0;
    m_bytesSent = 0;

    ULONG size = 0;
    if (GetIfTable(nullptr, &size, FALSE) == ERROR_NOT_SUPPORTED) {
        MessageBox(nullptr, QStringLiteral("Not supported by this system."), App::Title, MB_OK);
        return;
    }
    // Too small a size for even the row count leaves nothing to fill.
    if (size < RowOffset)
        return;
    auto buffer = std::make_unique_for_overwrite<BYTE[]>(size);
    if (GetIfTable(reinterpret_cast<MIB_IFTABLE*>(buffer.get()), &size, FALSE) != NO_ERROR)
        return;

    DWORD numEntries = 0;
    RtlMoveMemory(&numEntries, buffer.get(), sizeof numEntries);
    // Never read a row the buffer does not hold, whatever the count says.
    const std::size_t fit = (size - RowOffset) / RowSize;
    const std::size_t rows = std::min<std::size_t>(numEntries, fit);
    m_interfaces->Reserve(rows);
    m_counters.reserve(rows);

    MIB_IFROW ifRow;
    CInterfaces::Element objInterface;
    for (std::size_t i = 0; i < rows; ++i) {
        RtlMoveMemory(&ifRow, buffer.get() + RowOffset + i * RowSize, RowSize);
        if (!objInterface)
            objInterface = std::make_shared<CInterface>();

        const DWORD descrLen = std::min<DWORD>(ifRow.dwDescrLen, MAXLEN_IFDESCR);
        objInterface->InterfaceDescription(FromAnsi(reinterpret_cast<const char*>(ifRow.bDescr), descrLen));
        if (AsSigned(ifRow.dwPhysAddrLen) > 0)
            objInterface->AdapterAddress(
                HexAddress(ifRow.bPhysAddr, std::min<DWORD>(ifRow.dwPhysAddrLen, MAXLEN_PHYSADDR)));

        objInterface->AdminStatus(AsSigned(ifRow.dwAdminStatus));
        objInterface->InterfaceIndex(AsSigned(ifRow.dwIndex));
        objInterface->DiscardedIncomingPackets(AsSigned(ifRow.dwInDiscards));
        objInterface->IncomingErrors(AsSigned(ifRow.dwInErrors));
        objInterface->NonunicastPacketsReceived(AsSigned(ifRow.dwInNUcastPkts));
        objInterface->OctetsReceived(AsSigned(ifRow.dwInOctets));
        objInterface->UnicastPacketsReceived(AsSigned(ifRow.dwInUcastPkts));
        objInterface->UnknownProtocolPackets(AsSigned(ifRow.dwInUnknownProtos));
        objInterface->MaximumTransmissionUnit(AsSigned(ifRow.dwMtu));
        objInterface->OperationalStatus(AsSigned(ifRow.dwOperStatus));
        objInterface->DiscardedOutgoingPackets(AsSigned(ifRow.dwOutDiscards));
        objInterface->OutgoingErrors(AsSigned(ifRow.dwOutErrors));
        objInterface->NonunicastPacketsSent(AsSigned(ifRow.dwOutNUcastPkts));
        objInterface->OctetsSent(AsSigned(ifRow.dwOutOctets));
        objInterface->OutputQueueLength(AsSigned(ifRow.dwOutQLen));
        objInterface->UnicastPacketsSent(AsSigned(ifRow.dwOutUcastPkts));
        objInterface->Speed(AsSigned(ifRow.dwSpeed));
        objInterface->InterfaceType(AsSigned(ifRow.dwType));

        const WCHAR* name = ifRow.wszName;
        const std::size_t nameLen = std::find(name, name + MAX_INTERFACE_NAME_LEN, u'\0') - name;
        objInterface->InterfaceName(
            QString(reinterpret_cast<const QChar*>(name), static_cast<qsizetype>(nameLen)));

        m_bytesReceived = WrappingAdd(m_bytesReceived, ifRow.dwInOctets);
        m_bytesSent = WrappingAdd(m_bytesSent, ifRow.dwOutOctets);
        m_counters.push_back({ifRow.dwIndex, ifRow.dwInOctets, ifRow.dwOutOctets});

        m_interfaces->Add(objInterface);
    }
}
