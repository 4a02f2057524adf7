#include "LinuxTray.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSystemTrayIcon>

#include <algorithm>
#include <iterator>

struct LinuxTray::Entry {
    QPointer<QSystemTrayIcon> icon;
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
    for (auto& [key, entry] : icons_)
        delete entry->icon;
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
        entry.icon->setIcon(data.hIcon ? data.hIcon->picture : QIcon());
        entry.shownIcon = data.hIcon;
        entry.iconSet = true;
    }
    if (data.uFlags & NIF_TIP) {
        QString tip = TipText(data);
        if (tip != entry.shownTip) {
            entry.icon->setToolTip(tip);
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
    case 0: { // NIM_ADD
        if (it != icons_.end())
            return FALSE;
        auto entry = std::make_unique<Entry>();
        entry->icon = new QSystemTrayIcon();
        entry->hWnd = data->hWnd;
        entry->uID = data->uID;
        Entry* e = entry.get();
        QObject::connect(e->icon, &QSystemTrayIcon::activated, e->icon,
                         [e](QSystemTrayIcon::ActivationReason reason) {
                             LPARAM mouse = 0;
                             switch (reason) {
                             case QSystemTrayIcon::DoubleClick: mouse = WM_LBUTTONDBLCLK; break;
                             case QSystemTrayIcon::Context: mouse = WM_RBUTTONUP; break;
                             case QSystemTrayIcon::Trigger: mouse = WM_LBUTTONUP; break;
                             case QSystemTrayIcon::MiddleClick: mouse = WM_MBUTTONUP; break;
                             default: return;
                             }
                             if (e->hWnd && e->callbackMessage)
                                 e->hWnd->WindowProc(e->callbackMessage, e->uID, mouse);
                         });
        Apply(*e, *data);
        e->icon->show();
        icons_.emplace(key, std::move(entry));
        return TRUE;
    }
    case 1: // NIM_MODIFY
        if (it == icons_.end())
            return FALSE;
        Apply(*it->second, *data);
        return TRUE;
    case 2: { // NIM_DELETE
        if (it == icons_.end())
            return FALSE;
        // The icon may be deleted from inside its own activation.
        QSystemTrayIcon* icon = it->second->icon;
        icons_.erase(it);
        if (icon) {
            icon->hide();
            icon->deleteLater();
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void LinuxTray::Flush()
{
    for (auto& [key, entry] : icons_)
        if (entry->icon)
            entry->icon->hide();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
