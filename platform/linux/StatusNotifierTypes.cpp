#include "StatusNotifierTypes.h"

#include <QDBusMetaType>
#include <QImage>
#include <QtEndian>

#include <mutex>

namespace sni {

QDBusArgument& operator<<(QDBusArgument& arg, const Pixmap& p)
{
    arg.beginStructure();
    arg << p.width << p.height << p.argb;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, Pixmap& p)
{
    arg.beginStructure();
    arg >> p.width >> p.height >> p.argb;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const ToolTip& t)
{
    arg.beginStructure();
    arg << t.iconName << t.pixmaps << t.title << t.text;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, ToolTip& t)
{
    arg.beginStructure();
    arg >> t.iconName >> t.pixmaps >> t.title >> t.text;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const Layout& l)
{
    arg.beginStructure();
    arg << l.id << l.properties;
    arg.beginArray(QMetaType::fromType<QDBusVariant>());
    for (const Layout& child : l.children)
        arg << QDBusVariant(QVariant::fromValue(child));
    arg.endArray();
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, Layout& l)
{
    arg.beginStructure();
    arg >> l.id >> l.properties;
    arg.beginArray();
    l.children.clear();
    while (!arg.atEnd()) {
        QDBusVariant child;
        arg >> child;
        l.children << qdbus_cast<Layout>(child.variant());
    }
    arg.endArray();
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const ItemProperties& p)
{
    arg.beginStructure();
    arg << p.id << p.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, ItemProperties& p)
{
    arg.beginStructure();
    arg >> p.id >> p.properties;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const Event& e)
{
    arg.beginStructure();
    arg << e.id << e.eventId << e.data << e.timestamp;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, Event& e)
{
    arg.beginStructure();
    arg >> e.id >> e.eventId >> e.data >> e.timestamp;
    arg.endStructure();
    return arg;
}

void RegisterTypes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        qDBusRegisterMetaType<Pixmap>();
        qDBusRegisterMetaType<QList<Pixmap>>();
        qDBusRegisterMetaType<ToolTip>();
        qDBusRegisterMetaType<Layout>();
        qDBusRegisterMetaType<ItemProperties>();
        qDBusRegisterMetaType<QList<ItemProperties>>();
        qDBusRegisterMetaType<Event>();
        qDBusRegisterMetaType<QList<Event>>();
    });
}

QList<Pixmap> Pixmaps(const QIcon& icon)
{
    QList<Pixmap> out;
    if (icon.isNull())
        return out;
    QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty())
        sizes = {QSize(16, 16), QSize(22, 22), QSize(32, 32)};
    for (const QSize& size : sizes) {
        const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            continue;
        Pixmap p{image.width(), image.height(),
                 QByteArray(image.width() * image.height() * 4, Qt::Uninitialized)};
        auto* to = reinterpret_cast<uchar*>(p.argb.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x, to += 4)
                qToBigEndian<quint32>(line[x], to);
        }
        out << p;
    }
    return out;
}

// "&File" is "_File" in a D-Bus menu; "&&" is a plain ampersand.
QString MenuLabel(const QString& text)
{
    QString label;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;
            label += text[i] == QLatin1Char('&') ? QStringLiteral("&") : QStringLiteral("_") + text[i];
        } else if (text[i] == QLatin1Char('_')) {
            label += QStringLiteral("__");
        } else {
            label += text[i];
        }
    }
    return label;
}

void Reply(const QDBusConnection& bus, const QDBusMessage& call, const QVariantList& values)
{
    QDBusMessage reply = call.createReply(values);
    bus.send(reply);
}

void Fail(const QDBusConnection& bus, const QDBusMessage& call, QDBusError::ErrorType type,
          const QString& text)
{
    bus.send(call.createErrorReply(type, text));
}

// Answers org.freedesktop.DBus.Properties from a table of read-only values.
bool AnswerProperties(const QDBusConnection& bus, const QDBusMessage& call, const QString& interface,
                      const QVariantMap& properties)
{
    const QVariantList args = call.arguments();
    const QString member = call.member();
    if (member == QLatin1String("GetAll")) {
        if (args.value(0).toString() != interface && !args.value(0).toString().isEmpty())
            Fail(bus, call, QDBusError::UnknownInterface, args.value(0).toString());
        else
            Reply(bus, call, {properties});
        return true;
    }
    if (member == QLatin1String("Get")) {
        const auto it = properties.find(args.value(1).toString());
        if (args.value(0).toString() != interface || it == properties.end())
            Fail(bus, call, QDBusError::UnknownProperty, args.value(1).toString());
        else
            Reply(bus, call, {QVariant::fromValue(QDBusVariant(*it))});
        return true;
    }
    if (member == QLatin1String("Set")) {
        Fail(bus, call, QDBusError::PropertyReadOnly, args.value(1).toString());
        return true;
    }
    return false;
}

} // namespace sni
