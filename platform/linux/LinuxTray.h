// The notification area: an XEmbed tray through Qt's system tray icon, or a
// StatusNotifier host on the session bus. Each (window, id) pair added is one
// icon; its mouse actions reach the owner window's procedure as the icon's
// callback message, the mouse message in lParam.
#pragma once

#include "platform/Shell32.h"

#include <QPoint>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <utility>

class LinuxTray {
public:
    LinuxTray();
    ~LinuxTray();

    BOOL Notify(DWORD dwMessage, const NOTIFYICONDATA* data);
    // Sends what is pending to the display before the process ends.
    void Flush();

    // The tooltip text a record carries: its tip field up to the first NUL,
    // at most 128 characters.
    static QString TipText(const NOTIFYICONDATA& data);

    // While the icon's callback runs for a StatusNotifier panel's context-menu
    // request: the screen position the panel gave, where a popup menu goes
    // instead of the mouse pointer.
    std::optional<QPoint> PopupAnchor() const { return anchor_; }

private:
    struct Entry;
    using Key = std::pair<HWND, UINT>;
    void Apply(Entry& entry, const NOTIFYICONDATA& data);
    void Deliver(const Key& key, LPARAM mouse, std::optional<QPoint> anchor = std::nullopt);
    std::map<Key, std::unique_ptr<Entry>> icons_;
    std::optional<QPoint> anchor_;
};
