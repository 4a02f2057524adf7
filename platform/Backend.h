// What answers the platform calls: the Linux desktop in the program, a
// scripted stand-in in the tests. The free functions of the platform headers
// forward to the back end installed here.
#pragma once

#include "IpHlpApi.h"
#include "Kernel32.h"
#include "Netbios.h"
#include "Shell32.h"
#include "User32.h"
#include "Winsock.h"

class Backend {
public:
    virtual ~Backend() = default;

    virtual DWORD GetIfTable(MIB_IFTABLE* pIfTable, ULONG* pdwSize, BOOL bOrder) = 0;

    virtual BOOL Shell_NotifyIconW(DWORD dwMessage, NOTIFYICONDATA* lpData) = 0;

    virtual int MessageBox(HWND hWnd, const QString& text, const QString& caption, UINT uType) = 0;
    virtual BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) = 0;
    virtual void ResetScreenMousePointer() = 0;
    virtual BOOL TrackPopupMenu(QMenu* hMenu, UINT uFlags, HWND hWnd) = 0;

    virtual HANDLE GetProcessHeap() = 0;
    virtual void* HeapAlloc(HANDLE hHeap, DWORD dwFlags, std::size_t dwBytes) = 0;
    virtual BOOL HeapFree(HANDLE hHeap, DWORD dwFlags, void* lpMem) = 0;

    virtual void ExitProcess(UINT uExitCode) = 0;
    virtual QString AppPath() = 0;

    virtual int WSAStartup(WORD wVersionRequested, WSADATA* lpWSAData) = 0;
    virtual int WSACleanup() = 0;
    virtual int WSAGetLastError() = 0;
    virtual int gethostname(char* name, int namelen) = 0;
    virtual HOSTENT* gethostbyname(const char* name) = 0;

    virtual UCHAR Netbios(NCB* pcnb) = 0;

    virtual DWORD GetAdaptersInfo(IP_ADAPTER_INFO* pAdapterInfo, ULONG* pOutBufLen) = 0;
    virtual DWORD GetNetworkParams(FIXED_INFO* pFixedInfo, ULONG* pOutBufLen) = 0;
};

// The back end in use: the one installed last, or the Linux desktop's when
// none was installed.
Backend& CurrentBackend();

// Makes `backend` answer every platform call from now on (nullptr goes back
// to the Linux desktop). The caller keeps ownership.
void InstallBackend(Backend* backend);
