#include "Fixture.h"
#include "ui/NumberText.h"

#include <QLocale>

namespace {

class RateMeterTest : public MonitorTest {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        ReloadUserLocale();
    }
    void TearDown() override
    {
        MonitorTest::TearDown();
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        ReloadUserLocale();
    }
    void Tick() { ig().Timer1->Tick(); }
    // The four rate labels, main window's first.
    QStringList Rates()
    {
        Form1& f = Form1::Instance();
        Form2& bar = Form2::Instance();
        return {f.incommin->text(), f.outgoin->text(), bar.ib->text(), bar.ob->text()};
    }
};

TEST_F(RateMeterTest, RateTextIsTheIncreaseInThousands)
{
    EXPECT_EQ(RateMeter::RateText(1536), QStringLiteral("1.536 kbps"));
    EXPECT_EQ(RateMeter::RateText(500), QStringLiteral("0.5 kbps"));
    EXPECT_EQ(RateMeter::RateText(1000), QStringLiteral("1 kbps"));
    EXPECT_EQ(RateMeter::RateText(0), QStringLiteral("0 kbps"));
    EXPECT_EQ(RateMeter::RateText(4294967295u), QStringLiteral("4294967.295 kbps"));
    QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    ReloadUserLocale();
    EXPECT_EQ(RateMeter::RateText(1536), QStringLiteral("1,536 kbps"));
    EXPECT_EQ(RateMeter::RateText(250), QStringLiteral("0,25 kbps"));
    EXPECT_EQ(RateMeter::RateText(3000), QStringLiteral("3 kbps"));
}

TEST_F(RateMeterTest, StartsWithTheStartUpAndItsOwnSnapshot)
{
    SetTotals(5120, 2048);
    Form1& f = Start();
    RateMeter& meter = ig();
    ASSERT_TRUE(meter.IpHelper);
    EXPECT_NE(meter.IpHelper.get(), f.IpHelper.get());
    EXPECT_EQ(meter.windowTitle(), QStringLiteral("I&G"));
    EXPECT_EQ(meter.Timer1->Interval(), 500);
    EXPECT_TRUE(meter.Timer1->Enabled());
    EXPECT_FALSE(meter.isVisible());
    EXPECT_EQ(meter.IpHelper->BytesReceived(), 0);
}

TEST_F(RateMeterTest, FirstTickShowsTheWholeTotals)
{
    SetTotals(5120, 2048);
    Start();
    EXPECT_EQ(Form2::IfLoaded(), nullptr);
    Tick();
    EXPECT_EQ(Rates(), QStringList({"5.12 kbps", "2.048 kbps", "5.12 kbps", "2.048 kbps"}));
    ASSERT_NE(Form2::IfLoaded(), nullptr) << "the first tick creates the bar";
    EXPECT_FALSE(Form2::Instance().isVisible()) << "and leaves it hidden";
    EXPECT_TRUE(Form1::Instance().lblRecv->text().isEmpty()) << "the sampler's labels are its own";
}

TEST_F(RateMeterTest, LaterTicksShowTheIncreasePerTick)
{
    SetTotals(100000, 50000);
    Start();
    Tick();
    Tick();
    EXPECT_EQ(Rates(), QStringList({"0 kbps", "0 kbps", "0 kbps", "0 kbps"}));
    SetTotals(101536, 50500);
    Tick();
    EXPECT_EQ(Rates(), QStringList({"1.536 kbps", "0.5 kbps", "1.536 kbps", "0.5 kbps"}));
    SetTotals(101536, 53500);
    Tick();
    EXPECT_EQ(Rates(), QStringList({"0 kbps", "3 kbps", "0 kbps", "3 kbps"}));
}

TEST_F(RateMeterTest, RatesAreWhatTheInterfacesMovedNeverBelowZero)
{
    platform.rows = {ScriptedBackend::Row(QStringLiteral("eth0"), 2, 0x7FFFFC00u, 0xFFFFFF00u),
                     ScriptedBackend::Row(QStringLiteral("veth0"), 5, 3000000, 10238867)};
    Start();
    Tick();
    // eth0 passes 2^31 receiving and wraps sending.
    platform.rows[0].dwInOctets = 0x80000400u;
    platform.rows[0].dwOutOctets = 0x100u;
    Tick();
    EXPECT_EQ(Rates(), QStringList({"2.048 kbps", "0.512 kbps", "2.048 kbps", "0.512 kbps"}));

    // veth0 goes away, then comes back with other counts (moved in from
    // elsewhere), while eth0 moves 1500 bytes each way.
    platform.rows.pop_back();
    Tick();
    EXPECT_EQ(Rates(), QStringList({"0 kbps", "0 kbps", "0 kbps", "0 kbps"}));
    platform.rows.push_back(ScriptedBackend::Row(QStringLiteral("veth0"), 6, 81910938, 1));
    platform.rows[0].dwInOctets += 1500;
    platform.rows[0].dwOutOctets += 1500;
    Tick();
    EXPECT_EQ(Rates(), QStringList({"1.5 kbps", "1.5 kbps", "1.5 kbps", "1.5 kbps"}));
}

TEST_F(RateMeterTest, ZeroTotalReadsAsZero)
{
    SetTotals(3000, 0);
    Start();
    Tick();
    EXPECT_EQ(Rates(), QStringList({"3 kbps", "0 kbps", "3 kbps", "0 kbps"}));
    platform.fillResult = 31; // a failed read: no interface, totals of 0
    Tick();
    EXPECT_EQ(Rates(), QStringList({"0 kbps", "0 kbps", "0 kbps", "0 kbps"}));
}

} // namespace
