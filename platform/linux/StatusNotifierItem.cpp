#include "StatusNotifierItem.h"

#include "StatusNotifierTypes.h"

#include <QAction>
#include <QActionEvent>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QTimer>
#include <QtEndian>

#include <mutex>

using namespace sni;

// The org.kde.StatusNotifierItem object.
class StatusNotifierItem::ItemObject : public QDBusVirtualObject {
public:
    explicit ItemObject(StatusNotifierItem& owner) : QDBusVirtualObject(&owner), owner_(owner) {}

    QVariantMap Properties() const
    {
        const QString name = QCoreApplication::applicationName();
        const QList<Pixmap> none;
        return {
            {QStringLiteral("Category"), QStringLiteral("ApplicationStatus")},
            {QStringLiteral("Id"), name},
            {QStringLiteral("Title"), name},
            {QStringLiteral("Status"), QStringLiteral("Active")},
            {QStringLiteral("WindowId"), 0},
            {QStringLiteral("IconName"), QString()},
            {QStringLiteral("IconPixmap"), QVariant::fromValue(Pixmaps(owner_.icon_))},
            {QStringLiteral("OverlayIconName"), QString()},
            {QStringLiteral("OverlayIconPixmap"), QVariant::fromValue(none)},
            {QStringLiteral("AttentionIconName"), QString()},
            {QStringLiteral("AttentionIconPixmap"), QVariant::fromValue(none)},
            {QStringLiteral("AttentionMovieName"), QString()},
            {QStringLiteral("ToolTip"),
             QVariant::fromValue(ToolTip{QString(), {}, owner_.toolTip_, QString()})},
            {QStringLiteral("ItemIsMenu"), false},
            {QStringLiteral("Menu"), QVariant::fromValue(QDBusObjectPath(
                                         owner_.menuObject_ ? MenuPath : QStringLiteral("/NO_DBUSMENU")))},
        };
    }

    QString introspect(const QString&) const override
    {
        return QString::fromLatin1(R"xml(<interface name="org.kde.StatusNotifierItem">
<property name="Category" type="s" access="read"/>
<property name="Id" type="s" access="read"/>
<property name="Title" type="s" access="read"/>
<property name="Status" type="s" access="read"/>
<property name="WindowId" type="i" access="read"/>
<property name="IconName" type="s" access="read"/>
<property name="IconPixmap" type="a(iiay)" access="read"/>
<property name="OverlayIconName" type="s" access="read"/>
<property name="OverlayIconPixmap" type="a(iiay)" access="read"/>
<property name="AttentionIconName" type="s" access="read"/>
<property name="AttentionIconPixmap" type="a(iiay)" access="read"/>
<property name="AttentionMovieName" type="s" access="read"/>
<property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
<property name="ItemIsMenu" type="b" access="read"/>
<property name="Menu" type="o" access="read"/>
<method name="ContextMenu"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
<method name="Activate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
<method name="SecondaryActivate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
<method name="Scroll"><arg name="delta" type="i" direction="in"/><arg name="orientation" type="s" direction="in"/></method>
<signal name="NewTitle"/>
<signal name="NewIcon"/>
<signal name="NewAttentionIcon"/>
<signal name="NewOverlayIcon"/>
<signal name="NewToolTip"/>
<signal name="NewStatus"><arg name="status" type="s"/></signal>
</interface>
)xml");
    }

    bool handleMessage(const QDBusMessage& call, const QDBusConnection& bus) override
    {
        if (call.interface() == PropertiesInterface)
            return AnswerProperties(bus, call, ItemInterface, Properties());
        if (!call.interface().isEmpty() && call.interface() != ItemInterface)
            return false;
        const QString member = call.member();
        std::function<void(QPoint)> StatusNotifierItem::*request = nullptr;
        if (member == QLatin1String("Activate"))
            request = &StatusNotifierItem::Activated;
        else if (member == QLatin1String("SecondaryActivate"))
            request = &StatusNotifierItem::SecondaryActivated;
        else if (member == QLatin1String("ContextMenu"))
            request = &StatusNotifierItem::ContextMenuRequested;
        else if (member != QLatin1String("Scroll"))
            return false;
        // The panel waits for the answer; what the request opens (a menu
        // that stays up until the user closes it) must not hold it.
        Reply(bus, call);
        if (request) {
            const QVariantList args = call.arguments();
            const QPoint at(args.value(0).toInt(), args.value(1).toInt());
            StatusNotifierItem* owner = &owner_;
            QTimer::singleShot(0, this, [owner, request, at] {
                if (const auto& run = owner->*request)
                    run(at);
            });
        }
        return true;
    }

private:
    StatusNotifierItem& owner_;
};

// The com.canonical.dbusmenu object: the menu's actions as items 1..n under
// the root 0, read afresh on every request.
class StatusNotifierItem::MenuObject : public QDBusVirtualObject {
public:
    MenuObject(StatusNotifierItem& owner, QMenu* menu)
        : QDBusVirtualObject(&owner), owner_(owner), menu_(menu)
    {
        menu->installEventFilter(this);
    }

    QString introspect(const QString&) const override
    {
        return QString::fromLatin1(R"xml(<interface name="com.canonical.dbusmenu">
<property name="Version" type="u" access="read"/>
<property name="TextDirection" type="s" access="read"/>
<property name="Status" type="s" access="read"/>
<property name="IconThemePath" type="as" access="read"/>
<method name="GetLayout"><arg type="i" name="parentId" direction="in"/><arg type="i" name="recursionDepth" direction="in"/><arg type="as" name="propertyNames" direction="in"/><arg type="u" name="revision" direction="out"/><arg type="(ia{sv}av)" name="layout" direction="out"/></method>
<method name="GetGroupProperties"><arg type="ai" name="ids" direction="in"/><arg type="as" name="propertyNames" direction="in"/><arg type="a(ia{sv})" name="properties" direction="out"/></method>
<method name="GetProperty"><arg type="i" name="id" direction="in"/><arg type="s" name="name" direction="in"/><arg type="v" name="value" direction="out"/></method>
<method name="Event"><arg type="i" name="id" direction="in"/><arg type="s" name="eventId" direction="in"/><arg type="v" name="data" direction="in"/><arg type="u" name="timestamp" direction="in"/></method>
<method name="EventGroup"><arg type="a(isvu)" name="events" direction="in"/><arg type="ai" name="idErrors" direction="out"/></method>
<method name="AboutToShow"><arg type="i" name="id" direction="in"/><arg type="b" name="needUpdate" direction="out"/></method>
<method name="AboutToShowGroup"><arg type="ai" name="ids" direction="in"/><arg type="ai" name="updatesNeeded" direction="out"/><arg type="ai" name="idErrors" direction="out"/></method>
<signal name="ItemsPropertiesUpdated"><arg type="a(ia{sv})" name="updatedProps"/><arg type="a(ias)" name="removedProps"/></signal>
<signal name="LayoutUpdated"><arg type="u" name="revision"/><arg type="i" name="parent"/></signal>
<signal name="ItemActivationRequested"><arg type="i" name="id"/><arg type="u" name="timestamp"/></signal>
</interface>
)xml");
    }

    bool handleMessage(const QDBusMessage& call, const QDBusConnection& bus) override
    {
        if (call.interface() == PropertiesInterface)
            return AnswerProperties(bus, call, MenuInterface,
                                    {{QStringLiteral("Version"), 3u},
                                     {QStringLiteral("TextDirection"), QStringLiteral("ltr")},
                                     {QStringLiteral("Status"), QStringLiteral("normal")},
                                     {QStringLiteral("IconThemePath"), QStringList()}});
        if (!call.interface().isEmpty() && call.interface() != MenuInterface)
            return false;
        const QVariantList args = call.arguments();
        const QString member = call.member();
        if (member == QLatin1String("GetLayout")) {
            const int parent = args.value(0).toInt();
            const int depth = args.value(1).toInt();
            const QStringList names = args.value(2).toStringList();
            if (parent != 0 && !Action(parent)) {
                Fail(bus, call, QDBusError::InvalidArgs, QStringLiteral("no menu item %1").arg(parent));
                return true;
            }
            Layout layout{parent, Properties(parent, names), {}};
            if (parent == 0 && depth != 0)
                for (int id = 1; id <= Count(); ++id)
                    layout.children << Layout{id, Properties(id, names), {}};
            Reply(bus, call, {revision_, QVariant::fromValue(layout)});
        } else if (member == QLatin1String("GetGroupProperties")) {
            QList<int> ids = qdbus_cast<QList<int>>(args.value(0));
            const QStringList names = args.value(1).toStringList();
            if (ids.isEmpty())
                for (int id = 0; id <= Count(); ++id)
                    ids << id;
            QList<ItemProperties> out;
            for (int id : ids)
                if (id == 0 || Action(id))
                    out << ItemProperties{id, Properties(id, names)};
            Reply(bus, call, {QVariant::fromValue(out)});
        } else if (member == QLatin1String("GetProperty")) {
            const int id = args.value(0).toInt();
            const QString name = args.value(1).toString();
            const QVariantMap props = Properties(id, {name});
            if ((id != 0 && !Action(id)) || !props.contains(name))
                Fail(bus, call, QDBusError::InvalidArgs, name);
            else
                Reply(bus, call, {QVariant::fromValue(QDBusVariant(props.value(name)))});
        } else if (member == QLatin1String("Event")) {
            Reply(bus, call);
            Click(args.value(0).toInt(), args.value(1).toString());
        } else if (member == QLatin1String("EventGroup")) {
            QList<int> unknown;
            const QList<Event> events = qdbus_cast<QList<Event>>(args.value(0));
            for (const Event& e : events)
                if (e.id != 0 && !Action(e.id))
                    unknown << e.id;
            Reply(bus, call, {QVariant::fromValue(unknown)});
            for (const Event& e : events)
                Click(e.id, e.eventId);
        } else if (member == QLatin1String("AboutToShow")) {
            const int id = args.value(0).toInt();
            Reply(bus, call, {AboutToShow(id)});
        } else if (member == QLatin1String("AboutToShowGroup")) {
            QList<int> updates;
            QList<int> unknown;
            for (int id : qdbus_cast<QList<int>>(args.value(0))) {
                if (id != 0 && !Action(id))
                    unknown << id;
                else if (AboutToShow(id))
                    updates << id;
            }
            Reply(bus, call, {QVariant::fromValue(updates), QVariant::fromValue(unknown)});
        } else {
            return false;
        }
        return true;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == menu_
            && (event->type() == QEvent::ActionChanged || event->type() == QEvent::ActionAdded
                || event->type() == QEvent::ActionRemoved))
            Changed();
        return false;
    }

private:
    int Count() const { return menu_ ? static_cast<int>(menu_->actions().size()) : 0; }

    QAction* Action(int id) const { return id >= 1 && id <= Count() ? menu_->actions().at(id - 1) : nullptr; }

    QVariantMap Properties(int id, const QStringList& names) const
    {
        QVariantMap props;
        if (id == 0) {
            props.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
        } else if (QAction* a = Action(id)) {
            if (a->isSeparator()) {
                props.insert(QStringLiteral("type"), QStringLiteral("separator"));
            } else {
                props.insert(QStringLiteral("label"), MenuLabel(a->text()));
                props.insert(QStringLiteral("enabled"), a->isEnabled());
            }
            props.insert(QStringLiteral("visible"), a->isVisible());
        }
        if (!names.isEmpty())
            for (auto it = props.begin(); it != props.end();)
                it = names.contains(it.key()) ? std::next(it) : props.erase(it);
        return props;
    }

    // The root is about to be drawn: the menu's owner may set its items now,
    // as it does before it pops the menu up itself.
    bool AboutToShow(int id)
    {
        const uint before = revision_;
        if (id == 0 && menu_)
            emit menu_->aboutToShow();
        return revision_ != before;
    }

    void Click(int id, const QString& eventId)
    {
        QAction* a = Action(id);
        if (eventId != QLatin1String("clicked") || !a || a->isSeparator() || !a->isVisible()
            || !a->isEnabled())
            return;
        // After the answer has gone: a handler may open a modal dialog or end
        // the process.
        QTimer::singleShot(0, a, [a] {
            if (a->isVisible() && a->isEnabled())
                a->trigger();
        });
    }

    void Changed()
    {
        ++revision_;
        if (signalPending_)
            return;
        // Several items change at once (greying four of them); one signal.
        signalPending_ = true;
        QTimer::singleShot(0, this, [this] {
            signalPending_ = false;
            QDBusMessage signal =
                QDBusMessage::createSignal(MenuPath, MenuInterface, QStringLiteral("LayoutUpdated"));
            signal << revision_ << 0;
            owner_.bus_.send(signal);
        });
    }

    StatusNotifierItem& owner_;
    QPointer<QMenu> menu_;
    uint revision_ = 1;
    bool signalPending_ = false;
};

bool StatusNotifierItem::HostAvailable()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return false;
    if (platform != QLatin1String("xcb"))
        return true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(WatcherService, WatcherPath, PropertiesInterface,
                                                      QStringLiteral("Get"));
    get << WatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, 3000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
           && qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toBool();
}

namespace {
int itemCount = 0;
}

StatusNotifierItem::StatusNotifierItem(QMenu* menu)
    : connectionName_(QStringLiteral("corvane-status-notifier-%1").arg(++itemCount)),
      bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName_)), menu_(menu)
{
    RegisterTypes();
    if (!bus_.isConnected())
        return;
    item_ = new ItemObject(*this);
    if (menu)
        menuObject_ = new MenuObject(*this, menu);
    bus_.registerVirtualObject(ItemPath, item_);
    if (menuObject_)
        bus_.registerVirtualObject(MenuPath, menuObject_);
    // A name of the form panels expect; the connection's own name will do
    // if it is taken.
    service_ = QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                   .arg(QCoreApplication::applicationPid())
                   .arg(itemCount);
    if (!bus_.registerService(service_))
        service_ = bus_.baseService();
    // A watcher that starts (again) later forgets nothing but must be told.
    auto* watcher =
        new QDBusServiceWatcher(WatcherService, bus_, QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { RegisterWithWatcher(); });
    RegisterWithWatcher();
}

StatusNotifierItem::~StatusNotifierItem()
{
    if (bus_.isConnected()) {
        bus_.unregisterObject(MenuPath);
        bus_.unregisterObject(ItemPath);
    }
    QDBusConnection::disconnectFromBus(connectionName_);
}

void StatusNotifierItem::RegisterWithWatcher()
{
    QDBusMessage call = QDBusMessage::createMethodCall(WatcherService, WatcherPath, WatcherService,
                                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << service_;
    bus_.send(call);
}

void StatusNotifierItem::Emit(const QString& path, const QString& interface, const QString& signal)
{
    if (bus_.isConnected())
        bus_.send(QDBusMessage::createSignal(path, interface, signal));
}

void StatusNotifierItem::SetIcon(const QIcon& icon)
{
    icon_ = icon;
    Emit(ItemPath, ItemInterface, QStringLiteral("NewIcon"));
}

void StatusNotifierItem::SetToolTip(const QString& text)
{
    toolTip_ = text;
    Emit(ItemPath, ItemInterface, QStringLiteral("NewToolTip"));
}
