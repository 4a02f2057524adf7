// A platform that answers from what a test chose: a given interface table and
// injected failures. It records every shell call, message box, stacking change
// and exit, answers message boxes at once and keeps one log of it all in order.
#pragma once

#include "Backend.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class ScriptedBackend : public Backend {
public:
    ScriptedBackend();   // installs itself
    ~ScriptedBackend() override; // and uninstalls

    // ---- interface table ----
    std::vector<MIB_IFROW> rows;
    // The result of the size probe instead of the usual one (e.g. 50).
    std::optional<DWORD> probeResult;
    // With probeResult set: whether the probe still reports the needed size.
    bool probeReportsSize = true;
    // The result of the fill instead of the usual one (e.g. 31).
    std::optional<DWORD> fillResult;
    // Rows appended to the table between the probe and the fill.
    std::vector<MIB_IFROW> growBetweenCalls;
    int ifTableCalls = 0;

    static MIB_IFROW Row(const QString& name, DWORD index, DWORD inOctets, DWORD outOctets);

    // ---- notification area ----
    struct ShellCall {
        DWORD message;
        NOTIFYICONDATA data;
        BOOL result;
    };
    std::vector<ShellCall> shellCalls;
    bool iconPresent = false;
    NOTIFYICONDATA icon{}; // the icon as the shell holds it
    // Delivers a mouse message on the icon to its owner, as the shell does.
    void SendIconMessage(UINT mouseMessage);
    int CountShellCalls(DWORD message) const;

    // ---- message boxes ----
    struct Box {
        QString text;
        QString caption;
        UINT type;
    };
    std::vector<Box> boxes;
    // Runs while a box is open, as the message loop would run inside it.
    std::function<void(const Box&)> whileBoxOpen;

    // ---- windows ----
    struct StackCall {
        HWND hWnd;
        HWND insertAfter;
        UINT flags;
    };
    std::vector<StackCall> stackCalls;
    int mousePointerResets = 0;

    // ---- heap ----
    int liveBlocks = 0;
    int failAllocations = 0; // the next this-many allocations fail

    // ---- process ----
    std::vector<UINT> exits;
    QString appPath;

    // Every call above, in the order made.
    QStringList log;

    DWORD GetIfTable(MIB_IFTABLE* pIfTable, ULONG* pdwSize, BOOL bOrder) override;
    BOOL Shell_NotifyIconA(DWORD dwMessage, NOTIFYICONDATA* lpData) override;
    int MessageBox(HWND hWnd, const QString& text, const QString& caption, UINT uType) override;
    BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                      UINT uFlags) override;
    void ResetScreenMousePointer() override;
    HANDLE GetProcessHeap() override;
    void* HeapAlloc(HANDLE hHeap, DWORD dwFlags, std::size_t dwBytes) override;
    BOOL HeapFree(HANDLE hHeap, DWORD dwFlags, void* lpMem) override;
    void ExitProcess(UINT uExitCode) override;
    QString AppPath() override;
};
