// Window routines shared by the monitor's windows.
#pragma once

#include "platform/User32.h"

namespace Module1 {
// Puts the window into the topmost band of the stacking order (or out of it).
void SetWindowTopmost(HWND hwnd, bool topmost);
} // namespace Module1
