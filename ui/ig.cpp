#include "ig.h"

#include "Form1.h"
#include "Form2.h"
#include "NumberText.h"
#include "Twips.h"

RateMeter::RateMeter() : Form(Qt::Window)
{
    setObjectName(QStringLiteral("ig"));
    setWindowTitle(QStringLiteral("I&G"));
    resize(Px(1815), Px(585));
    Timer1 = new Timer(this, "Timer1", 500, [this] { Timer1_Timer(); });
}

void RateMeter::ig()
{
    IpHelper = std::make_unique<CIpHelper>();
}

void RateMeter::Timer1_Timer()
{
    UpdateRates();
}

QString RateMeter::RateText(std::uint64_t increase)
{
    return NumberText(static_cast<double>(increase) / 1000.0) + QStringLiteral(" kbps");
}

void RateMeter::UpdateRates()
{
    if (!IpHelper)
        return;
    IpHelper->Interfaces();
    std::uint64_t receivedIncrease;
    std::uint64_t sentIncrease;
    if (!Ticked) {
        // Nothing was counted before the first tick: each whole total is
        // its increase.
        receivedIncrease = static_cast<DWORD>(IpHelper->BytesReceived());
        sentIncrease = static_cast<DWORD>(IpHelper->BytesSent());
        Ticked = true;
    } else {
        // What the interfaces moved since the previous tick, so that one
        // that comes or goes, or a counter that wraps, cannot make a rate
        // jump or fall below zero.
        receivedIncrease = IpHelper->ReceivedGrowth();
        sentIncrease = IpHelper->SentGrowth();
    }

    const QString receivedRate = RateText(receivedIncrease);
    const QString sentRate = RateText(sentIncrease);
    Form1& main = Form1::Instance();
    main.incommin->Caption(receivedRate);
    main.outgoin->Caption(sentRate);
    Form2& bar = Form2::Instance();
    bar.ib->Caption(receivedRate);
    bar.ob->Caption(sentRate);
}
