#include "Subnet.h"

#include "ui/Form1.h"
#include "ui/details.h"

#include <QCoreApplication>
#include <QLocale>

#include <optional>

SubnetLookup Subnet;

namespace {

const QString NoMask = QStringLiteral("       ");

// The text as a number in the user's notation, else in the C notation.
std::optional<double> Number(const QString& text)
{
    bool ok = false;
    double v = QLocale().toDouble(text, &ok);
    if (!ok)
        v = QLocale::c().toDouble(text, &ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

} // namespace

void SubnetLookup::sbm()
{
    IPText = Form1::Instance().ipa->text().trimmed();
    FirstNumberText = IPText.left(3);
    if (FirstNumberText.endsWith(QLatin1Char('.'))) {
        FirstNumberText.chop(1);
    } else {
        if (!Number(FirstNumberText)) {
            Form1::Instance().sbm->Caption(NoMask);
            return;
        }
        // Lets the windows catch up while the address is still being read.
        QCoreApplication::processEvents();
    }

    // The member, not a copy: whatever ran meanwhile may have read another
    // address.
    const std::optional<double> first = Number(FirstNumberText);
    if (!first) {
        Form1::Instance().sbm->Caption(NoMask);
        return;
    }
    const double v = *first;
    if (v <= 171)
        GetTotalComp(24, QString(), QStringLiteral("255.0.0.0"));
    else if (v >= 172 && v <= 191)
        GetTotalComp(16, QString(), QStringLiteral("255.255.0.0"));
    else if (v >= 173 && v <= 192)
        GetTotalComp(8, QString(), QStringLiteral("255.255.255.0"));
    else
        Form1::Instance().sbm->Caption(NoMask);
}

void SubnetLookup::GetTotalComp(int, const QString&, const QString& Subnet)
{
    QCoreApplication::processEvents();
    details::Instance().sb->Caption(Subnet);
    Form1::Instance().sbm->Caption(Subnet);
}
