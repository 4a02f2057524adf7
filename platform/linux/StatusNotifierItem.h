// A notification-area icon for panels that show icons through the
// StatusNotifierItem D-Bus protocol (KDE Plasma, GNOME with AppIndicator
// support, several others) instead of an XEmbed tray. The icon's menu is
// exported as a com.canonical.dbusmenu, so a panel that draws menus itself
// offers the same items, in the same states, with the same handlers.
#pragma once

#include <QDBusConnection>
#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <functional>

class QMenu;

class StatusNotifierItem : public QObject {
public:
    // Whether tray icons go to a StatusNotifier host here rather than to an
    // XEmbed tray, by the rule Qt's own tray icon follows: on X11, when the
    // session bus has a StatusNotifierWatcher with a host registered; on other
    // window systems always, as they have no XEmbed tray; never offscreen.
    static bool HostAvailable();

    // Registers the item with the watcher; `menu` (not owned, may be null) is
    // exported as the item's menu.
    explicit StatusNotifierItem(QMenu* menu);
    ~StatusNotifierItem() override;

    // Both announce the change to the panel.
    void SetIcon(const QIcon& icon);
    void SetToolTip(const QString& text);

    // The panel's requests, each run from the event loop after the panel's
    // call has been answered, with the screen position the panel gave.
    std::function<void(QPoint)> Activated;          // primary (left) click
    std::function<void(QPoint)> SecondaryActivated; // middle click
    std::function<void(QPoint)> ContextMenuRequested;

    // The bus name under which the item is registered (empty without a bus).
    QString Service() const { return service_; }

private:
    class ItemObject;
    class MenuObject;

    void RegisterWithWatcher();
    void Emit(const QString& path, const QString& interface, const QString& signal);

    QString connectionName_;
    QDBusConnection bus_;
    QString service_;
    QIcon icon_;
    QString toolTip_;
    QPointer<QMenu> menu_;
    ItemObject* item_ = nullptr;
    MenuObject* menuObject_ = nullptr;
};
