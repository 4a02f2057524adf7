#include "Module1.h"

void Module1::SetWindowTopmost(HWND hwnd, bool topmost)
{
    SetWindowPos(hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}
