#include "Fixture.h"

#include <QLocale>
#include <iterator>

#include "platform/linux/LinuxTray.h"
#include "ui/NumberText.h"

namespace {

// The whole tip field, padding included.
QString Tip(const NOTIFYICONDATA& data)
{
    return QString(reinterpret_cast<const QChar*>(data.szTip), std::size(data.szTip));
}

QString Padded(QString text)
{
    return text.leftJustified(128, QLatin1Char(' '));
}

const QString NUL(QChar(0));

class Sampler : public MonitorTest {
protected:
    void SetUp() override { UseLocale("en_US"); }
    void TearDown() override
    {
        MonitorTest::TearDown();
        UseLocale("en_US");
    }
    static void UseLocale(const char* name)
    {
        QLocale::setDefault(QLocale(QLatin1String(name)));
        ReloadUserLocale();
    }

    Form1& form() { return Form1::Instance(); }
    void Tick() { form().Timer1->Tick(); }

    // Which of the four pictures is shown.
    QString Indicator()
    {
        QString shown;
        for (Image* p : {form().noby, form().downby, form().upby, form().tby})
            if (!p->isHidden())
                shown += p->objectName();
        return shown;
    }
};

TEST_F(Sampler, StartUpAddsTheIconWithEmptyCountsAndTheBothLitPicture)
{
    SetTotals(5000, 7000);
    Form1& f = Start();
    ASSERT_EQ(platform.shellCalls.size(), 1u);
    const auto& add = platform.shellCalls[0];
    EXPECT_EQ(add.message, NIM_ADD);
    EXPECT_EQ(add.data.cbSize, sizeof(NOTIFYICONDATA));
    EXPECT_EQ(add.data.hWnd, f.hWnd());
    EXPECT_EQ(add.data.uID, 1u);
    EXPECT_EQ(add.data.uFlags, 7u);
    EXPECT_EQ(add.data.uCallbackMessage, 0x200u);
    EXPECT_EQ(IconIndex(add.data), 8) << "blue, both lit";
    EXPECT_EQ(Tip(add.data), Padded(QStringLiteral("Total Bytes received: \r\nTotal Bytes sent: ") + NUL));
    EXPECT_TRUE(platform.iconPresent);

    EXPECT_TRUE(MadeTopmost(f.hWnd()));
    EXPECT_EQ(platform.ifTableCalls, 0) << "the totals are read before any table";
    EXPECT_EQ(Indicator(), QString()) << "no picture before the first tick";
    EXPECT_EQ(f.Timer1->Interval(), 500);
    EXPECT_TRUE(f.Timer1->Enabled());
}

TEST_F(Sampler, FirstTickSetsBaselinesAndShowsBoth)
{
    SetTotals(1234567, 89);
    Start();
    Tick();
    EXPECT_EQ(form().lblRecv->text(), QString());
    EXPECT_EQ(form().lblSent->text(), QString());
    EXPECT_EQ(form().lblRecv->Tag, QStringLiteral("1,234,567"));
    EXPECT_EQ(form().lblSent->Tag, QStringLiteral("89"));
    EXPECT_EQ(form().Label1->Tag, QStringLiteral("1"));
    EXPECT_EQ(Form2::Instance().br->text(), QStringLiteral("1,234,567"));
    EXPECT_EQ(Form2::Instance().bs->text(), QStringLiteral("89"));
    EXPECT_EQ(Indicator(), QStringLiteral("tby"));
    const auto& modify = platform.shellCalls.back();
    EXPECT_EQ(modify.message, NIM_MODIFY);
    EXPECT_EQ(IconIndex(modify.data), 8);
    EXPECT_EQ(Tip(modify.data),
              Padded(QStringLiteral("Total Bytes received: 1,234,567\r\nTotal Bytes sent: 89") + NUL));
}

TEST_F(Sampler, EachStateShowsItsPictureAndIcon)
{
    SetTotals(10000, 20000);
    Start();
    Tick();

    Tick(); // nothing moved
    EXPECT_EQ(form().lblRecv->text(), QStringLiteral("0"));
    EXPECT_EQ(form().lblSent->text(), QStringLiteral("0"));
    EXPECT_EQ(Indicator(), QStringLiteral("noby"));
    EXPECT_EQ(IconIndex(platform.icon), 5);

    SetTotals(11500, 20000);
    Tick();
    EXPECT_EQ(form().lblRecv->text(), QStringLiteral("1500")) << "no separator since start";
    EXPECT_EQ(form().lblSent->text(), QStringLiteral("0"));
    EXPECT_EQ(Indicator(), QStringLiteral("downby"));
    EXPECT_EQ(IconIndex(platform.icon), 6);
    EXPECT_EQ(Form2::Instance().br->text(), QStringLiteral("11,500"));

    SetTotals(11500, 21000);
    Tick();
    EXPECT_EQ(Indicator(), QStringLiteral("upby"));
    EXPECT_EQ(IconIndex(platform.icon), 7);
    EXPECT_EQ(form().lblSent->text(), QStringLiteral("1000"));

    SetTotals(12000, 22000);
    Tick();
    EXPECT_EQ(Indicator(), QStringLiteral("tby"));
    EXPECT_EQ(IconIndex(platform.icon), 8);
    EXPECT_EQ(platform.CountShellCalls(NIM_MODIFY), 5) << "one modification per tick";
}

TEST_F(Sampler, InterfacesThatComeAndGoNeitherAddNorTakeAway)
{
    platform.rows = {ScriptedBackend::Row(QStringLiteral("eth0"), 2, 10000, 20000),
                     ScriptedBackend::Row(QStringLiteral("veth0"), 5, 0, 0)};
    Start();
    Tick();
    platform.rows[1].dwOutOctets = 3070392;
    platform.rows[1].dwInOctets = 4000;
    Tick();
    EXPECT_EQ(form().lblSent->text(), QStringLiteral("3070392"));
    EXPECT_EQ(form().lblRecv->text(), QStringLiteral("4000"));

    // The link goes away with its counts: the totals fall, the counts stay.
    platform.rows.pop_back();
    Tick();
    EXPECT_EQ(form().lblSent->text(), QStringLiteral("3070392"));
    EXPECT_EQ(form().lblRecv->text(), QStringLiteral("4000"));
    EXPECT_EQ(Indicator(), QStringLiteral("noby")) << "a fall is no growth";
    EXPECT_EQ(Form2::Instance().bs->text(), QStringLiteral("20,000"));

    // One moved in with counts of its own adds nothing; eth0's own growth does.
    platform.rows.push_back(ScriptedBackend::Row(QStringLiteral("moved0"), 9, 5000000, 6000000));
    platform.rows[0].dwInOctets += 100;
    Tick();
    EXPECT_EQ(form().lblRecv->text(), QStringLiteral("4100"));
    EXPECT_EQ(form().lblSent->text(), QStringLiteral("3070392"));
    EXPECT_EQ(Indicator(), QStringLiteral("downby"));
    EXPECT_EQ(Form2::Instance().br->text(), QStringLiteral("5,010,100"));
}

TEST_F(Sampler, CountsStayTruePastTwoToThe31And32AndFarBeyond)
{
    platform.rows = {ScriptedBackend::Row(QStringLiteral("lo"), 1, 0x40000000u, 0x100u),
                     ScriptedBackend::Row(QStringLiteral("eth0"), 2, 0x7FFFFF00u, 0x100u)};
    Start();
    Tick();
    EXPECT_EQ(Form2::Instance().br->text(), QStringLiteral("3,221,225,216")) << "past 2^31, not negative";
    EXPECT_EQ(Tip(platform.icon),
              Padded(QStringLiteral("Total Bytes received: 3,221,225,216\r\nTotal Bytes sent: 512") + NUL));

    // eth0's counter passes 2^31 and the total passes 2^32.
    platform.rows[0].dwInOctets = 0x80000000u;
    platform.rows[1].dwInOctets = 0x80000100u;
    Tick();
    EXPECT_EQ(Form2::Instance().br->text(), QStringLiteral("256")) << "the total counts modulo 2^32";
    EXPECT_EQ(form().lblRecv->text(), QString::number(0x40000000u + 0x200u));
    EXPECT_EQ(Indicator(), QStringLiteral("downby"));

    // 1 GiB a tick on eth0, whose counter wraps at 4 GiB: 5 GiB since start.
    for (int i = 0; i < 4; ++i) {
        platform.rows[1].dwInOctets += 0x40000000u;
        Tick();
        EXPECT_EQ(Indicator(), QStringLiteral("downby")) << "tick " << i;
    }
    EXPECT_EQ(form().lblRecv->text(), QString::number(5ull * 1024 * 1024 * 1024 + 0x200u));
    EXPECT_EQ(form().lblSent->text(), QStringLiteral("0"));
}

TEST_F(Sampler, ZeroTotalReadsAsZero)
{
    SetTotals(0, 0);
    Start();
    Tick();
    EXPECT_EQ(Indicator(), QStringLiteral("noby")) << "0 is no growth from 0";
    EXPECT_EQ(form().lblRecv->Tag, QString());
    EXPECT_EQ(Form2::Instance().br->text(), QString());
    SetTotals(500, 0);
    Tick();
    EXPECT_EQ(form().lblRecv->text(), QStringLiteral("500"));
    EXPECT_EQ(form().lblSent->text(), QStringLiteral("0"));
}

TEST_F(Sampler, TooltipHoldsTheLongestTotalsWithTheUsersOwnSeparators)
{
    SetTotals(0xFFFFFFFFu, 0xFFFFFFFEu);
    Start();
    for (const char* name : {"fr_FR", "de_CH", "ar_EG"}) {
        UseLocale(name);
        const QString sep = QLocale(QLatin1String(name)).groupSeparator();
        ASSERT_EQ(sep.size(), 1) << name;
        EXPECT_GT(sep[0].unicode(), 0xFF) << name << ": a separator outside Latin-1";
        Tick();
        const QString received = QStringList({"4", "294", "967", "295"}).join(sep);
        const QString sent = QStringList({"4", "294", "967", "294"}).join(sep);
        const QString text = "Total Bytes received: " + received + "\r\nTotal Bytes sent: " + sent;
        EXPECT_EQ(Tip(platform.icon), Padded(text + NUL)) << name;
        EXPECT_EQ(LinuxTray::TipText(platform.icon), text) << name << ": what the tray shows";
        EXPECT_EQ(Form2::Instance().br->text(), received) << name;
    }
}

TEST_F(Sampler, BarLabelsAreWrittenWhileTheBarStaysHidden)
{
    SetTotals(4096, 2048);
    Start();
    EXPECT_EQ(Form2::IfLoaded(), nullptr);
    Tick();
    ASSERT_NE(Form2::IfLoaded(), nullptr) << "the first tick creates the bar";
    EXPECT_FALSE(Form2::Instance().isVisible());
    EXPECT_EQ(Form2::Instance().br->text(), QStringLiteral("4,096"));
    EXPECT_EQ(Form2::Instance().bs->text(), QStringLiteral("2,048"));
}

TEST_F(Sampler, UnreadableTableReportsOnEveryTickWithoutPilingUp)
{
    SetTotals(10000, 20000);
    Start();
    Tick();
    platform.probeResult = ERROR_NOT_SUPPORTED;
    // While the box waits, the timer fires again and again.
    int nestedTicks = 0;
    platform.whileBoxOpen = [&](const ScriptedBackend::Box&) {
        for (int i = 0; i < 3; ++i, ++nestedTicks)
            Tick();
    };
    Tick();
    EXPECT_EQ(nestedTicks, 3);
    EXPECT_EQ(platform.boxes.size(), 1u) << "a tick never nests inside its own box";
    EXPECT_EQ(platform.boxes[0].text, QStringLiteral("Not supported by this system."));
    EXPECT_EQ(form().lblRecv->text(), QStringLiteral("0")) << "a failed read counts nothing";
    EXPECT_EQ(Indicator(), QStringLiteral("noby"));
    platform.whileBoxOpen = nullptr;
    Tick();
    EXPECT_EQ(platform.boxes.size(), 2u) << "and the message comes again on the next tick";
}

} // namespace
