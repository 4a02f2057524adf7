#include "Backend.h"

#include "platform/linux/LinuxBackend.h"

#include <cstring>

namespace {
Backend* installed = nullptr;
}

Backend& CurrentBackend()
{
    if (installed)
        return *installed;
    static LinuxBackend desktop;
    return desktop;
}

void InstallBackend(Backend* backend)
{
    installed = backend;
}

DWORD GetIfTable(MIB_IFTABLE* pIfTable, ULONG* pdwSize, BOOL bOrder)
{
    return CurrentBackend().GetIfTable(pIfTable, pdwSize, bOrder);
}

BOOL Shell_NotifyIconW(DWORD dwMessage, NOTIFYICONDATA* lpData)
{
    return CurrentBackend().Shell_NotifyIconW(dwMessage, lpData);
}

int MessageBox(HWND hWnd, const QString& text, const QString& caption, UINT uType)
{
    return CurrentBackend().MessageBox(hWnd, text, caption, uType);
}

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags)
{
    return CurrentBackend().SetWindowPos(hWnd, hWndInsertAfter, X, Y, cx, cy, uFlags);
}

void ResetScreenMousePointer()
{
    CurrentBackend().ResetScreenMousePointer();
}

BOOL TrackPopupMenu(QMenu* hMenu, UINT uFlags, HWND hWnd)
{
    return CurrentBackend().TrackPopupMenu(hMenu, uFlags, hWnd);
}

void RtlMoveMemory(void* Destination, const void* Source, std::size_t Length)
{
    if (Length)
        std::memmove(Destination, Source, Length);
}

HANDLE GetProcessHeap()
{
    return CurrentBackend().GetProcessHeap();
}

void* HeapAlloc(HANDLE hHeap, DWORD dwFlags, std::size_t dwBytes)
{
    return CurrentBackend().HeapAlloc(hHeap, dwFlags, dwBytes);
}

BOOL HeapFree(HANDLE hHeap, DWORD dwFlags, void* lpMem)
{
    return CurrentBackend().HeapFree(hHeap, dwFlags, lpMem);
}

void ExitProcess(UINT uExitCode)
{
    CurrentBackend().ExitProcess(uExitCode);
}

QString AppPath()
{
    return CurrentBackend().AppPath();
}

int WSAStartup(WORD wVersionRequested, WSADATA* lpWSAData)
{
    return CurrentBackend().WSAStartup(wVersionRequested, lpWSAData);
}

int WSACleanup()
{
    return CurrentBackend().WSACleanup();
}

int WSAGetLastError()
{
    return CurrentBackend().WSAGetLastError();
}

int Winsock::gethostname(char* name, int namelen)
{
    return CurrentBackend().gethostname(name, namelen);
}

HOSTENT* Winsock::gethostbyname(const char* name)
{
    return CurrentBackend().gethostbyname(name);
}

UCHAR Netbios(NCB* pcnb)
{
    return CurrentBackend().Netbios(pcnb);
}

DWORD GetAdaptersInfo(IP_ADAPTER_INFO* pAdapterInfo, ULONG* pOutBufLen)
{
    return CurrentBackend().GetAdaptersInfo(pAdapterInfo, pOutBufLen);
}

DWORD GetNetworkParams(FIXED_INFO* pFixedInfo, ULONG* pOutBufLen)
{
    return CurrentBackend().GetNetworkParams(pFixedInfo, pOutBufLen);
}
