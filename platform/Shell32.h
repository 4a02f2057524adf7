// The notification area of the task bar.
#pragma once

#include "User32.h"
#include "Win32.h"

inline constexpr DWORD NIM_ADD = 0;
inline constexpr DWORD NIM_MODIFY = 1;
inline constexpr DWORD NIM_DELETE = 2;

inline constexpr UINT NIF_MESSAGE = 1;
inline constexpr UINT NIF_ICON = 2;
inline constexpr UINT NIF_TIP = 4;

// The wide record in its later layout: the tip field holds 128 UTF-16
// characters, room for both totals in full with any locale's separators.
// Its size follows this build's pointer width, so cbSize is sizeof the record.
struct NOTIFYICONDATAW {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    WCHAR szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    WCHAR szInfo[256];
    union {
        UINT uTimeout;
        UINT uVersion;
    };
    WCHAR szInfoTitle[64];
    DWORD dwInfoFlags;
};
using NOTIFYICONDATA = NOTIFYICONDATAW;

// Adds, modifies or deletes the icon (hWnd, uID) of the notification area.
// FALSE for a second add, or for a modify or delete of an absent icon.
// Mouse actions on the icon reach hWnd's window procedure as
// uCallbackMessage with the icon's mouse message in lParam.
BOOL Shell_NotifyIconW(DWORD dwMessage, NOTIFYICONDATAW* lpData);
