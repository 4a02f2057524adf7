// The notification area through Qt's system tray icon. Each (window, id) pair
// added is one QSystemTrayIcon; its activations reach the owner window's
// procedure as the icon's callback message, the mouse message in lParam.
#pragma once

#include "Shell32.h"

#include <QString>
#include <map>
#include <memory>
#include <utility>

class QSystemTrayIcon;

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

private:
    struct Entry;
    using Key = std::pair<HWND, UINT>;
    void Apply(Entry& entry, const NOTIFYICONDATA& data);
    std::map<Key, std::unique_ptr<Entry>> icons_;
};
