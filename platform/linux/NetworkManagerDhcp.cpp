#include "NetworkManagerDhcp.h"

#include "platform/linux/files/Ipv4Text.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace {

const QString Service = QStringLiteral("org.freedesktop.NetworkManager");

// The value of a D-Bus property, or an invalid variant.
QVariant Property(QDBusConnection& bus, const QString& path, const QString& interface, const QString& name,
                  int timeoutMs)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        Service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << interface << name;
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    QVariant value = reply.arguments().constFirst();
    if (value.canConvert<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

QString ObjectPath(const QVariant& value)
{
    if (value.canConvert<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

// The option `name` as an address in dotted form, or "".
std::string AddressOption(const QVariantMap& options, const QString& name)
{
    const QVariant value = options.value(name);
    QString text;
    if (value.canConvert<QDBusVariant>())
        text = value.value<QDBusVariant>().variant().toString();
    else
        text = value.toString();
    return CanonicalIpv4(text.trimmed().toStdString());
}

} // namespace

std::string DhcpServerFromOptions(const QVariantMap& options)
{
    return AddressOption(options, QStringLiteral("dhcp_server_identifier"));
}

std::string DhcpAddressFromOptions(const QVariantMap& options)
{
    return AddressOption(options, QStringLiteral("ip_address"));
}

NetworkManagerDhcp AskNetworkManager(const QString& ifname, int timeoutMs)
{
    NetworkManagerDhcp answer;
    // Qt's bus connections need the application's event machinery.
    if (!QCoreApplication::instance() || ifname.isEmpty())
        return answer;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return answer;
    // Asking the bus first keeps a missing NetworkManager from being started
    // on demand, or waited for.
    QDBusMessage owner = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    owner << Service;
    const QDBusMessage running = bus.call(owner, QDBus::Block, timeoutMs);
    if (running.type() != QDBusMessage::ReplyMessage || running.arguments().isEmpty()
        || !running.arguments().constFirst().toBool())
        return answer;

    QDBusMessage find =
        QDBusMessage::createMethodCall(Service, QStringLiteral("/org/freedesktop/NetworkManager"), Service,
                                       QStringLiteral("GetDeviceByIpIface"));
    find << ifname;
    const QDBusMessage device = bus.call(find, QDBus::Block, timeoutMs);
    if (device.type() != QDBusMessage::ReplyMessage || device.arguments().isEmpty())
        return answer;
    const QString devicePath = ObjectPath(device.arguments().constFirst());
    if (devicePath.isEmpty() || devicePath == QLatin1String("/"))
        return answer;

    const QString configPath = ObjectPath(Property(bus, devicePath, Service + QStringLiteral(".Device"),
                                                   QStringLiteral("Dhcp4Config"), timeoutMs));
    if (configPath.isEmpty() || configPath == QLatin1String("/"))
        return answer;
    answer.managed = true;

    const QVariant options = Property(bus, configPath, Service + QStringLiteral(".DHCP4Config"),
                                      QStringLiteral("Options"), timeoutMs);
    QVariantMap map;
    if (options.canConvert<QDBusArgument>())
        options.value<QDBusArgument>() >> map;
    else
        map = options.toMap();
    answer.server = DhcpServerFromOptions(map);
    answer.address = DhcpAddressFromOptions(map);
    return answer;
}
