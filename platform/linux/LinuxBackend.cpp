#include "LinuxBackend.h"

#include "LoopPass.h"

#include <QApplication>
#include <QFileInfo>
#include <QCursor>
#include <QMenu>
#include <QMessageBox>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

DWORD LinuxBackend::GetIfTable(MIB_IFTABLE* pIfTable, ULONG* pdwSize, BOOL bOrder)
{
    if (!pdwSize)
        return ERROR_INVALID_PARAMETER;
    // A probe asks the kernel, unless another probe already did in this pass
    // of the event loop; the fill right after a probe is answered from the
    // same read.
    const bool probe = !pIfTable;
    const bool reuse = probe ? readPass_ != 0 && readPass_ == looppass::Current() : rowsFromProbe_;
    if (!reuse) {
        readPass_ = 0;
        if (!links_.Read(rows_)) {
            rowsFromProbe_ = false;
            return ERROR_NOT_SUPPORTED;
        }
        readPass_ = looppass::Current();
    }
    rowsFromProbe_ = false;

    const std::size_t needed = offsetof(MIB_IFTABLE, table) + rows_.size() * sizeof(MIB_IFROW);
    if (!pIfTable || *pdwSize < needed) {
        *pdwSize = static_cast<ULONG>(needed);
        rowsFromProbe_ = true;
        return ERROR_INSUFFICIENT_BUFFER;
    }
    if (bOrder) {
        std::stable_sort(rows_.begin(), rows_.end(),
                         [](const MIB_IFROW& a, const MIB_IFROW& b) { return a.dwIndex < b.dwIndex; });
        // Later readers of this pass may want the kernel's order.
        readPass_ = 0;
    }
    const DWORD count = static_cast<DWORD>(rows_.size());
    auto* bytes = reinterpret_cast<BYTE*>(pIfTable);
    std::memcpy(bytes, &count, sizeof count);
    if (count)
        std::memcpy(bytes + offsetof(MIB_IFTABLE, table), rows_.data(), rows_.size() * sizeof(MIB_IFROW));
    return NO_ERROR;
}

BOOL LinuxBackend::Shell_NotifyIconW(DWORD dwMessage, NOTIFYICONDATA* lpData)
{
    return tray_.Notify(dwMessage, lpData);
}

int LinuxBackend::MessageBox(HWND, const QString& text, const QString& caption, UINT uType)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
    if ((uType & 0xF0) == MB_ICONINFORMATION)
        box.setIcon(QMessageBox::Information);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
    return IDOK;
}

BOOL LinuxBackend::SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int, int, int, int, UINT)
{
    if (!hWnd || !hWnd->Widget())
        return FALSE;
    QWidget* w = hWnd->Widget();
    if (hWndInsertAfter != HWND_TOPMOST && hWndInsertAfter != HWND_NOTOPMOST)
        return TRUE;
    const bool top = hWndInsertAfter == HWND_TOPMOST;
    if (w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == top)
        return TRUE;
    // Changing a top-level window's flags hides it; a shown window comes back.
    const bool shown = w->isVisible();
    w->setWindowFlag(Qt::WindowStaysOnTopHint, top);
    if (shown)
        w->show();
    return TRUE;
}

void LinuxBackend::ResetScreenMousePointer()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

BOOL LinuxBackend::TrackPopupMenu(QMenu* hMenu, UINT uFlags, HWND)
{
    if (!hMenu)
        return FALSE;
    // A StatusNotifier panel says where its icon was clicked.
    QPoint at = tray_.PopupAnchor().value_or(QCursor::pos());
    if (uFlags & TPM_RIGHTALIGN)
        at.rx() -= hMenu->sizeHint().width();
    hMenu->exec(at);
    return TRUE;
}

HANDLE LinuxBackend::GetProcessHeap()
{
    static int heap;
    return &heap;
}

void* LinuxBackend::HeapAlloc(HANDLE, DWORD dwFlags, std::size_t dwBytes)
{
    return (dwFlags & HEAP_ZERO_MEMORY) ? std::calloc(1, dwBytes ? dwBytes : 1)
                                        : std::malloc(dwBytes ? dwBytes : 1);
}

BOOL LinuxBackend::HeapFree(HANDLE, DWORD, void* lpMem)
{
    std::free(lpMem);
    return TRUE;
}

void LinuxBackend::ExitProcess(UINT uExitCode)
{
    // The display connection closes with the process, which takes the icon's
    // window with it; nothing else is to be saved.
    tray_.Flush();
    std::fflush(nullptr);
    ::_exit(static_cast<int>(uExitCode));
}

QString LinuxBackend::AppPath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

int LinuxBackend::WSAStartup(WORD wVersionRequested, WSADATA* lpWSAData)
{
    return net_.WSAStartup(wVersionRequested, lpWSAData);
}

int LinuxBackend::WSACleanup()
{
    return net_.WSACleanup();
}

int LinuxBackend::WSAGetLastError()
{
    return net_.WSAGetLastError();
}

int LinuxBackend::gethostname(char* name, int namelen)
{
    return net_.gethostname(name, namelen);
}

HOSTENT* LinuxBackend::gethostbyname(const char* name)
{
    return net_.gethostbyname(name);
}

UCHAR LinuxBackend::Netbios(NCB* pcnb)
{
    return net_.Netbios(pcnb);
}

DWORD LinuxBackend::GetAdaptersInfo(IP_ADAPTER_INFO* pAdapterInfo, ULONG* pOutBufLen)
{
    return net_.GetAdaptersInfo(pAdapterInfo, pOutBufLen);
}

DWORD LinuxBackend::GetNetworkParams(FIXED_INFO* pFixedInfo, ULONG* pOutBufLen)
{
    return net_.GetNetworkParams(pFixedInfo, pOutBufLen);
}
