#include "Fixture.h"

#include <QLocale>
#include <string>

#include "ui/NumberText.h"

namespace {

std::string Tip(const NOTIFYICONDATA& data)
{
    return std::string(data.szTip, sizeof data.szTip);
}

std::string Padded(std::string text)
{
    text.resize(64, ' ');
    return text;
}

class Sampler : public MonitorTest {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
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
    EXPECT_EQ(Tip(add.data), Padded(std::string("Total Bytes received: \r\nTotal Bytes sent: ") + '\0'));
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
              Padded(std::string("Total Bytes received: 1,234,567\r\nTotal Bytes sent: 89") + '\0'));
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

TEST_F(Sampler, FallingTotalIsNoGrowthAndMayGoBelowTheBaseline)
{
    SetTotals(10000, 20000);
    Start();
    Tick();
    SetTotals(9900, 20500);
    Tick();
    EXPECT_EQ(form().lblRecv->text(), QStringLiteral("-100"));
    EXPECT_EQ(form().lblSent->text(), QStringLiteral("500"));
    EXPECT_EQ(Indicator(), QStringLiteral("upby"));
}

TEST_F(Sampler, TotalCrossingTwoToThe31StillGrows)
{
    SetTotals(0x7FFFFF00u, 100);
    Start();
    Tick();
    SetTotals(0x80000100u, 100);
    Tick();
    EXPECT_EQ(Indicator(), QStringLiteral("downby"));
    EXPECT_EQ(form().lblRecv->text(), QStringLiteral("512"));
    EXPECT_EQ(Form2::Instance().br->text(), QStringLiteral("-2,147,483,392"));
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

TEST_F(Sampler, TooltipFitsAt21CharactersOfCountsAndIsCutBeyond)
{
    // 11 + 10 = 21 characters of counts: the whole text, its NUL last.
    SetTotals(123456789, 12345678);
    Start();
    Tick();
    const std::string fits = Tip(platform.icon);
    EXPECT_EQ(fits, std::string("Total Bytes received: 123,456,789\r\nTotal Bytes sent: 12,345,678") + '\0');
    EXPECT_EQ(fits.size(), 64u);

    // 13 + 11 = 24: cut after 64 characters, inside the sent count, no NUL.
    SetTotals(1234567890, 123456789);
    Tick();
    const std::string cut = Tip(platform.icon);
    EXPECT_EQ(cut, std::string("Total Bytes received: 1,234,567,890\r\nTotal Bytes sent: 123,456,7"));
    EXPECT_EQ(cut.find('\0'), std::string::npos);
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
    EXPECT_EQ(form().lblRecv->text(), QStringLiteral("-10000")) << "a failed read gives totals of 0";
    EXPECT_EQ(Indicator(), QStringLiteral("noby"));
    platform.whileBoxOpen = nullptr;
    Tick();
    EXPECT_EQ(platform.boxes.size(), 2u) << "and the message comes again on the next tick";
}

} // namespace
