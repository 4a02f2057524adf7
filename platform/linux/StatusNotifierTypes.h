// The D-Bus side of the StatusNotifier icon: the names of the services and
// objects, the types the protocol marshals, and the answering helpers.
#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QIcon>
#include <QList>
#include <QString>
#include <QVariantMap>

namespace sni {

inline const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
inline const QString WatcherPath = QStringLiteral("/StatusNotifierWatcher");
inline const QString ItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
inline const QString ItemPath = QStringLiteral("/StatusNotifierItem");
inline const QString MenuInterface = QStringLiteral("com.canonical.dbusmenu");
inline const QString MenuPath = QStringLiteral("/MenuBar");
inline const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// One picture of the icon: width, height and ARGB32 pixels in network byte order.
struct Pixmap {
    int width = 0;
    int height = 0;
    QByteArray argb;
};

struct ToolTip {
    QString iconName;
    QList<Pixmap> pixmaps;
    QString title;
    QString text;
};

// A menu item with its children, as GetLayout hands it out.
struct Layout {
    int id = 0;
    QVariantMap properties;
    QList<Layout> children;
};

struct ItemProperties {
    int id = 0;
    QVariantMap properties;
};

struct Event {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};

} // namespace sni

Q_DECLARE_METATYPE(sni::Pixmap)
Q_DECLARE_METATYPE(sni::ToolTip)
Q_DECLARE_METATYPE(sni::Layout)
Q_DECLARE_METATYPE(sni::ItemProperties)
Q_DECLARE_METATYPE(sni::Event)

namespace sni {

QDBusArgument& operator<<(QDBusArgument& arg, const Pixmap& p);

const QDBusArgument& operator>>(const QDBusArgument& arg, Pixmap& p);

QDBusArgument& operator<<(QDBusArgument& arg, const ToolTip& t);

const QDBusArgument& operator>>(const QDBusArgument& arg, ToolTip& t);

QDBusArgument& operator<<(QDBusArgument& arg, const Layout& l);

const QDBusArgument& operator>>(const QDBusArgument& arg, Layout& l);

QDBusArgument& operator<<(QDBusArgument& arg, const ItemProperties& p);

const QDBusArgument& operator>>(const QDBusArgument& arg, ItemProperties& p);

QDBusArgument& operator<<(QDBusArgument& arg, const Event& e);

const QDBusArgument& operator>>(const QDBusArgument& arg, Event& e);

void RegisterTypes();

QList<Pixmap> Pixmaps(const QIcon& icon);

// "&File" is "_File" in a D-Bus menu; "&&" is a plain ampersand.
QString MenuLabel(const QString& text);

void Reply(const QDBusConnection& bus, const QDBusMessage& call, const QVariantList& values = {});

void Fail(const QDBusConnection& bus, const QDBusMessage& call, QDBusError::ErrorType type,
          const QString& text);

// Answers org.freedesktop.DBus.Properties from a table of read-only values.
bool AnswerProperties(const QDBusConnection& bus, const QDBusMessage& call, const QString& interface,
                      const QVariantMap& properties);

} // namespace sni
