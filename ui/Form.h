// A top-level window of the monitor: fixed in size and place, without a task-bar
// button, addressable by the platform through its window handle.
#pragma once

#include "platform/User32.h"

#include <QFont>
#include <QWidget>

class Form : public QWidget, public HWND__ {
public:
    explicit Form(Qt::WindowFlags flags);

    HWND hWnd() { return this; }
    QWidget* Widget() override { return this; }
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    // Fixes the client area at left, top with width, height, all in twips.
    void SetClientArea(int left, int top, int width, int height);

    // Shows the window and waits until it is hidden or destroyed; timers keep
    // running meanwhile. The program's other windows ignore the user until
    // then; the notification icon and its menu keep answering.
    void ShowModal();

    // Flags of a fixed dialog frame: title bar and close box only.
    static Qt::WindowFlags FixedDialog();
    // The font of the windows and their controls.
    static QFont WindowFont();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    class QEventLoop* modalLoop_ = nullptr;
};
