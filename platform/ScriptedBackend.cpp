#include "ScriptedBackend.h"

#include <cstdlib>
#include <cstring>

ScriptedBackend::ScriptedBackend()
{
    InstallBackend(this);
}

ScriptedBackend::~ScriptedBackend()
{
    InstallBackend(nullptr);
}

MIB_IFROW ScriptedBackend::Row(const QString& name, DWORD index, DWORD inOctets, DWORD outOctets)
{
    MIB_IFROW row{};
    for (qsizetype i = 0; i < name.size() && i < MAX_INTERFACE_NAME_LEN - 1; ++i)
        row.wszName[i] = name[i].unicode();
    row.dwIndex = index;
    row.dwType = IF_TYPE_ETHERNET_CSMACD;
    row.dwMtu = 1500;
    row.dwAdminStatus = MIB_IF_ADMIN_STATUS_UP;
    row.dwOperStatus = MIB_IF_OPER_STATUS_OPERATIONAL;
    row.dwInOctets = inOctets;
    row.dwOutOctets = outOctets;
    const QByteArray descr = name.toLatin1();
    std::memcpy(row.bDescr, descr.constData(), std::min<std::size_t>(descr.size(), MAXLEN_IFDESCR));
    row.dwDescrLen = static_cast<DWORD>(std::min<qsizetype>(descr.size(), MAXLEN_IFDESCR));
    return row;
}

DWORD ScriptedBackend::GetIfTable(MIB_IFTABLE* pIfTable, ULONG* pdwSize, BOOL)
{
    ++ifTableCalls;
    log << QStringLiteral("GetIfTable");
    if (!pdwSize)
        return ERROR_INVALID_PARAMETER;
    const bool probe = !pIfTable;
    if (probe && probeResult) {
        if (probeReportsSize)
            *pdwSize = static_cast<ULONG>(4 + rows.size() * sizeof(MIB_IFROW));
        return *probeResult;
    }
    if (!probe && !growBetweenCalls.empty()) {
        rows.insert(rows.end(), growBetweenCalls.begin(), growBetweenCalls.end());
        growBetweenCalls.clear();
    }
    if (!probe && fillResult)
        return *fillResult;
    const std::size_t needed = 4 + rows.size() * sizeof(MIB_IFROW);
    if (probe || *pdwSize < needed) {
        *pdwSize = static_cast<ULONG>(needed);
        return ERROR_INSUFFICIENT_BUFFER;
    }
    const DWORD count = static_cast<DWORD>(rows.size());
    auto* bytes = reinterpret_cast<BYTE*>(pIfTable);
    std::memcpy(bytes, &count, 4);
    if (count)
        std::memcpy(bytes + 4, rows.data(), rows.size() * sizeof(MIB_IFROW));
    return NO_ERROR;
}

BOOL ScriptedBackend::Shell_NotifyIconA(DWORD dwMessage, NOTIFYICONDATA* lpData)
{
    BOOL result = FALSE;
    switch (dwMessage) {
    case NIM_ADD:
        if (!iconPresent) {
            iconPresent = true;
            icon = *lpData;
            result = TRUE;
        }
        break;
    case NIM_MODIFY:
        if (iconPresent) {
            icon = *lpData;
            result = TRUE;
        }
        break;
    case NIM_DELETE:
        if (iconPresent) {
            iconPresent = false;
            result = TRUE;
        }
        break;
    }
    shellCalls.push_back({dwMessage, *lpData, result});
    static const char* names[] = {"NIM_ADD", "NIM_MODIFY", "NIM_DELETE"};
    log << QStringLiteral("Shell_NotifyIconA %1").arg(QLatin1String(dwMessage < 3 ? names[dwMessage] : "?"));
    return result;
}

int ScriptedBackend::CountShellCalls(DWORD message) const
{
    int n = 0;
    for (const auto& call : shellCalls)
        n += call.message == message;
    return n;
}

void ScriptedBackend::SendIconMessage(UINT mouseMessage)
{
    if (icon.hWnd)
        icon.hWnd->WindowProc(icon.uCallbackMessage, icon.uID, static_cast<LPARAM>(mouseMessage));
}

int ScriptedBackend::MessageBox(HWND, const QString& text, const QString& caption, UINT uType)
{
    boxes.push_back({text, caption, uType});
    log << QStringLiteral("MessageBox %1").arg(text);
    if (whileBoxOpen) {
        const Box box = boxes.back();
        whileBoxOpen(box);
    }
    return IDOK;
}

BOOL ScriptedBackend::SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int, int, int, int, UINT uFlags)
{
    stackCalls.push_back({hWnd, hWndInsertAfter, uFlags});
    log << QStringLiteral("SetWindowPos");
    return hWnd ? TRUE : FALSE;
}

void ScriptedBackend::ResetScreenMousePointer()
{
    ++mousePointerResets;
    log << QStringLiteral("ResetScreenMousePointer");
}

HANDLE ScriptedBackend::GetProcessHeap()
{
    static int heap;
    return &heap;
}

void* ScriptedBackend::HeapAlloc(HANDLE, DWORD dwFlags, std::size_t dwBytes)
{
    log << QStringLiteral("HeapAlloc");
    if (failAllocations > 0) {
        --failAllocations;
        return nullptr;
    }
    void* p = (dwFlags & HEAP_ZERO_MEMORY) ? std::calloc(1, dwBytes ? dwBytes : 1)
                                           : std::malloc(dwBytes ? dwBytes : 1);
    if (p)
        ++liveBlocks;
    return p;
}

BOOL ScriptedBackend::HeapFree(HANDLE, DWORD, void* lpMem)
{
    log << QStringLiteral("HeapFree");
    if (!lpMem)
        return FALSE;
    std::free(lpMem);
    --liveBlocks;
    return TRUE;
}

void ScriptedBackend::ExitProcess(UINT uExitCode)
{
    exits.push_back(uExitCode);
    log << QStringLiteral("ExitProcess");
}

QString ScriptedBackend::AppPath()
{
    return appPath;
}
