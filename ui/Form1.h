// The main window: start-up, the notification-area icon and its callback, the
// 500 ms traffic sampler and the tray lights.
#pragma once

#include "Form.h"
#include "Image.h"
#include "Label.h"
#include "SingleInstance.h"
#include "Timer.h"
#include "platform/ImageList.h"
#include "platform/Shell32.h"
#include "stats/CIpHelper.h"

#include <QPixmap>
#include <cstdint>
#include <memory>

class QAction;
class QMenu;
class QPushButton;

// What the totals did since the previous tick.
enum class TrafficState { Idle, Receiving, Sending, Both };

class Form1 : public Form, public SingleInstance<Form1> {
public:
    Form1();
    ~Form1() override;

    // Controls, front to back.
    QPushButton* stnbtn;
    QPushButton* hidebtn;
    QPushButton* abtbtn;
    QPushButton* closebtn;
    QPushButton* dbtn;
    Label* ipa;
    Label* sbm;
    Image* g1;
    Image* support;
    Label* outgoin;
    Label* incommin;
    Label* Label4;
    Label* Label3;
    Image* s1;
    Label* Label1;
    Image* noby;
    Image* upby;
    Image* downby;
    Image* tby;
    Label* lblRecv;
    Label* lblSent;
    Label* iplabel;
    Label* iplable;
    Label* mac;
    Label* maclabel;
    Label* host;
    Label* cname;

    Timer* Timer1;
    Timer* rtimer;
    ImageList ImageList1;

    // The popup that the notification-area icon opens.
    QMenu* mnutray;
    QAction* mnutrayhide;
    QAction* mnutrayshow;
    QAction* mnutraysettings;
    QAction* mnutrayempty;
    QAction* mnutrayabout;
    QAction* mnutrayempty2;
    QAction* mnutrayexit;

    std::unique_ptr<CIpHelper> IpHelper;
    NOTIFYICONDATA TrayIconData{};

    void Form_Load();
    // Adds the notification-area icon again, as TrayIconData describes it.
    void si();

    // Every Exit command: the icon goes, then the process ends at once.
    void ExitSequence();

    void closebtn_Click();
    void Form_Unload(int& Cancel);
    void Form_Terminate();
    // The icon's notifications arrive here, the mouse message as x in twips.
    void Form_MouseMove(int Button, int Shift, float X, float Y);
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    QMenu* NotifyIconMenu(UINT uID) override;

    void Timer1_Timer();
    // Looks the machine's identity up again and rewrites every label of it.
    void rtimer_Timer();
    // Runs whenever the Support page's IP label is set.
    void ipa_Change();

    void s1_Click();
    void g1_Click();
    void abtbtn_Click();
    void mnutrayabout_Click();
    void stnbtn_Click();
    void mnutraysettings_Click();
    void dbtn_Click();
    void hidebtn_Click();
    void mnutrayhide_Click();
    void mnutrayshow_Click();
    void mnutrayexit_Click();

    void SetLightsIdle();
    void SetLightsReceiving();
    void SetLightsSending();
    void SetLightsBoth();

    // The tooltip for two totals, as the 128-character tip field holds it.
    static void FillTip(NOTIFYICONDATA& data, DWORD received, DWORD sent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void UpdateTraffic();
    void LoadLightsColor();
    void LoadDisplayMode();
    // The MAC address, host name and IP address of both windows' labels.
    void LookUpIdentity();
    void SetLights(int blue, int green, int pink);
    // "Hide" while the window is shown, "Show" while it is hidden.
    void OfferHideOrShow();

    // The since-start counts, from the second tick on.
    std::uint64_t ReceivedSinceStart = 0;
    std::uint64_t SentSinceStart = 0;
    QPixmap background_;
};
