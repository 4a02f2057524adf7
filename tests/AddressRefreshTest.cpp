#include "Fixture.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

const QString Seven = QStringLiteral("       ");
const QString Eight = QStringLiteral("        ");

class AddressRefresh : public MonitorTest {
protected:
    void SetUp() override
    {
        SetTotals(10, 10);
        ScriptedBackend::Adapter lan;
        lan.name = QStringLiteral("eth0");
        lan.dhcpEnabled = 1;
        lan.dhcpServers = {QStringLiteral("10.0.0.1")};
        platform.adapters = {lan};
        platform.dnsServers = {QStringLiteral("10.0.0.53"), QStringLiteral("10.0.0.54")};
    }

    // From now on every caption set on these labels goes into the platform's
    // log, between the calls the look-ups make.
    void RecordLabels()
    {
        Form1& f = Form1::Instance();
        details& d = details::Instance();
        for (Label* l : {f.maclabel, f.cname, f.iplable, f.ipa, f.sbm, d.padd, d.ipadd, d.sb, d.ds, d.dnss}) {
            auto handler = l->Change;
            l->Change = [this, l, handler] {
                platform.log << QStringLiteral("%1=%2").arg(l->objectName(), l->text());
                if (handler)
                    handler();
            };
        }
    }

    // The log reduced to the label writes and one mark per look-up.
    QStringList Sequence()
    {
        QStringList out;
        for (const QString& entry : platform.log) {
            if (entry == QLatin1String("Netbios NCBASTAT"))
                out << QStringLiteral("MAC");
            else if (entry == QLatin1String("gethostbyname"))
                out << QStringLiteral("IP");
            else if (entry == QLatin1String("GetAdaptersInfo")
                     && out.value(out.size() - 1) != QLatin1String("DHCP"))
                out << QStringLiteral("DHCP"); // one mark for its size probe and fill
            else if (entry == QLatin1String("GetNetworkParams")
                     && out.value(out.size() - 1) != QLatin1String("DNS"))
                out << QStringLiteral("DNS");
            else if (entry.contains(QLatin1Char('=')))
                out << entry;
        }
        return out;
    }
};

TEST_F(AddressRefresh, StartUpFillsEveryIdentityLabel)
{
    Form1& f = Start();
    const int add = platform.log.indexOf(QStringLiteral("Shell_NotifyIconW NIM_ADD"));
    ASSERT_GE(add, 0);
    QStringList after = platform.log.mid(add + 1).filter(QRegularExpression(
        QStringLiteral("^(Netbios NCBASTAT|gethostname|gethostbyname|GetAdaptersInfo|GetNetworkParams)$")));
    // A size probe and its fill are one look-up.
    after.erase(std::unique(after.begin(), after.end(),
                            [](const QString& a, const QString& b) {
                                return a == b && a.startsWith(QLatin1String("Get"));
                            }),
                after.end());
    EXPECT_EQ(after, QStringList({"Netbios NCBASTAT",                    // maclabel
                                  "gethostname",                         // cname
                                  "gethostname", "gethostbyname",        // iplable
                                  "gethostname", "gethostbyname",        // ipa
                                  "GetAdaptersInfo", "GetNetworkParams", // its change: DHCP, DNS
                                  "Netbios NCBASTAT",                    // details.padd
                                  "gethostname", "gethostbyname",        // details.ipadd
                                  "GetNetworkParams",                    // DNS
                                  "GetAdaptersInfo"}));                  // DHCP, last
    EXPECT_EQ(f.maclabel->text(), QStringLiteral("00-0A-1B-2C-3D-4E"));
    EXPECT_EQ(f.cname->text(), QStringLiteral("scripted-host"));
    EXPECT_EQ(f.iplable->text(), QStringLiteral("10.0.0.7"));
    EXPECT_EQ(f.ipa->text(), QStringLiteral("10.0.0.7"));
    EXPECT_EQ(f.sbm->text(), QStringLiteral("255.0.0.0"));
    details& d = details::Instance();
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(MadeTopmost(d.hWnd()));
    EXPECT_EQ(d.padd->text(), QStringLiteral("00-0A-1B-2C-3D-4E"));
    EXPECT_EQ(d.ipadd->text(), QStringLiteral("10.0.0.7"));
    EXPECT_EQ(d.sb->text(), QStringLiteral("255.0.0.0"));
    EXPECT_EQ(d.ds->text(), QStringLiteral("10.0.0.1"));
    EXPECT_EQ(d.dnss->text(), QStringLiteral("10.0.0.53"));
    EXPECT_TRUE(ig().IpHelper) << "the rate meter is made between the subnet and DHCP steps";
}

TEST_F(AddressRefresh, TimerLooksEverythingUpAgainInItsOrder)
{
    Form1& f = Start();
    EXPECT_EQ(f.rtimer->Interval(), 12000);
    EXPECT_TRUE(f.rtimer->Enabled());
    RecordLabels();
    platform.log.clear();
    f.rtimer->Tick();
    const QString mac = QStringLiteral("00-0A-1B-2C-3D-4E");
    EXPECT_EQ(Sequence(), QStringList({"MAC",
                                       "maclabel=" + mac,
                                       "cname=scripted-host",
                                       "IP",
                                       "iplable=10.0.0.7",
                                       "IP",
                                       "ipa=10.0.0.7",
                                       "sbm=" + Seven,
                                       "sb=" + Eight,
                                       "ds=" + Eight,
                                       "dnss=" + Eight,
                                       "sb=255.0.0.0",
                                       "sbm=255.0.0.0",
                                       "DHCP",
                                       "ds=10.0.0.1",
                                       "DNS",
                                       "dnss=10.0.0.53",
                                       "MAC",
                                       "padd=" + mac,
                                       "IP",
                                       "ipadd=10.0.0.7",
                                       "DHCP",
                                       "ds=10.0.0.1",
                                       "DNS",
                                       "dnss=10.0.0.53",
                                       "sb=255.0.0.0",
                                       "sbm=255.0.0.0"}));
}

TEST_F(AddressRefresh, MaskAbove192AndNoDhcpLeaveTheirBlanks)
{
    platform.hostAddresses = {QByteArray("\xc1\x02\x03\x04", 4)}; // 193.2.3.4
    platform.adapters[0].dhcpEnabled = 0;
    Form1& f = Start();
    f.rtimer->Tick();
    details& d = details::Instance();
    EXPECT_EQ(f.ipa->text(), QStringLiteral("193.2.3.4"));
    EXPECT_EQ(f.sbm->text(), Seven);
    EXPECT_EQ(d.sb->text(), Eight) << "the change handler's blanks stay";
    EXPECT_EQ(d.ds->text(), QString()) << "the DHCP look-up's own empty text";
}

TEST_F(AddressRefresh, DetailsChangeInPlaceWhileOpen)
{
    Form1& f = Start();
    details& d = details::Instance();
    d.show();
    platform.dnsServers = {QStringLiteral("192.0.2.99")};
    platform.adapterAddress = std::array<BYTE, 6>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    f.rtimer->Tick();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.dnss->text(), QStringLiteral("192.0.2.99"));
    EXPECT_EQ(d.padd->text(), QStringLiteral("FF-FF-FF-FF-FF-FF"));
    EXPECT_EQ(f.maclabel->text(), QStringLiteral("FF-FF-FF-FF-FF-FF"));
}

TEST_F(AddressRefresh, SameAddressRunsTheChangeHandlerAgain)
{
    Form1& f = Start();
    RecordLabels();
    platform.log.clear();
    f.ipa->Caption(f.ipa->text());
    EXPECT_EQ(Sequence().mid(0, 5),
              QStringList({"ipa=10.0.0.7", "sbm=" + Seven, "sb=" + Eight, "ds=" + Eight, "dnss=" + Eight}));
}

TEST_F(AddressRefresh, BrokenSocketsShowOneBoxPerLookupAndEmptyLabels)
{
    Form1& f = Start();
    platform.startupResult = 10091;
    platform.boxes.clear();
    f.rtimer->Tick();
    ASSERT_EQ(platform.boxes.size(), 4u) << "the host name and three IP look-ups";
    for (const auto& box : platform.boxes) {
        EXPECT_EQ(box.text, QStringLiteral("The 32-bit Windows Socket is not responding."));
        EXPECT_EQ(box.caption, QStringLiteral("Corvane"));
    }
    EXPECT_EQ(f.cname->text(), QString());
    EXPECT_EQ(f.iplable->text(), QString());
    EXPECT_EQ(f.ipa->text(), QString());
    EXPECT_EQ(f.sbm->text(), Seven) << "no number, no mask";
    EXPECT_EQ(details::Instance().ipadd->text(), QString());
}

TEST_F(AddressRefresh, ARefreshNeverNestsInsideItsOwnMessageBox)
{
    Form1& f = Start();
    platform.hostNameError = 10093;
    platform.boxes.clear();
    int nested = 0;
    platform.whileBoxOpen = [&](const ScriptedBackend::Box&) {
        ++nested;
        f.rtimer->Tick();
    };
    f.rtimer->Tick();
    EXPECT_EQ(nested, 4);
    EXPECT_EQ(platform.boxes.size(), 4u);
    EXPECT_EQ(
        platform.boxes[0].text,
        QStringLiteral("Windows Sockets error  10093 has occurred.  Unable to successfully get Host Name."));
    EXPECT_EQ(
        platform.boxes[1].text,
        QStringLiteral("Windows Sockets error  10093 has occurred. Unable to successfully get Host Name."));
}

} // namespace
