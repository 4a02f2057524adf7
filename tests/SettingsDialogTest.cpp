#include "Fixture.h"

#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QtTest/QTest>

namespace {

class SettingsDialog : public MonitorTest {
protected:
    void SetUp() override { SetTotals(1000, 1000); }
    settings& dialog() { return settings::Instance(); }
    QByteArray FileBytes(const QString& name)
    {
        QFile f(folder.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

TEST_F(SettingsDialog, OpensInItsDesignState)
{
    settings& d = dialog();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Corvane Settings"));
    EXPECT_EQ(d.geometry(), QRect(525, 321, 208, 180));
    EXPECT_EQ(d.minimumSize(), d.maximumSize());
    EXPECT_TRUE(MadeTopmost(d.hWnd())) << "topmost from its load handler on";
    EXPECT_FALSE(d.isVisible());

    EXPECT_EQ(d.Frame2->title(), QStringLiteral("Settings"));
    EXPECT_EQ(d.Frame1->title(), QStringLiteral("Select color of tray icon lights :"));
    EXPECT_EQ(d.si->text(), QStringLiteral("Use System Tray Icon  (Default)"));
    EXPECT_EQ(d.ub->text(), QStringLiteral("Use Bar"));
    EXPECT_EQ(d.bl->text(), QStringLiteral("Blue Lights (Default)"));
    EXPECT_EQ(d.gl->text(), QStringLiteral("Green Lights"));
    EXPECT_EQ(d.pl->text(), QStringLiteral("Pink Lights"));
    EXPECT_EQ(d.apbtn->text(), QStringLiteral("Close"));
    EXPECT_EQ(d.apbtn->toolTip(),
              QStringLiteral("Closes the dialog box and saves any changes you have made."));
    EXPECT_EQ(d.Frame2->geometry(), QRect(8, 8, 193, 57));
    EXPECT_EQ(d.Frame1->geometry(), QRect(8, 72, 193, 73));
    EXPECT_EQ(d.pl->geometry(), QRect(8, 48, 145, 17));
    EXPECT_EQ(d.apbtn->geometry(), QRect(128, 152, 73, 25));

    EXPECT_TRUE(d.si->Value());
    EXPECT_FALSE(d.ub->Value());
    EXPECT_TRUE(d.bl->Value());
    EXPECT_FALSE(d.gl->Value());
    EXPECT_FALSE(d.pl->Value());
    EXPECT_EQ(d.Text1.text(), QStringLiteral("Blue Lights"));
    EXPECT_EQ(d.Text2.text(), QStringLiteral("Use System Tray Icon"));
}

TEST_F(SettingsDialog, TabAndTypingNeverReachTheStoredWords)
{
    settings& d = dialog();
    d.show();
    EXPECT_EQ(d.focusWidget(), d.apbtn) << "the focus starts on Close";
    // Keyboard order: Close first, then the colours from pink, then the modes;
    // every stop is a control the user sees.
    QStringList order;
    for (int i = 0; i < 7; ++i) {
        QWidget* focus = d.focusWidget();
        ASSERT_NE(focus, nullptr);
        order << focus->objectName();
        EXPECT_TRUE(focus->isVisible() && d.rect().contains(focus->mapTo(&d, focus->rect().bottomRight())))
            << focus->objectName().toStdString() << " takes the focus out of sight";
        QTest::keyClicks(focus, QStringLiteral("Zz"));
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    EXPECT_EQ(order, QStringList({"apbtn", "pl", "bl", "gl", "si", "ub", "apbtn"}));
    d.apbtn->click();
    EXPECT_EQ(FileBytes("settings.ini"), QByteArray("\"Blue Lights\"\r\n"));
    EXPECT_EQ(FileBytes("config.ini"), QByteArray("\"Use System Tray Icon\"\r\n"));
}

TEST_F(SettingsDialog, ColourHandlersRunOnlyWhenTheButtonBecomesSelected)
{
    settings& d = dialog();
    d.gl->click();
    EXPECT_TRUE(d.gl->Value());
    EXPECT_FALSE(d.bl->Value());
    EXPECT_FALSE(d.pl->Value());
    EXPECT_EQ(d.Text1.text(), QStringLiteral("Green Lights"));

    d.Text1.setText(QStringLiteral("marker"));
    d.gl->click(); // already selected
    EXPECT_TRUE(d.gl->Value()) << "a click does not unselect";
    EXPECT_EQ(d.Text1.text(), QStringLiteral("marker")) << "no handler ran";

    d.pl->Value(true); // code selects it
    EXPECT_EQ(d.Text1.text(), QStringLiteral("Pink Lights"));
    EXPECT_FALSE(d.gl->Value());

    d.pl->Value(false); // code may unselect the selected button
    EXPECT_FALSE(d.pl->Value());
    EXPECT_EQ(d.Text1.text(), QStringLiteral("Pink Lights"));
    d.bl->Value(true);
    EXPECT_EQ(d.Text1.text(), QStringLiteral("Blue Lights"));
}

TEST_F(SettingsDialog, UseBarShowsTheBarAndTheIconGoesAtTheNextTick)
{
    Form1& f = Start();
    f.Timer1->Tick();
    settings& d = dialog();
    const int deletesBefore = platform.CountShellCalls(NIM_DELETE);
    const HICON held = f.TrayIconData.hIcon;

    d.ub->click();
    EXPECT_TRUE(d.ub->Value());
    EXPECT_FALSE(d.si->Value());
    EXPECT_TRUE(Form2::Instance().isVisible());
    EXPECT_FALSE(d.bl->isEnabled());
    EXPECT_FALSE(d.gl->isEnabled());
    EXPECT_FALSE(d.pl->isEnabled());
    EXPECT_TRUE(d.bl->Value()) << "disabled options keep their selection";
    EXPECT_EQ(d.Text2.text(), QStringLiteral("Use Bar"));
    EXPECT_EQ(platform.CountShellCalls(NIM_DELETE), deletesBefore) << "the handler leaves the icon";
    EXPECT_TRUE(platform.iconPresent);

    for (int tick = 1; tick <= 3; ++tick) {
        f.Timer1->Tick();
        EXPECT_EQ(platform.CountShellCalls(NIM_DELETE), deletesBefore + tick) << "every tick deletes";
        EXPECT_EQ(platform.shellCalls.back().message, NIM_MODIFY) << "and still modifies";
    }
    EXPECT_FALSE(platform.iconPresent);
    EXPECT_EQ(f.TrayIconData.hIcon, held) << "the picture is left as it was";
    EXPECT_FALSE(f.tby->isHidden() && f.noby->isHidden() && f.upby->isHidden() && f.downby->isHidden())
        << "the window's own picture still follows the traffic";

    platform.log.clear();
    d.si->click();
    EXPECT_EQ(platform.log.first(), QStringLiteral("Shell_NotifyIconW NIM_ADD")) << "back at once";
    EXPECT_TRUE(platform.iconPresent);
    EXPECT_EQ(platform.icon.hIcon, held);
    EXPECT_FALSE(Form2::Instance().isVisible());
    EXPECT_TRUE(d.bl->isEnabled() && d.gl->isEnabled() && d.pl->isEnabled());
    EXPECT_EQ(d.Text2.text(), QStringLiteral("Use System Tray Icon"));
}

TEST_F(SettingsDialog, NewColourShowsAtTheNextTick)
{
    Form1& f = Start();
    f.Timer1->Tick();
    ASSERT_EQ(IconIndex(platform.icon), 8);
    dialog().pl->click();
    EXPECT_EQ(IconIndex(platform.icon), 8) << "the handler does not touch the icon";
    f.Timer1->Tick(); // idle now
    EXPECT_EQ(IconIndex(platform.icon), 9);
}

TEST_F(SettingsDialog, CloseSavesBothFilesAndHides)
{
    settings& d = dialog();
    d.show();
    d.gl->click();
    d.apbtn->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(FileBytes("settings.ini"), QByteArray("\"Green Lights\"\r\n"));
    EXPECT_EQ(FileBytes("config.ini"), QByteArray("\"Use System Tray Icon\"\r\n"));

    d.show();
    d.pl->click();
    d.ub->click();
    d.close(); // the close box acts as Close
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(FileBytes("settings.ini"), QByteArray("\"Pink Lights\"\r\n"));
    EXPECT_EQ(FileBytes("config.ini"), QByteArray("\"Use Bar\"\r\n"));
    EXPECT_TRUE(d.ub->Value()) << "closing keeps the choices";
}

TEST_F(SettingsDialog, OpeningItAgainKeepsTheSameDialog)
{
    Form1& f = Start();
    f.stnbtn->click();
    settings* first = &dialog();
    EXPECT_TRUE(first->isVisible());
    first->gl->click();
    f.mnutraysettings_Click();
    EXPECT_EQ(&dialog(), first);
    EXPECT_TRUE(first->gl->Value());
}

class TrayLights : public MonitorTest {};

TEST_F(TrayLights, EachStateAndColourHasItsPicture)
{
    Form1& f = Start();
    settings& d = settings::Instance();
    struct Case {
        OptionButton* colour;
        int idle, receiving, sending, both;
    };
    for (const Case& c : {Case{d.gl, 1, 2, 3, 4}, Case{d.bl, 5, 6, 7, 8}, Case{d.pl, 9, 10, 11, 12}}) {
        c.colour->Value(true);
        const auto calls = platform.shellCalls.size();
        f.SetLightsIdle();
        EXPECT_EQ(IconIndex(f.TrayIconData), c.idle);
        f.SetLightsReceiving();
        EXPECT_EQ(IconIndex(f.TrayIconData), c.receiving);
        f.SetLightsSending();
        EXPECT_EQ(IconIndex(f.TrayIconData), c.sending);
        f.SetLightsBoth();
        EXPECT_EQ(IconIndex(f.TrayIconData), c.both);
        EXPECT_EQ(platform.shellCalls.size(), calls) << "the setters talk to nobody in tray mode";
    }
}

TEST_F(TrayLights, BarModeDeletesOnEveryCallAndKeepsThePicture)
{
    Form1& f = Start();
    settings& d = settings::Instance();
    d.gl->Value(true);
    f.SetLightsSending();
    d.ub->Value(true);
    for (auto setter : {&Form1::SetLightsIdle, &Form1::SetLightsReceiving, &Form1::SetLightsSending,
                        &Form1::SetLightsBoth}) {
        platform.log.clear();
        (f.*setter)();
        EXPECT_EQ(platform.log, QStringList({"Shell_NotifyIconW NIM_DELETE"}));
        EXPECT_EQ(IconIndex(f.TrayIconData), 3);
    }
}

} // namespace
