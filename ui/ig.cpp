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

QString RateMeter::RateText(LONG increase)
{
    return NumberText(increase / 1000.0) + QStringLiteral(" kbps");
}

void RateMeter::UpdateRates()
{
    if (!IpHelper)
        return;
    IpHelper->Interfaces();
    // A zero total has the empty byte-count text; it counts as 0.
    const LONG received = IpHelper->BytesReceived();
    const LONG sent = IpHelper->BytesSent();
    // Modulo 2^32, so a total that passes 2^31 between ticks still gives its
    // small true increase.
    const LONG receivedIncrease = WrappedDifference(received, PrevBytesReceived);
    const LONG sentIncrease = WrappedDifference(sent, PrevBytesSent);

    const QString receivedRate = RateText(receivedIncrease);
    const QString sentRate = RateText(sentIncrease);
    Form1& main = Form1::Instance();
    main.incommin->Caption(receivedRate);
    main.outgoin->Caption(sentRate);
    Form2& bar = Form2::Instance();
    bar.ib->Caption(receivedRate);
    bar.ob->Caption(sentRate);

    PrevBytesReceived = received;
    PrevBytesSent = sent;
}
