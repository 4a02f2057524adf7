// Shared by the tests that drive the monitor through the scripted platform.
#pragma once

#include "AllWindows.h"
#include "QtPrinters.h"
#include "scripted/ScriptedBackend.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/details.h"
#include "ui/frmAbout.h"
#include "ui/ig.h"
#include "ui/settings.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

class MonitorTest : public ::testing::Test {
protected:
    MonitorTest() { platform.appPath = folder.path(); }
    void TearDown() override { UnloadAllWindows(); }

    // Was a stacking change made for this window?
    bool MadeTopmost(HWND window) const
    {
        for (const auto& call : platform.stackCalls)
            if (call.hWnd == window && call.insertAfter == HWND_TOPMOST
                && call.flags == (SWP_NOMOVE | SWP_NOSIZE))
                return true;
        return false;
    }

    // Creates and loads the main window, as start-up does.
    Form1& Start() { return Form1::Instance(); }

    // The 1-based picture of the icon as the record holds it.
    int IconIndex(const NOTIFYICONDATA& data) { return Form1::Instance().ImageList1.IndexOf(data.hIcon); }

    void SetTotals(DWORD received, DWORD sent)
    {
        platform.rows = {ScriptedBackend::Row(QStringLiteral("eth0"), 2, received, sent)};
    }

    QTemporaryDir folder; // the program's own folder
    ScriptedBackend platform;
};
