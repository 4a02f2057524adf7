// The host, address, MAC, DHCP, DNS and subnet look-ups driven through the
// scripted platform: what each returns or shows, which message boxes it
// raises, and which platform calls it makes in which order.
#include "Fixture.h"

#include "lookups/DHCP.h"
#include "lookups/DNS.h"
#include "lookups/MacAddress.h"
#include "lookups/Subnet.h"
#include "lookups/TrimAtNull.h"
#include "lookups/ipandhost.h"

#include <QCoreApplication>
#include <QEvent>

#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

using namespace ipandhost;

namespace {

const QString NotResponding = QStringLiteral("The 32-bit Windows Socket is not responding.");
const QString TooFewSockets = QStringLiteral("This application requires a minimum of 1 supported sockets.");
const QString CleanupFailed = QStringLiteral("Socket error occurred in Cleanup.");
const QString LookupFailed =
    QStringLiteral("Windows Sockets are not responding. Unable to successfully get Host Name.");

QString Box(const QString& text)
{
    return QStringLiteral("MessageBox ") + text;
}

// Counts the turns of the message loop: a posted event that posts itself
// again runs once per turn. `onTurn` sees each turn as it happens.
class TurnCounter : public QObject {
public:
    TurnCounter() { QCoreApplication::postEvent(this, new QEvent(QEvent::User)); }
    int turns = 0;
    std::function<void()> onTurn;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++turns;
        if (onTurn)
            onTurn();
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
        return true;
    }
};

class Lookups : public MonitorTest {
protected:
    QStringList Texts() const
    {
        QStringList texts;
        for (const auto& box : platform.boxes)
            texts << box.text;
        return texts;
    }
    // The log without what starting the windows wrote into it.
    void Forget()
    {
        platform.log.clear();
        platform.boxes.clear();
    }
};

// ---------------------------------------------------------------- sockets

class SocketStartup : public Lookups {};

TEST_F(SocketStartup, FailingStartupShowsOnlyItsBoxAndNeverCleansUp)
{
    platform.startupResult = 10091;
    EXPECT_EQ(GetLocalHostName(), QString());
    EXPECT_EQ(platform.log, QStringList({"WSAStartup", Box(NotResponding)}));
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].caption, QStringLiteral("Corvane"));
    EXPECT_EQ(platform.boxes[0].type, MB_OK);

    Forget();
    EXPECT_EQ(GetLocalIPAddress(), QString());
    EXPECT_EQ(platform.log, QStringList({"WSAStartup", Box(NotResponding)}));
}

TEST_F(SocketStartup, VersionBelowOnePointOneIsRejectedAndCleanedUp)
{
    struct Case {
        WORD version;
        const char* text;
    };
    for (const Case& c : {Case{0x0001, "Sockets version 1.0 is not supported by 32-bit Windows Sockets."},
                          Case{0x0900, "Sockets version 0.9 is not supported by 32-bit Windows Sockets."},
                          Case{0x0000, "Sockets version 0.0 is not supported by 32-bit Windows Sockets."}}) {
        SCOPED_TRACE(c.text);
        Forget();
        platform.socketsVersion = c.version;
        EXPECT_FALSE(StartupSockets());
        EXPECT_EQ(platform.log, QStringList({"WSAStartup", Box(QString::fromLatin1(c.text)), "WSACleanup"}));

        Forget();
        EXPECT_EQ(GetLocalHostName(), QString());
        EXPECT_EQ(platform.log, QStringList({"WSAStartup", Box(QString::fromLatin1(c.text)), "WSACleanup"}));

        Forget();
        EXPECT_EQ(GetLocalIPAddress(), QString());
        EXPECT_EQ(platform.log, QStringList({"WSAStartup", Box(QString::fromLatin1(c.text)), "WSACleanup"}));
    }
}

TEST_F(SocketStartup, VersionsFromOnePointOneOnAreAccepted)
{
    for (WORD version : {WORD(0x0101), WORD(0x0201), WORD(0x0002), WORD(0x0202), WORD(0x0003)}) {
        SCOPED_TRACE(version);
        Forget();
        platform.socketsVersion = version;
        EXPECT_TRUE(StartupSockets());
        EXPECT_TRUE(platform.boxes.empty());
        EXPECT_EQ(platform.log, QStringList({"WSAStartup"}));
    }
}

TEST_F(SocketStartup, SocketCountReadAsSignedMustBeAtLeastOne)
{
    for (unsigned short count : {0, 32768, 65535}) {
        SCOPED_TRACE(count);
        Forget();
        platform.maxSockets = count;
        EXPECT_FALSE(StartupSockets());
        EXPECT_EQ(platform.log, QStringList({"WSAStartup", Box(TooFewSockets), "WSACleanup"}));

        Forget();
        EXPECT_EQ(GetLocalIPAddress(), QString());
        EXPECT_EQ(Texts(), QStringList({TooFewSockets}));
    }
    for (unsigned short count : {1, 32767}) {
        Forget();
        platform.maxSockets = count;
        EXPECT_TRUE(StartupSockets());
        EXPECT_TRUE(platform.boxes.empty());
    }
}

TEST_F(SocketStartup, ShutdownReportsAFailingCleanup)
{
    ShutdownSockets();
    EXPECT_EQ(platform.log, QStringList({"WSACleanup"}));
    Forget();
    platform.cleanupResult = SOCKET_ERROR;
    ShutdownSockets();
    EXPECT_EQ(platform.log, QStringList({"WSACleanup", Box(CleanupFailed)}));
}

TEST(SocketBytes, HighAndLowByteOfAWord)
{
    EXPECT_EQ(LowByte(0x0201), 1);
    EXPECT_EQ(HighByte(0x0201), 2);
    EXPECT_EQ(LowByte(0x12345), 0x45);
    EXPECT_EQ(HighByte(0x12345), 0x23);
    EXPECT_EQ(LowByte(-1), 0xFF);
    EXPECT_EQ(HighByte(-1), 0xFF);
}

// -------------------------------------------------------------- host name

class HostName : public Lookups {};

TEST_F(HostName, ReturnsTheNameAndCleansUp)
{
    platform.hostName = "desk-07";
    EXPECT_EQ(GetLocalHostName(), QStringLiteral("desk-07"));
    EXPECT_EQ(platform.log, QStringList({"WSAStartup", "gethostname", "WSACleanup"}));
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(HostName, FailureNamesTheErrorWithTwoBlanksBeforeItAndAfterTheSentence)
{
    platform.hostNameError = 10093;
    EXPECT_EQ(GetLocalHostName(), QString());
    const QString text =
        QStringLiteral("Windows Sockets error  10093 has occurred.  Unable to successfully get Host Name.");
    EXPECT_EQ(platform.log,
              QStringList({"WSAStartup", "gethostname", "WSAGetLastError", Box(text), "WSACleanup"}));
}

TEST_F(HostName, NegativeErrorTakesTheBlanksPlace)
{
    platform.hostNameError = -5;
    EXPECT_EQ(GetLocalHostName(), QString());
    EXPECT_EQ(Texts(),
              QStringList({"Windows Sockets error -5 has occurred.  Unable to successfully get Host Name."}));
}

TEST_F(HostName, FailingCleanupAfterSuccessStillReturnsTheName)
{
    platform.hostName = "desk-07";
    platform.cleanupResult = SOCKET_ERROR;
    EXPECT_EQ(GetLocalHostName(), QStringLiteral("desk-07"));
    EXPECT_EQ(platform.log, QStringList({"WSAStartup", "gethostname", "WSACleanup", Box(CleanupFailed)}));
}

TEST_F(HostName, FailingCleanupAfterAFailedQueryShowsBothBoxesQueryFirst)
{
    platform.hostNameError = 10014;
    platform.cleanupResult = SOCKET_ERROR;
    EXPECT_EQ(GetLocalHostName(), QString());
    EXPECT_EQ(
        Texts(),
        QStringList({"Windows Sockets error  10014 has occurred.  Unable to successfully get Host Name.",
                     CleanupFailed}));
}

TEST_F(HostName, TextEndsAtTheFirstNulAndNeverPastTheBuffer)
{
    platform.hostName = QByteArray("abc\0def", 7);
    EXPECT_EQ(GetLocalHostName(), QStringLiteral("abc"));

    // A name that fills the whole buffer without a NUL.
    platform.hostName = QByteArray(300, 'n');
    EXPECT_EQ(GetLocalHostName(), QString(256, QLatin1Char('n')));
}

TEST_F(HostName, BytesAreReadInTheAnsiCodePage)
{
    platform.hostName = "caf\xE9";
    EXPECT_EQ(GetLocalHostName(), QStringLiteral("caf\u00E9"));
}

// ------------------------------------------------------------- IP address

class IpAddress : public Lookups {};

TEST_F(IpAddress, DottedTextOfTheFirstAddress)
{
    platform.hostName = "desk-07";
    platform.hostAddresses = {QByteArray("\x0a\x00\x00\x07", 4)};
    EXPECT_EQ(GetLocalIPAddress(), QStringLiteral("10.0.0.7"));
    EXPECT_EQ(platform.hostLookups, QStringList({"desk-07"}));
    EXPECT_EQ(platform.log, QStringList({"WSAStartup", "gethostname", "gethostbyname", "WSACleanup"}));
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(IpAddress, FirstOfSeveralAddressesWithBytesUnsigned)
{
    platform.hostAddresses = {QByteArray("\xc0\xa8\xc8\xff", 4), QByteArray("\x0a\x00\x00\x07", 4)};
    EXPECT_EQ(GetLocalIPAddress(), QStringLiteral("192.168.200.255"));
}

TEST_F(IpAddress, HostNameFailureHasOneBlankAfterTheSentence)
{
    platform.hostNameError = 10014;
    EXPECT_EQ(GetLocalIPAddress(), QString());
    const QString text =
        QStringLiteral("Windows Sockets error  10014 has occurred. Unable to successfully get Host Name.");
    EXPECT_EQ(platform.log,
              QStringList({"WSAStartup", "gethostname", "WSAGetLastError", Box(text), "WSACleanup"}));
}

TEST_F(IpAddress, UnknownHostSaysSocketsAreNotResponding)
{
    platform.hostLookupFails = true;
    EXPECT_EQ(GetLocalIPAddress(), QString());
    EXPECT_EQ(platform.log,
              QStringList({"WSAStartup", "gethostname", "gethostbyname", Box(LookupFailed), "WSACleanup"}));
}

TEST_F(IpAddress, FailingCleanupAfterAFailedLookupShowsBothBoxesLookupFirst)
{
    platform.hostLookupFails = true;
    platform.cleanupResult = SOCKET_ERROR;
    EXPECT_EQ(GetLocalIPAddress(), QString());
    EXPECT_EQ(Texts(), QStringList({LookupFailed, CleanupFailed}));
}

TEST_F(IpAddress, FailingCleanupAfterSuccessStillReturnsTheAddress)
{
    platform.cleanupResult = SOCKET_ERROR;
    EXPECT_EQ(GetLocalIPAddress(), QStringLiteral("10.0.0.7"));
    EXPECT_EQ(Texts(), QStringList({CleanupFailed}));
}

TEST_F(IpAddress, HostWithoutAUsableAddressGivesNoText)
{
    platform.hostAddresses.clear();
    EXPECT_EQ(GetLocalIPAddress(), QString());
    for (short length : {short(0), short(-4), short(17)}) {
        SCOPED_TRACE(length);
        platform.hostAddresses = {QByteArray("\x0a\x00\x00\x07", 4)};
        platform.hostAddressLength = length;
        EXPECT_EQ(GetLocalIPAddress(), QString());
    }
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(IpAddress, AddressOfAnotherLengthIsWrittenByteByByte)
{
    platform.hostAddressLength = 6;
    platform.hostAddresses = {QByteArray("\x01\x02\x03\x04\x05\x06", 6)};
    EXPECT_EQ(GetLocalIPAddress(), QStringLiteral("1.2.3.4.5.6"));
}

TEST_F(IpAddress, NameFillingTheBufferIsLookedUpWhole)
{
    platform.hostName = QByteArray(256, 'h');
    EXPECT_EQ(GetLocalIPAddress(), QStringLiteral("10.0.0.7"));
    ASSERT_EQ(platform.hostLookups.size(), 1);
    EXPECT_EQ(platform.hostLookups[0], QString(256, QLatin1Char('h')));
}

// ------------------------------------------------------------ MAC address

class Mac : public Lookups {};

TEST_F(Mac, StatusOfAdapterZeroAsHexPairs)
{
    platform.adapterAddress = std::array<BYTE, 6>{0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E};
    EXPECT_EQ(GetMacAddress(QStringLiteral("-")), QStringLiteral("00-0A-1B-2C-3D-4E"));
    EXPECT_EQ(platform.log, QStringList({"Netbios NCBRESET", "HeapAlloc", "Netbios NCBASTAT", "HeapFree"}));
    EXPECT_EQ(platform.liveBlocks, 0);

    ASSERT_EQ(platform.netbiosCalls.size(), 2u);
    const NCB& reset = platform.netbiosCalls[0];
    EXPECT_EQ(reset.ncb_command, NCBRESET);
    EXPECT_EQ(reset.ncb_lana_num, 0);
    const NCB& status = platform.netbiosCalls[1];
    EXPECT_EQ(status.ncb_command, NCBASTAT);
    EXPECT_EQ(status.ncb_lana_num, 0);
    EXPECT_EQ(status.ncb_length, 680);
    EXPECT_NE(status.ncb_buffer, nullptr);
    EXPECT_EQ(std::memcmp(status.ncb_callname, "*               ", 16), 0);

    platform.adapterAddress = std::array<BYTE, 6>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(GetMacAddress(QStringLiteral("-")), QStringLiteral("FF-FF-FF-FF-FF-FF"));
}

TEST_F(Mac, SeparatorStandsBetweenEachPair)
{
    platform.adapterAddress = std::array<BYTE, 6>{0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E};
    EXPECT_EQ(GetMacAddress(QString()), QStringLiteral("000A1B2C3D4E"));
    EXPECT_EQ(GetMacAddress(QStringLiteral("::")), QStringLiteral("00::0A::1B::2C::3D::4E"));
    EXPECT_EQ(GetMacAddress(QStringLiteral(":")), QStringLiteral("00:0A:1B:2C:3D:4E"));
}

TEST_F(Mac, FailedStatusGivesZeros)
{
    platform.adapterAddress.reset();
    EXPECT_EQ(GetMacAddress(QStringLiteral("-")), QStringLiteral("00-00-00-00-00-00"));
    EXPECT_EQ(platform.liveBlocks, 0);
}

TEST_F(Mac, NoMemoryGivesNoTextAndNoStatusRequest)
{
    platform.failAllocations = 1;
    EXPECT_EQ(GetMacAddress(QStringLiteral("-")), QString());
    EXPECT_EQ(platform.log, QStringList({"Netbios NCBRESET", "HeapAlloc"}));
    EXPECT_EQ(platform.liveBlocks, 0);
}

TEST_F(Mac, NoBlockOutlivesManyCalls)
{
    for (int i = 0; i < 1000; ++i) {
        if (i % 3 == 0)
            platform.adapterAddress.reset();
        else
            platform.adapterAddress = std::array<BYTE, 6>{1, 2, 3, 4, 5, BYTE(i)};
        GetMacAddress(QStringLiteral("-"));
    }
    EXPECT_EQ(platform.liveBlocks, 0);
}

TEST(MacFormat, OnlySixBytesFromIndexZeroAreAnAddress)
{
    const std::vector<BYTE> six = {0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x01};
    EXPECT_EQ(FormatMacAddress(six, QStringLiteral("-")), QStringLiteral("DE-AD-BE-EF-00-01"));
    const std::vector<BYTE> five = {1, 2, 3, 4, 5};
    const std::vector<BYTE> seven = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(FormatMacAddress(five, QStringLiteral("-")), QString());
    EXPECT_EQ(FormatMacAddress(seven, QStringLiteral("-")), QString());
    EXPECT_EQ(FormatMacAddress({}, QStringLiteral("-")), QString());
    EXPECT_EQ(FormatMacAddress(six, QStringLiteral("-"), 1), QString());
}

// ------------------------------------------------------------ DHCP server

ScriptedBackend::Adapter Adapter(const QString& name, UINT dhcp, const QStringList& servers)
{
    ScriptedBackend::Adapter a;
    a.name = name;
    a.dhcpEnabled = dhcp;
    a.dhcpServers = servers;
    a.ipAddress = QStringLiteral("192.168.1.20");
    a.ipMask = QStringLiteral("255.255.255.0");
    return a;
}

class DhcpServer : public Lookups {};

TEST_F(DhcpServer, FirstDhcpAdapterWithAServerDecides)
{
    platform.adapters = {Adapter("fixed", 0, {"10.1.1.1"}), Adapter("eth0", 1, {"192.168.1.1"}),
                         Adapter("eth1", 1, {"192.168.2.1"})};
    EXPECT_EQ(DHCP.GetDhcpServer(), QStringLiteral("192.168.1.1"));
    EXPECT_EQ(platform.log, QStringList({"GetAdaptersInfo", "GetAdaptersInfo"}));
}

TEST_F(DhcpServer, FixedAdaptersAreSkippedEvenWithAServer)
{
    platform.adapters = {Adapter("fixed", 0, {"10.1.1.1"}), Adapter("static", 0, {"10.2.2.2"})};
    EXPECT_EQ(DHCP.GetDhcpServer(), QString());
}

TEST_F(DhcpServer, EmptyServerLetsALaterAdapterDecide)
{
    platform.adapters = {Adapter("eth0", 1, {""}), Adapter("eth1", 1, {"172.16.0.1"})};
    EXPECT_EQ(DHCP.GetDhcpServer(), QStringLiteral("172.16.0.1"));
}

TEST_F(DhcpServer, ServerListIsFollowedPastAnEmptyEntry)
{
    platform.adapters = {Adapter("eth0", 1, {"", "", "10.9.9.9"}), Adapter("eth1", 1, {"172.16.0.1"})};
    EXPECT_EQ(DHCP.GetDhcpServer(), QStringLiteral("10.9.9.9"));
}

TEST_F(DhcpServer, FullLengthTextsAreKeptWhole)
{
    platform.adapters = {Adapter("eth0", 1, {"192.168.100.200"})};
    EXPECT_EQ(DHCP.GetDhcpServer(), QStringLiteral("192.168.100.200"));
    // Sixteen characters fill the field with no NUL at all.
    platform.adapters = {Adapter("eth0", 1, {"1234567890123456"})};
    EXPECT_EQ(DHCP.GetDhcpServer(), QStringLiteral("1234567890123456"));
}

TEST_F(DhcpServer, ShowsTheServerInTheDetailsWindowWithoutAMessage)
{
    platform.adapters = {Adapter("eth0", 1, {"192.168.1.1"})};
    DHCP.DHCP();
    EXPECT_EQ(details::Instance().ds->text(), QStringLiteral("192.168.1.1"));

    details::Instance().ds->Caption(QStringLiteral("stale"));
    platform.adaptersProbeSize = 0;
    Forget();
    DHCP.DHCP();
    EXPECT_EQ(details::Instance().ds->text(), QString());
    EXPECT_EQ(platform.log, QStringList({"GetAdaptersInfo"}));
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(DhcpServer, FailingListGivesNoServer)
{
    platform.adapters = {Adapter("eth0", 1, {"192.168.1.1"})};
    platform.adaptersFillResult = ERROR_INVALID_PARAMETER;
    EXPECT_EQ(DHCP.GetDhcpServer(), QString());

    platform.adaptersFillResult.reset();
    platform.adapters.clear();
    EXPECT_EQ(DHCP.GetDhcpServer(), QString());
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(DhcpServer, ProbeReportingTooLittleGivesNoServer)
{
    platform.adapters = {Adapter("eth0", 1, {"192.168.1.1"})};
    platform.adaptersProbeSize = 100; // less than one record
    EXPECT_EQ(DHCP.GetDhcpServer(), QString());
}

TEST_F(DhcpServer, LinksLeavingTheBufferOrGoingRoundEndTheWalk)
{
    platform.adapters = {Adapter("eth0", 1, {""}), Adapter("eth1", 1, {""})};
    // The last record leads back to the first.
    platform.afterAdaptersFill = [](BYTE* buffer, ULONG) {
        IP_ADAPTER_INFO* first = reinterpret_cast<IP_ADAPTER_INFO*>(buffer);
        std::memcpy(buffer + sizeof(IP_ADAPTER_INFO), &first, sizeof first);
    };
    EXPECT_EQ(DHCP.GetDhcpServer(), QString());

    // The first record leads far past the buffer's end.
    platform.adapters = {Adapter("eth0", 1, {""}), Adapter("eth1", 1, {"10.0.0.1"})};
    platform.afterAdaptersFill = [](BYTE* buffer, ULONG size) {
        BYTE* away = buffer + size + 4096;
        std::memcpy(buffer, &away, sizeof away);
    };
    EXPECT_EQ(DHCP.GetDhcpServer(), QString());

    // A server entry that leads to itself.
    platform.adapters = {Adapter("eth0", 1, {"", ""})};
    platform.afterAdaptersFill = [](BYTE* buffer, ULONG) {
        BYTE* entry = buffer + sizeof(IP_ADAPTER_INFO);
        std::memcpy(entry, &entry, sizeof entry);
    };
    EXPECT_EQ(DHCP.GetDhcpServer(), QString());
}

TEST(NulTrimming, TextBeforeTheFirstNul)
{
    EXPECT_EQ(TrimAtNull(QStringLiteral("abc")), QStringLiteral("abc"));
    EXPECT_EQ(TrimAtNull(QString::fromLatin1("ab\0c", 4)), QStringLiteral("ab"));
    EXPECT_EQ(TrimAtNull(QString::fromLatin1("\0abc", 4)), QString());
    EXPECT_EQ(TrimAtNull(QString()), QString());
}

// ------------------------------------------------------------- DNS server

class DnsServer : public Lookups {};

TEST_F(DnsServer, OnlyTheFirstEntryCounts)
{
    platform.dnsServers = {"10.0.0.53", "10.0.0.54"};
    EXPECT_EQ(DNS.GetDnsServers(), QStringLiteral("10.0.0.53"));
    EXPECT_EQ(platform.log, QStringList({"GetNetworkParams", "GetNetworkParams"}));

    platform.dnsServers = {"", "10.0.0.54"};
    EXPECT_EQ(DNS.GetDnsServers(), QString());
}

TEST_F(DnsServer, FullLengthTextIsKeptWhole)
{
    platform.dnsServers = {"192.168.100.200"};
    EXPECT_EQ(DNS.GetDnsServers(), QStringLiteral("192.168.100.200"));
}

TEST_F(DnsServer, ShowsTheServerInTheDetailsWindow)
{
    platform.dnsServers = {"9.9.9.9"};
    DNS.DNS();
    EXPECT_EQ(details::Instance().dnss->text(), QStringLiteral("9.9.9.9"));
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(DnsServer, ProbeOfZeroOrFailingFillGivesNothing)
{
    platform.dnsServers = {"10.0.0.53"};
    platform.paramsProbeSize = 0;
    EXPECT_EQ(DNS.GetDnsServers(), QString());
    EXPECT_EQ(platform.log, QStringList({"GetNetworkParams"}));

    platform.paramsProbeSize.reset();
    platform.paramsFillResult = ERROR_BUFFER_OVERFLOW;
    EXPECT_EQ(DNS.GetDnsServers(), QString());

    platform.paramsFillResult.reset();
    platform.paramsProbeSize = 10; // less than the record: the fill refuses
    EXPECT_EQ(DNS.GetDnsServers(), QString());
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(DnsServer, NoServersGiveNothing)
{
    platform.dnsServers.clear();
    EXPECT_EQ(DNS.GetDnsServers(), QString());
}

// ------------------------------------------------------------ subnet mask

const QString Blanks = QStringLiteral("       ");
const QString Unchanged = QStringLiteral("(previous)");

struct MaskCase {
    const char* ip;
    QString mask;   // what Form1.sbm shows
    QString detail; // what details.sb shows
    int turns;      // turns of the message loop during sbm
};

void PrintTo(const MaskCase& c, std::ostream* os)
{
    *os << '"' << c.ip << '"';
}

class SubnetMask : public Lookups, public ::testing::WithParamInterface<MaskCase> {};

TEST_P(SubnetMask, ClassMaskOfTheFirstNumber)
{
    const MaskCase& c = GetParam();
    Form1& main = Start();
    main.ipa->Caption(QString::fromLatin1(c.ip)); // runs its own look-up first
    details::Instance().sb->Caption(Unchanged);
    main.sbm->Caption(QStringLiteral("(old)"));

    TurnCounter counter;
    // Every turn comes before the mask is shown.
    QStringList seenAtTurns;
    counter.onTurn = [&] { seenAtTurns << details::Instance().sb->text(); };
    Subnet.sbm();

    EXPECT_EQ(main.sbm->text(), c.mask);
    EXPECT_EQ(details::Instance().sb->text(), c.detail);
    EXPECT_EQ(counter.turns, c.turns);
    for (const QString& seen : seenAtTurns)
        EXPECT_EQ(seen, Unchanged);
    EXPECT_EQ(Subnet.IPText, QString::fromLatin1(c.ip).trimmed());
}

INSTANTIATE_TEST_SUITE_P(Addresses, SubnetMask,
                         ::testing::Values(MaskCase{"10.0.0.1", "255.0.0.0", "255.0.0.0", 1},
                                           MaskCase{"127.0.0.1", "255.0.0.0", "255.0.0.0", 2},
                                           MaskCase{"150.1.2.3", "255.0.0.0", "255.0.0.0", 2},
                                           MaskCase{"171.5.5.5", "255.0.0.0", "255.0.0.0", 2},
                                           MaskCase{"172.16.0.1", "255.255.0.0", "255.255.0.0", 2},
                                           MaskCase{"191.255.0.1", "255.255.0.0", "255.255.0.0", 2},
                                           MaskCase{"192.168.1.10", "255.255.255.0", "255.255.255.0", 2},
                                           MaskCase{"193.1.1.1", Blanks, Unchanged, 1},
                                           MaskCase{"224.0.0.1", Blanks, Unchanged, 1},
                                           MaskCase{"1.2.3.4", "255.0.0.0", "255.0.0.0", 2},
                                           MaskCase{"  10.0.0.1", "255.0.0.0", "255.0.0.0", 1},
                                           MaskCase{"9", "255.0.0.0", "255.0.0.0", 2},
                                           MaskCase{"", Blanks, Unchanged, 0},
                                           MaskCase{"abc", Blanks, Unchanged, 0},
                                           MaskCase{"ab", Blanks, Unchanged, 0}));

TEST_F(Lookups, SubnetReadsTheFirstNumberAgainAfterItsTurn)
{
    Form1& main = Start();
    main.ipa->Caption(QStringLiteral("192.168.1.10"));
    // While the outer look-up lets the loop turn, another one reads a new
    // address; the outer one goes on with the first number now held.
    bool nested = false;
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            nested = true;
            main.ipa->Caption(QStringLiteral("10.0.0.1"));
            Subnet.sbm();
        },
        Qt::QueuedConnection);
    Subnet.sbm();
    EXPECT_TRUE(nested);
    EXPECT_EQ(Subnet.FirstNumberText, QStringLiteral("10"));
    EXPECT_EQ(main.sbm->text(), QStringLiteral("255.0.0.0"));
    EXPECT_EQ(details::Instance().sb->text(), QStringLiteral("255.0.0.0"));
}

TEST_F(Lookups, SubnetGivesUpWhenTheNumberTurnsIntoText)
{
    Form1& main = Start();
    main.ipa->Caption(QStringLiteral("192.168.1.10"));
    details::Instance().sb->Caption(Unchanged);
    QMetaObject::invokeMethod(
        qApp, [] { Subnet.FirstNumberText = QStringLiteral("ab"); }, Qt::QueuedConnection);
    Subnet.sbm();
    EXPECT_EQ(main.sbm->text(), Blanks);
    EXPECT_EQ(details::Instance().sb->text(), Unchanged);
}

TEST_F(Lookups, TotalCompShowsTheMaskInBothWindowsWhateverTheBits)
{
    Form1& main = Start();
    TurnCounter counter;
    Subnet.GetTotalComp(99, QStringLiteral("Z"), QStringLiteral("255.255.255.128"));
    EXPECT_EQ(counter.turns, 1);
    EXPECT_EQ(main.sbm->text(), QStringLiteral("255.255.255.128"));
    EXPECT_EQ(details::Instance().sb->text(), QStringLiteral("255.255.255.128"));
}

} // namespace
