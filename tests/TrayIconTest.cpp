#include "Fixture.h"

#include <QPushButton>

namespace {

class TrayIcon : public MonitorTest {
protected:
    void SetUp() override { SetTotals(100, 200); }
};

TEST_F(TrayIcon, DoubleClickShowsTheHiddenWindow)
{
    Form1& f = Start();
    EXPECT_FALSE(f.isVisible());
    platform.SendIconMessage(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(f.isVisible());
    platform.SendIconMessage(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(f.isVisible()) << "a shown window stays shown";
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(TrayIcon, OtherMouseMessagesDoNothing)
{
    Form1& f = Start();
    const auto calls = platform.log.size();
    for (UINT message :
         {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK, WM_MBUTTONUP})
        platform.SendIconMessage(message);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(platform.log.size(), calls);
}

TEST_F(TrayIcon, CallbackTakesTheMouseMessageFromXInTwips)
{
    Form1& f = Start();
    f.Form_MouseMove(0, 0, 0x203 * 15.0f, 0);
    EXPECT_TRUE(f.isVisible());
}

TEST_F(TrayIcon, ExitButtonRemovesTheIconThenEndsTheProcess)
{
    Form1& f = Start();
    platform.log.clear();
    f.closebtn->click();
    EXPECT_EQ(platform.log, QStringList({"Shell_NotifyIconW NIM_DELETE", "ExitProcess"}));
    EXPECT_FALSE(platform.iconPresent);
    EXPECT_EQ(platform.exits.size(), 1u);
}

TEST_F(TrayIcon, CloseBoxEndsTheProgramRatherThanHiding)
{
    Form1& f = Start();
    f.show();
    platform.log.clear();
    f.close();
    EXPECT_EQ(platform.log, QStringList({"Shell_NotifyIconW NIM_DELETE", "ExitProcess"}));
}

TEST_F(TrayIcon, DestroyingTheWindowRunsTheExitSequence)
{
    Start();
    platform.log.clear();
    Form1::Unload();
    EXPECT_EQ(platform.log, QStringList({"Shell_NotifyIconW NIM_DELETE", "ExitProcess"}));
}

TEST_F(TrayIcon, AddingAgainWhilePresentIsRefusedAndChangesNothing)
{
    Form1& f = Start();
    f.Timer1->Tick();
    const NOTIFYICONDATA before = platform.icon;
    f.si();
    ASSERT_EQ(platform.shellCalls.back().message, NIM_ADD);
    EXPECT_EQ(platform.shellCalls.back().result, FALSE);
    EXPECT_EQ(platform.icon.hIcon, before.hIcon);
    EXPECT_TRUE(platform.iconPresent);
}

TEST_F(TrayIcon, WindowIsFixedAtItsPlace)
{
    Form1& f = Start();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Corvane"));
    EXPECT_EQ(f.geometry(), QRect(427, 151, 360, 413));
    EXPECT_EQ(f.minimumSize(), f.maximumSize());
    EXPECT_FALSE(f.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(f.windowFlags() & Qt::WindowMaximizeButtonHint);
}

} // namespace
