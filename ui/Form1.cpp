#include "Form1.h"

#include "App.h"
#include "Form2.h"
#include "SettingsFile.h"
#include "details.h"
#include "frmAbout.h"
#include "ig.h"
#include "lookups/DHCP.h"
#include "lookups/DNS.h"
#include "lookups/MacAddress.h"
#include "lookups/Subnet.h"
#include "lookups/ipandhost.h"
#include "settings.h"
#include "Module1.h"
#include "NumberText.h"
#include "Twips.h"
#include "platform/Kernel32.h"
#include "platform/Picture.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QPainter>
#include <QPushButton>

#include <cmath>
#include <cstdint>
#include <exception>
#include <iterator>

namespace {

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, int left, int top, int width,
                    int height)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    b->setDefault(false);
    Place(b, left, top, width, height);
    return b;
}

Image* Indicator(QWidget* parent, const char* name, const QString& description)
{
    auto* picture = new Image(parent, name, QStringLiteral(":/indicator/%1.png").arg(QLatin1String(name)),
                              2880, 3120, 405, 510, description);
    picture->hide();
    return picture;
}

} // namespace

Form1::Form1() : Form(FixedDialog()), background_(LoadPicture(QStringLiteral(":/form/general.png")))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(App::Title);
    setWindowIcon(QIcon(QStringLiteral(":/corvane.png")));
    SetClientArea(6405, 2265, 5400, 6195);

    // Made back to front, so that each control lies in front of those before it.
    cname = new Label(this, "cname", QString(), 1680, 1680, 2895, 255);
    host = new Label(this, "host", QStringLiteral("Host Name :"), 600, 1680, 975, 255);
    maclabel = new Label(this, "maclabel", QString(), 1200, 1320, 3375, 255);
    mac = new Label(this, "mac", QStringLiteral("MAC :"), 600, 1320, 495, 255);
    iplable = new Label(this, "iplable", QString(), 960, 960, 3615, 255);
    iplabel = new Label(this, "iplabel", QStringLiteral("IP :"), 600, 960, 255, 255);
    lblSent = new Label(this, "lblSent", QString(), 1320, 4080, 1695, 255);
    lblRecv = new Label(this, "lblRecv", QString(), 3360, 4080, 1575, 255);
    tby = Indicator(this, "tby", QStringLiteral("Receiving and sending"));
    downby = Indicator(this, "downby", QStringLiteral("Receiving"));
    upby = Indicator(this, "upby", QStringLiteral("Sending"));
    noby = Indicator(this, "noby", QStringLiteral("No traffic"));
    Label1 = new Label(this, "Label1", QStringLiteral("Sent Bytes :"), 3360, 7560, 975, 255);
    Label1->setFont(QFont(QStringLiteral("Tahoma"), 8));
    Label1->Tag = QStringLiteral("0");
    s1 =
        new Image(this, "s1", QStringLiteral(":/form/s1.png"), 890, 120, 675, 270, QStringLiteral("Support"));
    Label3 = new Label(this, "Label3", QStringLiteral("Incomming Bytes Per Second :"), 600, 2040, 2175, 255);
    Label4 = new Label(this, "Label4", QStringLiteral("Outgoing Bytes Per Second :"), 600, 2400, 2175, 255);
    incommin = new Label(this, "incommin", QString(), 2880, 2040, 2175, 255);
    outgoin = new Label(this, "outgoin", QString(), 2760, 2400, 2175, 255);
    support = new Image(this, "support", QStringLiteral(":/form/support.png"), 0, 0, 5415, 5790);
    support->hide();
    g1 =
        new Image(this, "g1", QStringLiteral(":/form/g1.png"), 120, 120, 705, 270, QStringLiteral("General"));
    g1->hide();
    sbm = new Label(this, "sbm", QString(), 3120, 1680, 1575, 255);
    sbm->hide();
    ipa = new Label(this, "ipa", QString(), 3120, 1320, 1575, 255);
    ipa->hide();
    // The buttons lie in front of everything and never overlap one another;
    // made in keyboard order, so the focus moves through them this way.
    stnbtn = Button(this, "stnbtn", QStringLiteral("Settings"), 600, 5760, 1095, 375);
    hidebtn = Button(this, "hidebtn", QStringLiteral("Hide"), 1800, 5760, 1095, 375);
    abtbtn = Button(this, "abtbtn", QStringLiteral("About"), 3000, 5760, 1095, 375);
    closebtn = Button(this, "closebtn", QStringLiteral("Exit"), 4200, 5760, 1095, 375);
    dbtn = Button(this, "dbtn", QStringLiteral("Details..."), 960, 2160, 1095, 375);
    dbtn->hide();

    QObject::connect(closebtn, &QPushButton::clicked, this, [this] { closebtn_Click(); });
    QObject::connect(stnbtn, &QPushButton::clicked, this, [this] { stnbtn_Click(); });
    QObject::connect(hidebtn, &QPushButton::clicked, this, [this] { hidebtn_Click(); });
    QObject::connect(abtbtn, &QPushButton::clicked, this, [this] { abtbtn_Click(); });
    QObject::connect(dbtn, &QPushButton::clicked, this, [this] { dbtn_Click(); });
    s1->Click = [this] { s1_Click(); };
    g1->Click = [this] { g1_Click(); };

    mnutray = new QMenu(QStringLiteral("Popup"), this);
    mnutray->setObjectName(QStringLiteral("mnutray"));
    auto item = [this](const char* name, const QString& caption, void (Form1::*handler)()) {
        QAction* a = mnutray->addAction(caption);
        a->setObjectName(QLatin1String(name));
        if (handler)
            QObject::connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return a;
    };
    mnutrayhide = item("mnutrayhide", QStringLiteral("Hide"), &Form1::mnutrayhide_Click);
    mnutrayhide->setVisible(false);
    mnutrayshow = item("mnutrayshow", QStringLiteral("Show"), &Form1::mnutrayshow_Click);
    mnutrayshow->setVisible(false);
    mnutraysettings = item("mnutraysettings", QStringLiteral("Settings"), &Form1::mnutraysettings_Click);
    mnutrayempty = mnutray->addSeparator();
    mnutrayempty->setObjectName(QStringLiteral("mnutrayempty"));
    mnutrayabout = item("mnutrayabout", QStringLiteral("About"), &Form1::mnutrayabout_Click);
    mnutrayempty2 = mnutray->addSeparator();
    mnutrayempty2->setObjectName(QStringLiteral("mnutrayempty2"));
    mnutrayexit = item("mnutrayexit", QStringLiteral("Exit"), &Form1::mnutrayexit_Click);
    // A panel that draws the menu itself announces it this way.
    QObject::connect(mnutray, &QMenu::aboutToShow, this, [this] { OfferHideOrShow(); });

    for (int i = 1; i <= 12; ++i)
        ImageList1.Add(QStringLiteral(":/tray/light%1.png").arg(i, 2, 10, QLatin1Char('0')));

    ipa->Change = [this] { ipa_Change(); };

    // The captions that change at every tick, each clear of the others.
    for (Label* changing : {lblSent, lblRecv, incommin})
        changing->Backdrop(&background_);

    Timer1 = new Timer(this, "Timer1", 500, [this] { Timer1_Timer(); });
    rtimer = new Timer(this, "rtimer", 12000, [this] { rtimer_Timer(); });
}

Form1::~Form1()
{
    Form_Terminate();
}

void Form1::paintEvent(QPaintEvent*)
{
    QPainter(this).drawPixmap(0, 0, background_);
}

void Form1::Form_Load()
{
    LoadLightsColor();
    LoadDisplayMode();
    Module1::SetWindowTopmost(hWnd(), true);
    IpHelper = std::make_unique<CIpHelper>();

    TrayIconData.cbSize = sizeof(NOTIFYICONDATA);
    TrayIconData.hWnd = hWnd();
    TrayIconData.uID = 1;
    TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    TrayIconData.uCallbackMessage = WM_MOUSEMOVE;

    SetLightsBoth();
    FillTip(TrayIconData, static_cast<DWORD>(IpHelper->BytesReceived()),
            static_cast<DWORD>(IpHelper->BytesSent()));
    Shell_NotifyIconW(NIM_ADD, &TrayIconData);

    LookUpIdentity();
    DNS.DNS();
    Subnet.sbm();
    ig().ig();
    // The sampler and the rate meter tick together, so that what both
    // change on screen is drawn and sent to the display in one pass.
    Timer1->Restart();
    ig().Timer1->Restart();
    DHCP.DHCP();
}

void Form1::LookUpIdentity()
{
    // Each label gets a look-up of its own; setting ipa runs ipa_Change.
    maclabel->Caption(GetMacAddress(QStringLiteral("-")));
    cname->Caption(ipandhost::GetLocalHostName());
    iplable->Caption(ipandhost::GetLocalIPAddress());
    ipa->Caption(ipandhost::GetLocalIPAddress());
    details& list = details::Instance();
    list.padd->Caption(GetMacAddress(QStringLiteral("-")));
    list.ipadd->Caption(ipandhost::GetLocalIPAddress());
}

void Form1::rtimer_Timer()
{
    LookUpIdentity();
    DHCP.DHCP();
    DNS.DNS();
    Subnet.sbm();
}

void Form1::ipa_Change()
{
    sbm->Caption(QStringLiteral("       "));
    details& list = details::Instance();
    list.sb->Caption(QStringLiteral("        "));
    list.ds->Caption(QStringLiteral("        "));
    list.dnss->Caption(QStringLiteral("        "));
    Subnet.sbm();
    DHCP.DHCP();
    DNS.DNS();
}

void Form1::si()
{
    Shell_NotifyIconW(NIM_ADD, &TrayIconData);
}

void Form1::ExitSequence()
{
    Shell_NotifyIconW(NIM_DELETE, &TrayIconData);
    ExitProcess(0);
}

void Form1::closebtn_Click()
{
    ExitSequence();
}

void Form1::Form_Unload(int&)
{
    ExitSequence();
}

void Form1::Form_Terminate()
{
    ExitSequence();
}

void Form1::closeEvent(QCloseEvent* event)
{
    int cancel = 0;
    Form_Unload(cancel);
    event->accept();
}

LRESULT Form1::WindowProc(UINT uMsg, WPARAM, LPARAM lParam)
{
    // The icon's callback message is the mouse-move message, its mouse message
    // standing in for the x coordinate in pixels.
    if (uMsg == WM_MOUSEMOVE)
        Form_MouseMove(0, 0, static_cast<float>(LOWORD(lParam)) * TwipsPerPixel,
                       static_cast<float>(HIWORD(lParam)) * TwipsPerPixel);
    return 0;
}

void Form1::Form_MouseMove(int, int, float X, float)
{
    try {
        const long message = std::lround(X / TwipsPerPixel);
        switch (message) {
        case WM_LBUTTONDBLCLK:
            if (!settings::Instance().isVisible())
                show();
            break;
        case WM_RBUTTONUP:
            OfferHideOrShow();
            TrackPopupMenu(mnutray, TPM_RIGHTALIGN | TPM_LEFTBUTTON, hWnd());
            break;
        default:
            break;
        }
    } catch (const std::exception& error) {
        ResetScreenMousePointer();
        MessageBox(hWnd(), QString::fromLocal8Bit(error.what()),
                   QStringLiteral("%1 %2.%3 - %4")
                       .arg(App::ProductName)
                       .arg(App::Major)
                       .arg(App::Minor)
                       .arg(windowTitle()),
                   MB_OK | MB_ICONINFORMATION);
    }
}

QMenu* Form1::NotifyIconMenu(UINT)
{
    return mnutray;
}

void Form1::OfferHideOrShow()
{
    if (isVisible()) {
        mnutrayshow->setVisible(false);
        mnutrayhide->setVisible(true);
    }
    if (!isVisible()) {
        mnutrayhide->setVisible(false);
        mnutrayshow->setVisible(true);
    }
}

void Form1::Timer1_Timer()
{
    UpdateTraffic();
}

void Form1::FillTip(NOTIFYICONDATA& data, DWORD received, DWORD sent)
{
    const QString tip = QStringLiteral("Total Bytes received: ") + ByteCountText(received)
                        + QStringLiteral("\r\nTotal Bytes sent: ") + ByteCountText(sent) + QChar(0);
    constexpr qsizetype field = std::size(NOTIFYICONDATA{}.szTip);
    for (qsizetype i = 0; i < field; ++i)
        data.szTip[i] = i < tip.size() ? tip[i].unicode() : u' ';
}

void Form1::UpdateTraffic()
{
    IpHelper->Interfaces();
    // The totals are sums modulo 2^32 and are shown as such, never negative.
    const auto R = static_cast<DWORD>(IpHelper->BytesReceived());
    const auto S = static_cast<DWORD>(IpHelper->BytesSent());
    const std::uint64_t receivedGrowth = IpHelper->ReceivedGrowth();
    const std::uint64_t sentGrowth = IpHelper->SentGrowth();

    const bool firstTick = ReadByteCountText(Label1->Tag).value_or(0) == 0;
    if (firstTick) {
        lblRecv->Tag = ByteCountText(R);
        lblSent->Tag = ByteCountText(S);
        Label1->Tag = QStringLiteral("1");
    } else {
        // Counted from what each interface moved between ticks, not from the
        // totals: interfaces that come and go, counters that wrap and counts
        // far past 4 GiB then leave it true.
        ReceivedSinceStart += receivedGrowth;
        SentSinceStart += sentGrowth;
        lblRecv->Caption(QString::number(ReceivedSinceStart));
        lblSent->Caption(QString::number(SentSinceStart));
    }

    // Nothing was counted before the first tick, so whatever it finds grew.
    const bool receivedGrew = firstTick ? R != 0 : receivedGrowth > 0;
    const bool sentGrew = firstTick ? S != 0 : sentGrowth > 0;

    Form2& bar = Form2::Instance();
    bar.br->Caption(ByteCountText(R));
    bar.bs->Caption(ByteCountText(S));

    const TrafficState state = receivedGrew ? (sentGrew ? TrafficState::Both : TrafficState::Receiving)
                                            : (sentGrew ? TrafficState::Sending : TrafficState::Idle);
    switch (state) {
    case TrafficState::Both:
        SetLightsBoth();
        break;
    case TrafficState::Sending:
        SetLightsSending();
        break;
    case TrafficState::Receiving:
        SetLightsReceiving();
        break;
    case TrafficState::Idle:
        SetLightsIdle();
        break;
    }
    tby->setVisible(state == TrafficState::Both);
    noby->setVisible(state == TrafficState::Idle);
    upby->setVisible(state == TrafficState::Sending);
    downby->setVisible(state == TrafficState::Receiving);

    FillTip(TrayIconData, R, S);
    Shell_NotifyIconW(NIM_MODIFY, &TrayIconData);
}

void Form1::SetLights(int blue, int green, int pink)
{
    settings& options = settings::Instance();
    if (options.si->Value()) {
        if (options.bl->Value())
            TrayIconData.hIcon = ImageList1.ExtractIcon(blue);
        if (options.gl->Value())
            TrayIconData.hIcon = ImageList1.ExtractIcon(green);
        if (options.pl->Value())
            TrayIconData.hIcon = ImageList1.ExtractIcon(pink);
    }
    if (!options.si->Value())
        Shell_NotifyIconW(NIM_DELETE, &TrayIconData);
}

void Form1::SetLightsIdle()
{
    SetLights(5, 1, 9);
}

void Form1::SetLightsReceiving()
{
    SetLights(6, 2, 10);
}

void Form1::SetLightsSending()
{
    SetLights(7, 3, 11);
}

void Form1::SetLightsBoth()
{
    SetLights(8, 4, 12);
}

void Form1::LoadLightsColor()
{
    settings& options = settings::Instance();
    if (const auto word =
            SettingsFile::ReadFirstField(SettingsFile::InProgramFolder(QStringLiteral("settings.ini"))))
        options.Text1.setText(*word);
    const QString color = options.Text1.text();
    if (color == QLatin1String("Blue Lights")) {
        options.bl->Value(false);
        options.pl->Value(false);
        options.bl->Value(true);
    }
    if (color == QLatin1String("Green Lights")) {
        options.bl->Value(false);
        options.pl->Value(false);
        options.gl->Value(true);
    }
    if (color == QLatin1String("Pink Lights")) {
        options.bl->Value(false);
        options.gl->Value(false);
        options.pl->Value(true);
    }
}

void Form1::LoadDisplayMode()
{
    settings& options = settings::Instance();
    if (const auto word =
            SettingsFile::ReadFirstField(SettingsFile::InProgramFolder(QStringLiteral("config.ini"))))
        options.Text2.setText(*word);
    const QString mode = options.Text2.text();
    if (mode == QLatin1String("Use System Tray Icon")) {
        options.ub->Value(false);
        options.si->Value(true);
    }
    if (mode == QLatin1String("Use Bar")) {
        options.ub->Value(true);
        options.si->Value(false);
        options.pl->setEnabled(false);
        options.gl->setEnabled(false);
        options.bl->setEnabled(false);
    }
}

void Form1::s1_Click()
{
    support->setVisible(true);
    g1->setVisible(true);
    dbtn->setVisible(true);
    ipa->setVisible(true);
    sbm->setVisible(true);
}

void Form1::g1_Click()
{
    g1->setVisible(false);
    support->setVisible(false);
    dbtn->setVisible(false);
    ipa->setVisible(false);
    sbm->setVisible(false);
}

void Form1::abtbtn_Click()
{
    frmAbout::ShowBox();
}

void Form1::mnutrayabout_Click()
{
    abtbtn_Click();
}

void Form1::stnbtn_Click()
{
    settings& dialog = settings::Instance();
    dialog.show();
    dialog.raise();
}

void Form1::mnutraysettings_Click()
{
    stnbtn_Click();
}

void Form1::dbtn_Click()
{
    mnutrayshow->setEnabled(false);
    mnutraysettings->setEnabled(false);
    mnutrayabout->setEnabled(false);
    mnutrayhide->setEnabled(false);
    details::Instance().ShowModal();
}

void Form1::hidebtn_Click()
{
    hide();
    Form2& bar = Form2::Instance();
    bar.mnurcshow->setVisible(true);
    bar.mnurchide->setVisible(false);
}

void Form1::mnutrayhide_Click()
{
    hidebtn_Click();
}

void Form1::mnutrayshow_Click()
{
    show();
    Form2& bar = Form2::Instance();
    bar.mnurcshow->setVisible(false);
    bar.mnurchide->setVisible(true);
}

void Form1::mnutrayexit_Click()
{
    ExitSequence();
}
