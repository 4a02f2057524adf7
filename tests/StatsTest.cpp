#include "QtPrinters.h"
#include "scripted/ScriptedBackend.h"
#include "stats/CIpHelper.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

TEST(CInterface, NewRowHoldsZerosAndEmptyTexts)
{
    const CInterface row;
    for (LONG v : {row.OutputQueueLength(), row.OutgoingErrors(), row.DiscardedOutgoingPackets(),
                   row.NonunicastPacketsSent(), row.UnicastPacketsSent(), row.OctetsSent(),
                   row.UnknownProtocolPackets(), row.IncomingErrors(), row.DiscardedIncomingPackets(),
                   row.NonunicastPacketsReceived(), row.MaximumTransmissionUnit(),
                   row.UnicastPacketsReceived(), row.OctetsReceived(), row.OperationalStatus(),
                   row.AdminStatus(), row.Speed(), row.InterfaceType(), row.InterfaceIndex()})
        EXPECT_EQ(v, 0);
    EXPECT_TRUE(row.InterfaceDescription().isEmpty());
    EXPECT_TRUE(row.AdapterAddress().isEmpty());
    EXPECT_TRUE(row.InterfaceName().isEmpty());
    EXPECT_EQ(row.LastChange(), 0.0);
}

TEST(CInterface, KeepsWhatIsSetUnchecked)
{
    CInterface row;
    row.Speed(-5);
    row.OctetsReceived(INT_MIN);
    row.InterfaceName(QString(QStringLiteral("a\0b")));
    EXPECT_EQ(row.Speed(), -5);
    EXPECT_EQ(row.OctetsReceived(), INT_MIN);
    EXPECT_EQ(row.InterfaceName(), QString(QStringLiteral("a\0b")));
}

TEST(CInterfaces, AddEmptiesTheCallersVariableAndKeepsOrder)
{
    CInterfaces col;
    EXPECT_EQ(col.Count(), 0);
    EXPECT_EQ(col.NewEnum().begin(), col.NewEnum().end());

    auto x = std::make_shared<CInterface>();
    CInterface* first = x.get();
    const auto returned = col.Add(x);
    EXPECT_FALSE(x);
    EXPECT_EQ(col.Count(), 1);
    EXPECT_EQ(returned.get(), first);
    EXPECT_EQ(col.item(1).get(), first);

    auto y = std::make_shared<CInterface>();
    CInterface* second = y.get();
    col.Add(y);
    ASSERT_EQ(col.Count(), 2);
    EXPECT_EQ(col.item(2).get(), second);
    std::vector<CInterface*> seen;
    for (const auto& e : col.NewEnum())
        seen.push_back(e.get());
    EXPECT_EQ(seen, (std::vector<CInterface*>{first, second}));

    col.Remove(1);
    ASSERT_EQ(col.Count(), 1);
    EXPECT_EQ(col.item(1).get(), second);
}

TEST(CInterfaces, PositionOutsideTheCollectionFails)
{
    CInterfaces col;
    EXPECT_THROW(col.item(1), std::out_of_range);
    auto x = std::make_shared<CInterface>();
    col.Add(x);
    EXPECT_THROW(col.item(0), std::out_of_range);
    EXPECT_THROW(col.item(2), std::out_of_range);
    EXPECT_THROW(col.Remove(2), std::out_of_range);
    EXPECT_EQ(col.Count(), 1);
}

class Snapshot : public ::testing::Test {
protected:
    ScriptedBackend platform;
    CIpHelper helper;
};

TEST_F(Snapshot, NewInstanceHasZeroTotalsAndReadsNothing)
{
    EXPECT_EQ(helper.BytesReceived(), 0);
    EXPECT_EQ(helper.BytesSent(), 0);
    EXPECT_EQ(platform.ifTableCalls, 0);
}

TEST_F(Snapshot, EachRowBecomesOneObjectInTableOrder)
{
    MIB_IFROW a = ScriptedBackend::Row(QStringLiteral("eth0"), 2, 1000, 200);
    a.dwType = IF_TYPE_ETHERNET_CSMACD;
    a.dwMtu = 1500;
    a.dwSpeed = 1000000000;
    a.dwPhysAddrLen = 6;
    const BYTE mac[] = {0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E};
    std::memcpy(a.bPhysAddr, mac, 6);
    a.dwAdminStatus = 1;
    a.dwOperStatus = 5;
    a.dwInUcastPkts = 11;
    a.dwInNUcastPkts = 12;
    a.dwInDiscards = 13;
    a.dwInErrors = 14;
    a.dwInUnknownProtos = 15;
    a.dwOutUcastPkts = 21;
    a.dwOutNUcastPkts = 22;
    a.dwOutDiscards = 23;
    a.dwOutErrors = 24;
    a.dwOutQLen = 25;
    a.dwLastChange = 99;
    MIB_IFROW lo = ScriptedBackend::Row(QStringLiteral("lo"), 1, 50, 50);
    lo.dwType = IF_TYPE_SOFTWARE_LOOPBACK;
    lo.dwOperStatus = 0;
    platform.rows = {a, lo};

    const auto snapshot = helper.Interfaces();
    ASSERT_EQ(snapshot->Count(), 2);
    const auto row = snapshot->item(1);
    EXPECT_EQ(row->InterfaceName(), QStringLiteral("eth0"));
    EXPECT_EQ(row->InterfaceDescription(), QStringLiteral("eth0"));
    EXPECT_EQ(row->InterfaceIndex(), 2);
    EXPECT_EQ(row->InterfaceType(), 6);
    EXPECT_EQ(row->MaximumTransmissionUnit(), 1500);
    EXPECT_EQ(row->Speed(), 1000000000);
    EXPECT_EQ(row->AdapterAddress(), QStringLiteral("00-0A-1B-2C-3D-4E"));
    EXPECT_EQ(row->AdminStatus(), 1);
    EXPECT_EQ(row->OperationalStatus(), 5);
    EXPECT_EQ(row->OctetsReceived(), 1000);
    EXPECT_EQ(row->UnicastPacketsReceived(), 11);
    EXPECT_EQ(row->NonunicastPacketsReceived(), 12);
    EXPECT_EQ(row->DiscardedIncomingPackets(), 13);
    EXPECT_EQ(row->IncomingErrors(), 14);
    EXPECT_EQ(row->UnknownProtocolPackets(), 15);
    EXPECT_EQ(row->OctetsSent(), 200);
    EXPECT_EQ(row->UnicastPacketsSent(), 21);
    EXPECT_EQ(row->NonunicastPacketsSent(), 22);
    EXPECT_EQ(row->DiscardedOutgoingPackets(), 23);
    EXPECT_EQ(row->OutgoingErrors(), 24);
    EXPECT_EQ(row->OutputQueueLength(), 25);
    EXPECT_EQ(row->LastChange(), 0.0) << "the last change is never taken over";

    const auto second = snapshot->item(2);
    EXPECT_EQ(second->InterfaceName(), QStringLiteral("lo"));
    EXPECT_EQ(second->InterfaceType(), 24);
    EXPECT_EQ(second->OperationalStatus(), 0);
    EXPECT_TRUE(second->AdapterAddress().isEmpty()) << "no address bytes, no address text";

    // Every row counts, loopback and down interfaces alike.
    EXPECT_EQ(helper.BytesReceived(), 1050);
    EXPECT_EQ(helper.BytesSent(), 250);
}

TEST_F(Snapshot, DescriptionIsCutToItsStatedLength)
{
    MIB_IFROW row = ScriptedBackend::Row(QStringLiteral("x"), 1, 0, 0);
    std::memset(row.bDescr, 0, sizeof row.bDescr);
    std::memcpy(row.bDescr, "Intel", 5);
    row.dwDescrLen = 6; // counts the terminating NUL
    MIB_IFROW longer = row;
    longer.dwDescrLen = 3;
    MIB_IFROW huge = row;
    std::memset(huge.bDescr, 'z', sizeof huge.bDescr);
    huge.dwDescrLen = 0xFFFFFFF0; // far above the field
    platform.rows = {row, longer, huge};

    const auto snapshot = helper.Interfaces();
    EXPECT_EQ(snapshot->item(1)->InterfaceDescription(), QString(QStringLiteral("Intel\0")));
    EXPECT_EQ(snapshot->item(1)->InterfaceDescription().size(), 6);
    EXPECT_EQ(snapshot->item(2)->InterfaceDescription(), QStringLiteral("Int"));
    EXPECT_EQ(snapshot->item(3)->InterfaceDescription(), QString(256, QLatin1Char('z')));
}

TEST_F(Snapshot, AddressBytesAreTwoUpperCaseDigitsJoinedByHyphens)
{
    MIB_IFROW eight = ScriptedBackend::Row(QStringLiteral("a"), 1, 0, 0);
    eight.dwPhysAddrLen = 8;
    const BYTE bytes[] = {0xFF, 0x00, 0x0A, 0xA0, 0x01, 0x10, 0xBC, 0x7E};
    std::memcpy(eight.bPhysAddr, bytes, 8);
    MIB_IFROW tooLong = eight;
    tooLong.dwPhysAddrLen = 20; // never past the 8-byte field
    MIB_IFROW negative = eight;
    negative.dwPhysAddrLen = 0x80000000;
    platform.rows = {eight, tooLong, negative};

    const auto snapshot = helper.Interfaces();
    EXPECT_EQ(snapshot->item(1)->AdapterAddress(), QStringLiteral("FF-00-0A-A0-01-10-BC-7E"));
    EXPECT_EQ(snapshot->item(2)->AdapterAddress(), QStringLiteral("FF-00-0A-A0-01-10-BC-7E"));
    EXPECT_TRUE(snapshot->item(3)->AdapterAddress().isEmpty());
}

TEST_F(Snapshot, CountersAtAndAbove2To31AreCarriedNegative)
{
    platform.rows = {ScriptedBackend::Row(QStringLiteral("a"), 1, 0x80000000u, 0xFFFFFFFFu),
                     ScriptedBackend::Row(QStringLiteral("b"), 2, 10, 1)};
    const auto snapshot = helper.Interfaces();
    EXPECT_EQ(snapshot->item(1)->OctetsReceived(), INT_MIN);
    EXPECT_EQ(snapshot->item(1)->OctetsSent(), -1);
    EXPECT_EQ(helper.BytesReceived(), INT_MIN + 10);
    EXPECT_EQ(helper.BytesSent(), 0) << "-1 + 1";
}

TEST_F(Snapshot, TotalsWrapModulo2To32InsteadOfOverflowing)
{
    platform.rows = {ScriptedBackend::Row(QStringLiteral("a"), 1, 0x7FFFFFFFu, 0xC0000000u),
                     ScriptedBackend::Row(QStringLiteral("b"), 2, 0x7FFFFFFFu, 0xC0000000u),
                     ScriptedBackend::Row(QStringLiteral("c"), 3, 3, 0xC0000000u)};
    helper.Interfaces();
    EXPECT_EQ(helper.BytesReceived(), 1);      // 2^32 + 1
    EXPECT_EQ(helper.BytesSent(), 0x40000000); // 3 * 0xC0000000 mod 2^32
}

TEST_F(Snapshot, GrowthIsThatOfEachInterfacePresentAtBothReads)
{
    auto row = [](DWORD index, DWORD in, DWORD out) {
        return ScriptedBackend::Row(QStringLiteral("if%1").arg(index), index, in, out);
    };
    platform.rows = {row(7, 0xFFFFFF00u, 100), row(3, 1000, 0x7FFFFFF0u), row(9, 50, 50)};
    helper.Interfaces();
    EXPECT_EQ(helper.ReceivedGrowth(), 0u) << "nothing to grow from at the first read";
    EXPECT_EQ(helper.SentGrowth(), 0u);

    // In another order; 7 wrapped, 9 went away, 12 came with counts of its own.
    platform.rows = {row(12, 0xF0000000u, 0xF0000000u), row(3, 1500, 0x80000010u), row(7, 0x100, 100)};
    helper.Interfaces();
    EXPECT_EQ(helper.ReceivedGrowth(), 0x200u + 500u);
    EXPECT_EQ(helper.SentGrowth(), 0x20u);

    // A failed read has no interface at all, so neither it nor the read
    // after it can make anything grow.
    platform.fillResult = 31;
    helper.Interfaces();
    EXPECT_EQ(helper.ReceivedGrowth(), 0u);
    platform.fillResult.reset();
    helper.Interfaces();
    EXPECT_EQ(helper.ReceivedGrowth(), 0u);
    EXPECT_EQ(helper.SentGrowth(), 0u);
}

TEST_F(Snapshot, EmptyTableGivesEmptySnapshot)
{
    const auto snapshot = helper.Interfaces();
    EXPECT_EQ(snapshot->Count(), 0);
    EXPECT_EQ(helper.BytesReceived(), 0);
    EXPECT_EQ(helper.BytesSent(), 0);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(Snapshot, EveryReadIsANewCollectionAndOldOnesStay)
{
    platform.rows = {ScriptedBackend::Row(QStringLiteral("a"), 1, 10, 20)};
    const auto first = helper.Interfaces();
    platform.rows = {ScriptedBackend::Row(QStringLiteral("a"), 1, 30, 40),
                     ScriptedBackend::Row(QStringLiteral("b"), 2, 1, 1)};
    const auto second = helper.Interfaces();
    EXPECT_NE(first.get(), second.get());
    ASSERT_EQ(first->Count(), 1);
    EXPECT_EQ(first->item(1)->OctetsReceived(), 10);
    EXPECT_EQ(second->Count(), 2);
    EXPECT_NE(first->item(1).get(), second->item(1).get());
    EXPECT_EQ(helper.BytesReceived(), 31);
    EXPECT_EQ(helper.BytesSent(), 41);
    EXPECT_EQ(platform.ifTableCalls, 4) << "a probe and a fill per read";
}

TEST_F(Snapshot, SetterReplacesSnapshotButKeepsTotals)
{
    platform.rows = {ScriptedBackend::Row(QStringLiteral("a"), 1, 10, 20)};
    helper.Interfaces();
    const int calls = platform.ifTableCalls;
    helper.Interfaces(std::make_shared<CInterfaces>());
    EXPECT_EQ(helper.BytesReceived(), 10);
    EXPECT_EQ(helper.BytesSent(), 20);
    EXPECT_EQ(platform.ifTableCalls, calls);
}

TEST_F(Snapshot, NotSupportedShowsTheMessageOnEveryRead)
{
    platform.rows = {ScriptedBackend::Row(QStringLiteral("a"), 1, 10, 20)};
    helper.Interfaces();
    platform.probeResult = ERROR_NOT_SUPPORTED;
    for (int read = 1; read <= 3; ++read) {
        const auto snapshot = helper.Interfaces();
        EXPECT_EQ(snapshot->Count(), 0);
        EXPECT_EQ(helper.BytesReceived(), 0);
        EXPECT_EQ(helper.BytesSent(), 0);
        ASSERT_EQ(platform.boxes.size(), static_cast<std::size_t>(read));
    }
    EXPECT_EQ(platform.boxes[0].text, QStringLiteral("Not supported by this system."));
    EXPECT_EQ(platform.boxes[0].caption, QStringLiteral("Corvane"));
    EXPECT_EQ(platform.boxes[0].type, MB_OK);
    EXPECT_EQ(platform.ifTableCalls, 2 + 3) << "no fill after the refusal";
}

TEST_F(Snapshot, FailedFillResetsTotalsWithoutMessage)
{
    platform.rows = {ScriptedBackend::Row(QStringLiteral("a"), 1, 10, 20)};
    helper.Interfaces();
    ASSERT_EQ(helper.BytesReceived(), 10);
    platform.fillResult = 31;
    const auto snapshot = helper.Interfaces();
    EXPECT_EQ(snapshot->Count(), 0);
    EXPECT_EQ(helper.BytesReceived(), 0);
    EXPECT_EQ(helper.BytesSent(), 0);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(Snapshot, TableThatGrowsBetweenProbeAndFillGivesEmptySnapshot)
{
    platform.rows = {ScriptedBackend::Row(QStringLiteral("a"), 1, 10, 20)};
    platform.growBetweenCalls = {ScriptedBackend::Row(QStringLiteral("b"), 2, 5, 5)};
    const auto snapshot = helper.Interfaces();
    EXPECT_EQ(snapshot->Count(), 0);
    EXPECT_EQ(helper.BytesReceived(), 0);
    EXPECT_TRUE(platform.boxes.empty());
    // The next read sees the grown table whole.
    EXPECT_EQ(helper.Interfaces()->Count(), 2);
    EXPECT_EQ(helper.BytesReceived(), 15);
}

TEST_F(Snapshot, ProbeFailingWithoutASizeLeavesNothingToFill)
{
    platform.rows = {ScriptedBackend::Row(QStringLiteral("a"), 1, 10, 20)};
    platform.probeResult = 31;
    platform.probeReportsSize = false;
    const auto snapshot = helper.Interfaces();
    EXPECT_EQ(snapshot->Count(), 0);
    EXPECT_EQ(helper.BytesReceived(), 0);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(platform.ifTableCalls, 1);
}

// A back end whose fill claims more rows than the buffer it was given holds.
class LyingBackend : public ScriptedBackend {
public:
    DWORD GetIfTable(MIB_IFTABLE* table, ULONG* size, BOOL order) override
    {
        const DWORD result = ScriptedBackend::GetIfTable(table, size, order);
        if (table && result == NO_ERROR)
            table->dwNumEntries = 1000;
        return result;
    }
};

TEST(SnapshotBounds, RowCountBeyondTheBufferIsNotRead)
{
    LyingBackend platform;
    platform.rows = {ScriptedBackend::Row(QStringLiteral("a"), 1, 10, 20)};
    CIpHelper helper;
    EXPECT_EQ(helper.Interfaces()->Count(), 1);
    EXPECT_EQ(helper.BytesReceived(), 10);
}

} // namespace
