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

// First, ANSI form of the record. Its size follows this build's pointer
// width, so cbSize is sizeof the record; the tip field is 64 ANSI characters.
struct NOTIFYICONDATA {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[64];
};

// Adds, modifies or deletes the icon (hWnd, uID) of the notification area.
// FALSE for a second add, or for a modify or delete of an absent icon.
// Mouse actions on the icon reach hWnd's window procedure as
// uCallbackMessage with the icon's mouse message in lParam.
BOOL Shell_NotifyIconA(DWORD dwMessage, NOTIFYICONDATA* lpData);
