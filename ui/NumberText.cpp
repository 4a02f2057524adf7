#include "NumberText.h"

#include <QLocale>

namespace {

struct Separators {
    QString group;
    QString decimal;
};

Separators Lookup()
{
    const QLocale locale; // the system's, unless a default was set
    return Separators{locale.groupSeparator(), locale.decimalPoint()};
}

// The locale is fixed for the life of the process; look it up once rather
// than on every tick.
Separators& UserSeparators()
{
    static Separators s = Lookup();
    return s;
}

} // namespace

void ReloadUserLocale()
{
    UserSeparators() = Lookup();
}

QString ByteCountText(DWORD count)
{
    if (count == 0)
        return {};
    const QString digits = QString::number(count);
    const QString& sep = UserSeparators().group;
    QString text;
    text.reserve(digits.size() + digits.size() / 3 * sep.size());
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            text += sep;
        text += digits[i];
    }
    return text;
}

std::optional<double> ReadByteCountText(const QString& text)
{
    QString plain = text.trimmed();
    const QString& sep = UserSeparators().group;
    if (!sep.isEmpty())
        plain.remove(sep);
    if (plain.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qlonglong v = plain.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return static_cast<double>(v);
}

QString NumberText(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', 15);
    const QString& point = UserSeparators().decimal;
    if (point != QLatin1String("."))
        text.replace(QLatin1Char('.'), point);
    return text;
}
