#include "LinuxTray.h"

#include "StatusNotifierItem.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSystemTrayIcon>

#include <algorithm>
#include <iterator>

struct LinuxTray::Entry {
    QPointer<QSystemTrayIcon> icon;    // on an XEmbed tray
    QPointer<StatusNotifierItem> item; // on a StatusNotifier host
    HWND hWnd = nullptr;
    UINT uID = 0;
    UINT callbackMessage = 0;
    HICON shownIcon = nullptr;
    bool iconSet = false;
    QString shownTip;
};

LinuxTray::LinuxTray() = default;

LinuxTray::~LinuxTray()
{
    for (auto& [key, entry] : icons_) {
        delete entry->icon;
        delete entry->item;
    }
}

QString LinuxTray::TipText(const NOTIFYICONDATA& data)
{
    constexpr std::size_t field = std::size(NOTIFYICONDATA{}.szTip);
    const std::size_t n = std::find(data.szTip, data.szTip + field, u'\0') - data.szTip;
    return QString(reinterpret_cast<const QChar*>(data.szTip), static_cast<qsizetype>(n));
}

void LinuxTray::Apply(Entry& entry, const NOTIFYICONDATA& data)
{
    if (data.uFlags & NIF_MESSAGE)
        entry.callbackMessage = data.uCallbackMessage;
    // Only what changed goes to the tray, so an idle tick redraws nothing.
    if ((data.uFlags & NIF_ICON) && (!entry.iconSet || entry.shownIcon != data.hIcon)) {
        const QIcon picture = data.hIcon ? data.hIcon->picture : QIcon();
        if (entry.icon)
            entry.icon->setIcon(picture);
        if (entry.item)
            entry.item->SetIcon(picture);
        entry.shownIcon = data.hIcon;
        entry.iconSet = true;
    }
    if (data.uFlags & NIF_TIP) {
        QString tip = TipText(data);
        if (tip != entry.shownTip) {
            if (entry.icon)
                entry.icon->setToolTip(tip);
            if (entry.item)
                entry.item->SetToolTip(tip);
            entry.shownTip = std::move(tip);
        }
    }
}

BOOL LinuxTray::Notify(DWORD dwMessage, const NOTIFYICONDATA* data)
{
    if (!data || !QCoreApplication::instance())
        return FALSE;
    const Key key{data->hWnd, data->uID};
    auto it = icons_.find(key);
    switch (dwMessage) {
    case NIM_ADD: {
        if (it != icons_.end())
            return FALSE;
        auto entry = std::make_unique<Entry>();
        entry->hWnd = data->hWnd;
        entry->uID = data->uID;
        Entry* e = entry.get();
        // Qt's own tray icon makes the same choice; on a StatusNotifier host
        // it would turn the panel's click into a single click, which the
        // callback ignores, and open the menu inside the panel's call.
        if (StatusNotifierItem::HostAvailable()) {
            e->item = new StatusNotifierItem(data->hWnd ? data->hWnd->NotifyIconMenu(data->uID) : nullptr);
            // The panel's click is the only way to call the window up: there
            // is no double click on such a panel.
            e->item->Activated = [this, key](QPoint) { Deliver(key, WM_LBUTTONDBLCLK); };
            e->item->SecondaryActivated = [this, key](QPoint) { Deliver(key, WM_MBUTTONUP); };
            e->item->ContextMenuRequested = [this, key](QPoint at) { Deliver(key, WM_RBUTTONUP, at); };
            Apply(*e, *data);
            icons_.emplace(key, std::move(entry));
            return TRUE;
        }
        entry->icon = new QSystemTrayIcon();
        QObject::connect(e->icon, &QSystemTrayIcon::activated, e->icon,
                         [e](QSystemTrayIcon::ActivationReason reason) {
                             LPARAM mouse = 0;
                             switch (reason) {
                             case QSystemTrayIcon::DoubleClick:
                                 mouse = WM_LBUTTONDBLCLK;
                                 break;
                             case QSystemTrayIcon::Context:
                                 mouse = WM_RBUTTONUP;
                                 break;
                             case QSystemTrayIcon::Trigger:
                                 mouse = WM_LBUTTONUP;
                                 break;
                             case QSystemTrayIcon::MiddleClick:
                                 mouse = WM_MBUTTONUP;
                                 break;
                             default:
                                 return;
                             }
                             if (e->hWnd && e->callbackMessage)
                                 e->hWnd->WindowProc(e->callbackMessage, e->uID, mouse);
                         });
        Apply(*e, *data);
        e->icon->show();
        icons_.emplace(key, std::move(entry));
        return TRUE;
    }
    case NIM_MODIFY:
        if (it == icons_.end())
            return FALSE;
        Apply(*it->second, *data);
        return TRUE;
    case NIM_DELETE: {
        if (it == icons_.end())
            return FALSE;
        // The icon may be deleted from inside its own activation.
        QSystemTrayIcon* icon = it->second->icon;
        StatusNotifierItem* item = it->second->item;
        icons_.erase(it);
        if (icon) {
            icon->hide();
            icon->deleteLater();
        }
        if (item)
            item->deleteLater();
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void LinuxTray::Deliver(const Key& key, LPARAM mouse, std::optional<QPoint> anchor)
{
    const auto it = icons_.find(key);
    if (it == icons_.end() || !it->second->hWnd || !it->second->callbackMessage)
        return;
    // A second request while the first one's menu is still up would stack
    // a menu inside the open one.
    if (anchor && anchor_)
        return;
    const Entry& e = *it->second;
    const HWND hWnd = e.hWnd;
    const UINT message = e.callbackMessage;
    const UINT id = e.uID;
    if (anchor)
        anchor_ = anchor;
    hWnd->WindowProc(message, id, mouse); // may delete the icon
    if (anchor)
        anchor_.reset();
}

void LinuxTray::Flush()
{
    for (auto& [key, entry] : icons_) {
        if (entry->icon)
            entry->icon->hide();
        if (entry->item)
            entry->item->deleteLater();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
