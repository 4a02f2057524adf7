// Windows, message boxes and stacking order, as the monitor's windows use them.
#pragma once

#include "Win32.h"

#include <QIcon>
#include <QString>

class QMenu;
class QWidget;

// A window the platform can address: the toolkit widget behind it and the
// window procedure through which the shell delivers its notifications.
struct HWND__ {
    virtual ~HWND__() = default;
    virtual QWidget* Widget() = 0;
    virtual LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) = 0;
    // The popup menu of the window's notification-area icon uID, for trays
    // that draw an application's menu themselves (StatusNotifier panels).
    virtual QMenu* NotifyIconMenu(UINT uID)
    {
        (void)uID;
        return nullptr;
    }
};
using HWND = HWND__*;

// A picture that the shell can show; owned by whoever made it (an image list).
struct HICON__ {
    QIcon picture;
};
using HICON = HICON__*;

inline HWND const HWND_TOPMOST = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-2));

inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;

inline constexpr UINT MB_OK = 0x00000000;
inline constexpr UINT MB_ICONINFORMATION = 0x00000040;
inline constexpr UINT MB_APPLMODAL = 0x00000000;
inline constexpr int IDOK = 1;

// Popup-menu flags.
inline constexpr UINT TPM_LEFTBUTTON = 0x0000;
inline constexpr UINT TPM_RIGHTALIGN = 0x0008;

// Shows a modal message box with an OK button; the message loop keeps running
// inside it. Returns the button pressed (always IDOK).
int MessageBox(HWND hWnd, const QString& text, const QString& caption, UINT uType);

// Changes a window's place in the stacking order; only the topmost band is
// honoured (HWND_TOPMOST / HWND_NOTOPMOST with SWP_NOMOVE | SWP_NOSIZE).
BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);

// Puts the screen's mouse pointer back to its default shape.
void ResetScreenMousePointer();

// Pops up a menu at the mouse pointer (TPM_RIGHTALIGN: its right edge there)
// and returns when it has closed, after the chosen item's handler ran.
BOOL TrackPopupMenu(QMenu* hMenu, UINT uFlags, HWND hWnd);
