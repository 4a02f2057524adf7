#include "Fixture.h"
#include "ui/Image.h"

#include <QAccessible>
#include <QAction>
#include "ui/Label.h"
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

namespace {

class MainWindow : public MonitorTest {
protected:
    void SetUp() override { SetTotals(1000, 2000); }

    // The bar's Show/Hide pair: which of the two its menu offers.
    QString BarOffers()
    {
        Form2& bar = Form2::Instance();
        return QString(bar.mnurcshow->isVisible() ? "Show" : "") + (bar.mnurchide->isVisible() ? "Hide" : "");
    }
};

TEST_F(MainWindow, StartsOnTheGeneralPage)
{
    Form1& f = Start();
    EXPECT_TRUE(f.s1->isVisibleTo(&f));
    for (QWidget* w :
         {static_cast<QWidget*>(f.g1), static_cast<QWidget*>(f.support), static_cast<QWidget*>(f.dbtn),
          static_cast<QWidget*>(f.ipa), static_cast<QWidget*>(f.sbm)})
        EXPECT_FALSE(w->isVisibleTo(&f)) << w->objectName().toStdString();
    EXPECT_EQ(f.lblRecv->geometry(), QRect(224, 272, 105, 17));
    EXPECT_EQ(f.s1->geometry(), QRect(59, 8, 45, 18));
    EXPECT_EQ(f.support->geometry(), QRect(0, 0, 361, 386));
    EXPECT_EQ(f.closebtn->geometry(), QRect(280, 384, 73, 25));
    EXPECT_EQ(f.Label3->text(), QStringLiteral("Incomming Bytes Per Second :"));
    EXPECT_GE(f.Label1->y(), f.height()) << "the first-tick mark lies out of sight";

    QWidget* w = f.stnbtn;
    QStringList order;
    for (int i = 0; i < 5; ++i, w = w->nextInFocusChain())
        order << w->objectName();
    EXPECT_EQ(order, QStringList({"stnbtn", "hidebtn", "abtbtn", "closebtn", "dbtn"}));
}

TEST_F(MainWindow, PagesSwitchWithoutTouchingTheLabels)
{
    Form1& f = Start();
    f.Timer1->Tick();
    SetTotals(1500, 2000);
    f.Timer1->Tick();
    f.show();
    EXPECT_EQ(f.childAt(70, 15), f.s1);

    f.s1_Click();
    for (QWidget* w :
         {static_cast<QWidget*>(f.g1), static_cast<QWidget*>(f.support), static_cast<QWidget*>(f.dbtn),
          static_cast<QWidget*>(f.ipa), static_cast<QWidget*>(f.sbm)})
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
    EXPECT_EQ(f.childAt(70, 15), f.support) << "the Support page covers the General tab";
    EXPECT_EQ(f.childAt(20, 15), f.g1);
    EXPECT_EQ(f.childAt(f.lblRecv->geometry().center()), f.support);

    SetTotals(1700, 2000);
    f.Timer1->Tick(); // the hidden page keeps being updated
    f.g1_Click();
    EXPECT_FALSE(f.support->isVisible());
    EXPECT_FALSE(f.dbtn->isVisible());
    EXPECT_EQ(f.lblRecv->text(), QStringLiteral("700"));
    EXPECT_TRUE(f.downby->isVisible());
    EXPECT_EQ(f.childAt(70, 15), f.s1);
}

TEST_F(MainWindow, RightButtonOffersExactlyOneOfHideAndShow)
{
    Form1& f = Start();
    f.show();
    platform.SendIconMessage(WM_RBUTTONUP);
    ASSERT_EQ(platform.popups.size(), 1u);
    EXPECT_EQ(platform.popups[0].menu, QStringLiteral("mnutray"));
    EXPECT_EQ(platform.popups[0].flags, TPM_RIGHTALIGN);
    EXPECT_EQ(platform.popups[0].offered,
              QStringList({"mnutrayhide", "mnutraysettings", "mnutrayabout", "mnutrayexit"}));

    f.hide();
    platform.SendIconMessage(WM_RBUTTONUP);
    EXPECT_EQ(platform.popups[1].offered,
              QStringList({"mnutrayshow", "mnutraysettings", "mnutrayabout", "mnutrayexit"}));
    EXPECT_EQ(f.mnutray->actions().size(), 7) << "with the two separators";
}

TEST_F(MainWindow, TrayMenuDrawnByAPanelOffersHideOrShowAsTheWindowIs)
{
    Form1& f = Start();
    EXPECT_EQ(f.hWnd()->NotifyIconMenu(1), f.mnutray);
    f.show();
    emit f.mnutray->aboutToShow();
    EXPECT_TRUE(f.mnutrayhide->isVisible());
    EXPECT_FALSE(f.mnutrayshow->isVisible());
    f.hidebtn->click();
    emit f.mnutray->aboutToShow();
    EXPECT_TRUE(f.mnutrayshow->isVisible());
    EXPECT_FALSE(f.mnutrayhide->isVisible());
    EXPECT_TRUE(platform.popups.empty());
}

TEST_F(MainWindow, TrayHideAndShowMoveTheBarsPair)
{
    Form1& f = Start();
    f.show();
    EXPECT_EQ(BarOffers(), QStringLiteral("Hide"));

    platform.choose = QStringLiteral("mnutrayhide");
    platform.SendIconMessage(WM_RBUTTONUP);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(BarOffers(), QStringLiteral("Show"));
    EXPECT_FALSE(Form2::Instance().isVisible()) << "changing the pair does not show the bar";

    platform.choose = QStringLiteral("mnutrayshow");
    platform.SendIconMessage(WM_RBUTTONUP);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(BarOffers(), QStringLiteral("Hide"));

    f.hidebtn->click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(BarOffers(), QStringLiteral("Show"));
    platform.SendIconMessage(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(BarOffers(), QStringLiteral("Show")) << "a double-click leaves the pair alone";
}

TEST_F(MainWindow, DoubleClickDoesNothingWhileTheSettingsAreOpen)
{
    Form1& f = Start();
    f.stnbtn->click();
    ASSERT_TRUE(settings::Instance().isVisible());
    platform.SendIconMessage(WM_LBUTTONDBLCLK);
    EXPECT_FALSE(f.isVisible());
    settings::Instance().apbtn->click();
    platform.SendIconMessage(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(f.isVisible());
}

TEST_F(MainWindow, WhileDetailsAreOpenOnlyExitIsEnabled)
{
    Form1& f = Start();
    f.show();
    f.s1_Click();
    // A window that is none of the program's, as the tray icon's own window.
    QPushButton icon(QStringLiteral("icon"));
    int iconClicks = 0;
    QObject::connect(&icon, &QPushButton::clicked, [&] { ++iconClicks; });
    icon.show();
    bool checkedInside = false;
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(details::Instance().isVisible());
        // Clicks through the window system: the icon answers, the program's
        // other windows wait for the dialog.
        QTest::mouseClick(icon.windowHandle(), Qt::LeftButton, {}, icon.rect().center());
        EXPECT_EQ(iconClicks, 1) << "the modal dialog must not block the tray icon";
        int exits = 0;
        QObject::connect(f.closebtn, &QPushButton::clicked, [&] { ++exits; });
        QTest::mouseClick(f.windowHandle(), Qt::LeftButton, {}, f.closebtn->geometry().center());
        EXPECT_EQ(exits, 0) << "the main window takes no clicks while the dialog is open";
        platform.SendIconMessage(WM_RBUTTONUP);
        EXPECT_EQ(platform.popups.back().enabled, QStringList({"mnutrayexit"}));
        checkedInside = true;
        details::Instance().cbtn->click();
    });
    f.dbtn->click(); // returns once the dialog is closed
    EXPECT_TRUE(checkedInside);
    EXPECT_FALSE(details::Instance().isVisible());
    platform.SendIconMessage(WM_RBUTTONUP);
    EXPECT_EQ(platform.popups.back().enabled,
              QStringList({"mnutrayhide", "mnutraysettings", "mnutrayabout", "mnutrayexit"}));
}

TEST_F(MainWindow, DetailsCloseBoxActsAsClose)
{
    Form1& f = Start();
    QTimer::singleShot(0, [&] { details::Instance().close(); });
    f.dbtn_Click();
    EXPECT_FALSE(details::Instance().isVisible());
    platform.SendIconMessage(WM_RBUTTONUP);
    EXPECT_EQ(platform.popups.back().enabled,
              QStringList({"mnutrayshow", "mnutraysettings", "mnutrayabout", "mnutrayexit"}));
    EXPECT_NE(details::IfLoaded(), nullptr) << "hidden, not destroyed";
}

TEST_F(MainWindow, ExitFromTheTrayMenu)
{
    Start();
    platform.choose = QStringLiteral("mnutrayexit");
    platform.log.clear();
    platform.SendIconMessage(WM_RBUTTONUP);
    EXPECT_EQ(platform.log,
              QStringList({"TrackPopupMenu mnutray", "Shell_NotifyIconW NIM_DELETE", "ExitProcess"}));
}

TEST_F(MainWindow, ErrorInTheCallbackIsReportedAndTheProgramGoesOn)
{
    Form1& f = Start();
    platform.failPopup = true;
    platform.SendIconMessage(WM_RBUTTONUP);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, QStringLiteral("Method 'PopupMenu' of object 'Form1' failed"));
    EXPECT_EQ(platform.boxes[0].caption, QStringLiteral("Corvane 3.1 - Corvane"));
    EXPECT_EQ(platform.boxes[0].type, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(platform.mousePointerResets, 1);
    platform.failPopup = false;
    platform.SendIconMessage(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(f.isVisible());
}

TEST_F(MainWindow, AboutBoxIsOneWindowDestroyedOnOk)
{
    Form1& f = Start();
    f.abtbtn->click();
    frmAbout* first = frmAbout::IfLoaded();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->windowTitle(), QStringLiteral("About Corvane"));
    EXPECT_EQ(first->geometry(), QRect(227, 234, 347, 153));
    EXPECT_EQ(first->lblVersion->text(), QStringLiteral("Version 3.1"));
    EXPECT_TRUE(MadeTopmost(first->hWnd()));

    Form2::Instance().mnurcab_Click(); // from the bar while open
    EXPECT_EQ(frmAbout::IfLoaded(), first);

    QPointer<frmAbout> gone(first);
    first->cmdOK->click();
    EXPECT_EQ(frmAbout::IfLoaded(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());

    const auto topmostCalls = platform.stackCalls.size();
    f.mnutrayabout_Click();
    ASSERT_NE(frmAbout::IfLoaded(), nullptr);
    EXPECT_EQ(platform.stackCalls.size(), topmostCalls + 1) << "made topmost again";

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(frmAbout::IfLoaded(), &escape);
    EXPECT_EQ(frmAbout::IfLoaded(), nullptr);
}

TEST_F(MainWindow, BarMenuOpensOverTheStripButNotOverItsLabels)
{
    Start();
    Form2& bar = Form2::Instance();
    bar.show();
    auto release = [&](QPoint at, Qt::MouseButton button) {
        QWidget* target = bar.childAt(at) ? bar.childAt(at) : static_cast<QWidget*>(&bar);
        const QPoint local = target->mapFrom(&bar, at);
        QMouseEvent up(QEvent::MouseButtonRelease, local, target->mapToGlobal(local), button, Qt::NoButton,
                       Qt::NoModifier);
        QCoreApplication::sendEvent(target, &up);
    };
    release(QPoint(5, 10), Qt::RightButton);
    ASSERT_EQ(platform.popups.size(), 1u);
    EXPECT_EQ(platform.popups[0].menu, QStringLiteral("mnurc"));
    EXPECT_EQ(platform.popups[0].flags, TPM_RIGHTALIGN);
    EXPECT_EQ(platform.popups[0].offered, QStringList({"mnurchide", "mnurcst", "mnurcab", "mnurcex"}));
    release(QPoint(5, 10), Qt::LeftButton);
    release(QPoint(5, 10), Qt::MiddleButton);
    EXPECT_EQ(platform.popups.size(), 3u) << "any button opens it";
    release(bar.br->geometry().center(), Qt::RightButton);
    EXPECT_EQ(platform.popups.size(), 3u) << "a label opens nothing";
}

TEST_F(MainWindow, BarHideAndShow)
{
    Form1& f = Start();
    f.show();
    Form2& bar = Form2::Instance();
    bar.mnurchide_Click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(BarOffers(), QStringLiteral("Show"));
    bar.mnurcshow_Click();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(BarOffers(), QStringLiteral("Hide"));
    bar.mnurcshow_Click(); // already shown: only the pair swaps
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(BarOffers(), QStringLiteral("Hide"));

    platform.log.clear();
    bar.mnurcex_Click();
    EXPECT_EQ(platform.log, QStringList({"Shell_NotifyIconW NIM_DELETE", "ExitProcess"}));
}

} // namespace

// Captions that change at every tick paint the window's picture behind them
// themselves, so the window is not painted again under them: what shows must
// be the window's own pixels, with nothing behind them left unpainted.
TEST_F(MainWindow, CaptionsPaintingTheirOwnBackdropLookAsOnTheWindow)
{
    Form1& f = Start();
    const auto render = [&f](qreal ratio) {
        QImage image(f.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        f.render(&image);
        return image;
    };
    const QList<QWidget*> children = f.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    int own = 0;
    for (qsizetype i = 0; i < children.size(); ++i) {
        auto* label = dynamic_cast<Label*>(children[i]);
        if (!label || !label->testAttribute(Qt::WA_OpaquePaintEvent))
            continue;
        ++own;
        const std::string name = label->objectName().toStdString();
        for (qsizetype behind = 0; behind < i; ++behind)
            EXPECT_FALSE(children[behind]->geometry().intersects(label->geometry()))
                << name << " hides part of " << children[behind]->objectName().toStdString();
        label->Caption(QString());
        for (qreal ratio : {1.0, 2.0}) {
            const QImage shown = render(ratio);
            label->hide();
            const QImage bare = render(ratio);
            label->show();
            EXPECT_EQ(shown, bare) << name << " at " << ratio;
        }
    }
    EXPECT_GE(own, 2);
}

TEST_F(MainWindow, ScreenReadersHearWhatIsShownNotCodeNames)
{
    Form1& f = Start();
    f.Timer1->Tick();
    f.Timer1->Tick();
    f.abtbtn->click();
    const QList<QWidget*> windows = {&f, &Form2::Instance(), &settings::Instance(), &details::Instance(),
                                     frmAbout::IfLoaded()};
    int labels = 0;
    for (QWidget* window : windows) {
        ASSERT_NE(window, nullptr);
        for (QWidget* w : window->findChildren<QWidget*>()) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            ASSERT_NE(a, nullptr);
            const QString name = a->text(QAccessible::Name);
            // Pictures are decoded only when first shown, so tell them by their kind.
            if (auto* label = dynamic_cast<Label*>(w)) {
                EXPECT_EQ(name, label->text()) << w->objectName().toStdString();
                ++labels;
            } else if (!w->objectName().isEmpty()) {
                EXPECT_NE(name, w->objectName()) << "a code name read aloud";
            }
        }
    }
    EXPECT_GE(labels, 30) << "every window's captions were looked at";
    EXPECT_FALSE(f.lblRecv->text().isEmpty());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(f.s1)->text(QAccessible::Name),
              QStringLiteral("Support"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(f.support)->text(QAccessible::Name), QString())
        << "a picture that only decorates says nothing";
}
