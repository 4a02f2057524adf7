// One row of the interface table: 22 plain read/write properties that hold
// exactly what was last set into them. Counters are signed 32-bit values, as
// the rest of the monitor carries them.
#pragma once

#include "platform/Win32.h"

#include <QString>

// The platform's date value: days since 30 December 1899; 0 is the zero date.
using DATE = double;

class CInterface {
public:
    /// Contains a description of the interface.
    QString InterfaceDescription() const { return m_interfaceDescription; }
    void InterfaceDescription(const QString& strNewValue) { m_interfaceDescription = strNewValue; }

    /// Specifies the output queue length.
    LONG OutputQueueLength() const { return m_outputQueueLength; }
    void OutputQueueLength(LONG lngNewValue) { m_outputQueueLength = lngNewValue; }

    /// Specifies the number of outgoing packets that were discarded because of errors.
    LONG OutgoingErrors() const { return m_outgoingErrors; }
    void OutgoingErrors(LONG lngNewValue) { m_outgoingErrors = lngNewValue; }

    /// Specifies the number of outgoing packets that were discarded even though they did not have errors.
    LONG DiscardedOutgoingPackets() const { return m_discardedOutgoingPackets; }
    void DiscardedOutgoingPackets(LONG lngNewValue) { m_discardedOutgoingPackets = lngNewValue; }

    /// Specifies the number of non-unicast packets sent through this interface. Broadcast and multicast packets are included.
    LONG NonunicastPacketsSent() const { return m_nonunicastPacketsSent; }
    void NonunicastPacketsSent(LONG lngNewValue) { m_nonunicastPacketsSent = lngNewValue; }

    /// Specifies the number of unicast packets sent through this interface.
    LONG UnicastPacketsSent() const { return m_unicastPacketsSent; }
    void UnicastPacketsSent(LONG lngNewValue) { m_unicastPacketsSent = lngNewValue; }

    /// Specifies the number of octets of data sent through this interface.
    LONG OctetsSent() const { return m_octetsSent; }
    void OctetsSent(LONG lngNewValue) { m_octetsSent = lngNewValue; }

    /// Specifies the number of incoming packets that were discarded because the protocol was unknown.
    LONG UnknownProtocolPackets() const { return m_unknownProtocolPackets; }
    void UnknownProtocolPackets(LONG lngNewValue) { m_unknownProtocolPackets = lngNewValue; }

    /// Specifies the number of incoming packets that were discarded because of errors.
    LONG IncomingErrors() const { return m_incomingErrors; }
    void IncomingErrors(LONG lngNewValue) { m_incomingErrors = lngNewValue; }

    /// Specifies the number of incoming packets that were discarded even though they did not have errors.
    LONG DiscardedIncomingPackets() const { return m_discardedIncomingPackets; }
    void DiscardedIncomingPackets(LONG lngNewValue) { m_discardedIncomingPackets = lngNewValue; }

    /// Specifies the number of non-unicast packets received through this interface. Broadcast and multicast packets are included.
    LONG NonunicastPacketsReceived() const { return m_nonunicastPacketsReceived; }
    void NonunicastPacketsReceived(LONG lngNewValue) { m_nonunicastPacketsReceived = lngNewValue; }

    /// Specifies the Maximum Transmission Unit (MTU).
    LONG MaximumTransmissionUnit() const { return m_maximumTransmissionUnit; }
    void MaximumTransmissionUnit(LONG lngNewValue) { m_maximumTransmissionUnit = lngNewValue; }

    /// Specifies the number of unicast packets received through this interface.
    LONG UnicastPacketsReceived() const { return m_unicastPacketsReceived; }
    void UnicastPacketsReceived(LONG lngNewValue) { m_unicastPacketsReceived = lngNewValue; }

    /// Specifies the number of octets of data received through this interface.
    LONG OctetsReceived() const { return m_octetsReceived; }
    void OctetsReceived(LONG lngNewValue) { m_octetsReceived = lngNewValue; }

    /// Specifies the last time the operational status changed.
    DATE LastChange() const { return m_lastChange; }
    void LastChange(DATE datNewValue) { m_lastChange = datNewValue; }

    /// Specifies the operational status of the interface.
    LONG OperationalStatus() const { return m_operationalStatus; }
    void OperationalStatus(LONG NewValue) { m_operationalStatus = NewValue; }

    /// Specifies the interface is administratively enabled or disabled.
    LONG AdminStatus() const { return m_adminStatus; }
    void AdminStatus(LONG NewValue) { m_adminStatus = NewValue; }

    /// Specifies the physical address of the adapter for this interface.
    QString AdapterAddress() const { return m_adapterAddress; }
    void AdapterAddress(const QString& strNewValue) { m_adapterAddress = strNewValue; }

    /// Specifies the speed of the interface in bits per second.
    LONG Speed() const { return m_speed; }
    void Speed(LONG lngNewValue) { m_speed = lngNewValue; }

    /// Specifies the type of interface.
    LONG InterfaceType() const { return m_interfaceType; }
    void InterfaceType(LONG NewValue) { m_interfaceType = NewValue; }

    /// Specifies the index that identifies the interface.
    LONG InterfaceIndex() const { return m_interfaceIndex; }
    void InterfaceIndex(LONG lngNewValue) { m_interfaceIndex = lngNewValue; }

    /// String that contains the name of the interface.
    QString InterfaceName() const { return m_interfaceName; }
    void InterfaceName(const QString& strNewValue) { m_interfaceName = strNewValue; }

private:
    QString m_interfaceName;
    LONG m_interfaceIndex{};
    LONG m_interfaceType{};
    LONG m_speed{};
    QString m_adapterAddress;
    LONG m_adminStatus{};
    LONG m_operationalStatus{};
    DATE m_lastChange{};
    LONG m_octetsReceived{};
    LONG m_unicastPacketsReceived{};
    LONG m_maximumTransmissionUnit{};
    LONG m_nonunicastPacketsReceived{};
    LONG m_discardedIncomingPackets{};
    LONG m_incomingErrors{};
    LONG m_unknownProtocolPackets{};
    LONG m_octetsSent{};
    LONG m_unicastPacketsSent{};
    LONG m_nonunicastPacketsSent{};
    LONG m_discardedOutgoingPackets{};
    LONG m_outgoingErrors{};
    LONG m_outputQueueLength{};
    QString m_interfaceDescription;
};
