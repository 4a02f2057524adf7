// Every window of the monitor, for tests that start it afresh each time.
#pragma once

#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/details.h"
#include "ui/frmAbout.h"
#include "ui/ig.h"
#include "ui/settings.h"

// Every window back to "not yet created", so each test starts afresh. The
// main window goes first: its end still calls the shell.
inline void UnloadAllWindows()
{
    Form1::Unload();
    Form2::Unload();
    settings::Unload();
    details::Unload();
    frmAbout::Unload();
    RateMeter::Unload();
}
