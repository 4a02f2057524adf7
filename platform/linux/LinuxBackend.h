// The platform answered from this Linux desktop: rtnetlink for the interface
// table, Qt for the notification area, message boxes and window stacking.
#pragma once

#include "platform/Backend.h"
#include "LinkTable.h"
#include "LinuxNetServices.h"
#include "LinuxTray.h"

#include <cstdint>

#include <vector>

class LinuxBackend : public Backend {
public:
    DWORD GetIfTable(MIB_IFTABLE* pIfTable, ULONG* pdwSize, BOOL bOrder) override;

    BOOL Shell_NotifyIconW(DWORD dwMessage, NOTIFYICONDATA* lpData) override;

    int MessageBox(HWND hWnd, const QString& text, const QString& caption, UINT uType) override;
    BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) override;
    void ResetScreenMousePointer() override;
    BOOL TrackPopupMenu(QMenu* hMenu, UINT uFlags, HWND hWnd) override;

    HANDLE GetProcessHeap() override;
    void* HeapAlloc(HANDLE hHeap, DWORD dwFlags, std::size_t dwBytes) override;
    BOOL HeapFree(HANDLE hHeap, DWORD dwFlags, void* lpMem) override;

    void ExitProcess(UINT uExitCode) override;
    QString AppPath() override;

    int WSAStartup(WORD wVersionRequested, WSADATA* lpWSAData) override;
    int WSACleanup() override;
    int WSAGetLastError() override;
    int gethostname(char* name, int namelen) override;
    HOSTENT* gethostbyname(const char* name) override;
    UCHAR Netbios(NCB* pcnb) override;
    DWORD GetAdaptersInfo(IP_ADAPTER_INFO* pAdapterInfo, ULONG* pOutBufLen) override;
    DWORD GetNetworkParams(FIXED_INFO* pFixedInfo, ULONG* pOutBufLen) override;

private:
    LinkTable links_;
    // Rows read by a size probe, kept for the fill that follows it, so that
    // the pair costs one kernel read and the fill matches the size it asked for.
    std::vector<MIB_IFROW> rows_;
    bool rowsFromProbe_ = false;
    // The pass of the event loop in which rows_ came from the kernel, 0 for
    // none that may be shared.
    std::uint64_t readPass_ = 0;
    LinuxTray tray_;
    LinuxNetServices net_;
};
