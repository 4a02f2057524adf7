#include "ScriptedBackend.h"

#include "platform/NetworkParams.h"

#include "platform/AnsiCodePage.h"

#include <algorithm>

#include <QAction>
#include <QMenu>

#include <cstdlib>
#include <stdexcept>
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

BOOL ScriptedBackend::Shell_NotifyIconW(DWORD dwMessage, NOTIFYICONDATA* lpData)
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
    log << QStringLiteral("Shell_NotifyIconW %1").arg(QLatin1String(dwMessage < 3 ? names[dwMessage] : "?"));
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

BOOL ScriptedBackend::TrackPopupMenu(QMenu* hMenu, UINT uFlags, HWND)
{
    log << QStringLiteral("TrackPopupMenu %1").arg(hMenu ? hMenu->objectName() : QString());
    if (failPopup)
        throw std::runtime_error("Method 'PopupMenu' of object 'Form1' failed");
    if (!hMenu)
        return FALSE;
    Popup popup{hMenu->objectName(), uFlags, {}, {}};
    QAction* chosen = nullptr;
    for (QAction* item : hMenu->actions()) {
        if (item->isSeparator() || !item->isVisible())
            continue;
        popup.offered << item->objectName();
        if (item->isEnabled())
            popup.enabled << item->objectName();
        if (item->objectName() == choose && item->isEnabled())
            chosen = item;
    }
    popups.push_back(popup);
    if (chosen)
        chosen->trigger();
    return TRUE;
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

// ---- sockets ----

int ScriptedBackend::WSAStartup(WORD, WSADATA* lpWSAData)
{
    log << QStringLiteral("WSAStartup");
    if (lpWSAData) {
        std::memset(lpWSAData, 0, sizeof *lpWSAData);
        if (startupResult == 0) {
            lpWSAData->wVersion = socketsVersion;
            lpWSAData->wHighVersion = 0x0202;
            lpWSAData->iMaxSockets = maxSockets;
            lpWSAData->iMaxUdpDg = 65467;
        }
    }
    return startupResult;
}

int ScriptedBackend::WSACleanup()
{
    log << QStringLiteral("WSACleanup");
    return cleanupResult;
}

int ScriptedBackend::WSAGetLastError()
{
    log << QStringLiteral("WSAGetLastError");
    return lastError;
}

int ScriptedBackend::gethostname(char* name, int namelen)
{
    log << QStringLiteral("gethostname");
    if (hostNameError) {
        lastError = *hostNameError;
        return SOCKET_ERROR;
    }
    if (!name || namelen <= 0) {
        lastError = WSAEFAULT;
        return SOCKET_ERROR;
    }
    const std::size_t room = static_cast<std::size_t>(namelen);
    const std::size_t n = std::min<std::size_t>(room, static_cast<std::size_t>(hostName.size()));
    std::memcpy(name, hostName.constData(), n);
    if (n < room)
        name[n] = '\0';
    return 0;
}

HOSTENT* ScriptedBackend::gethostbyname(const char* name)
{
    log << QStringLiteral("gethostbyname");
    hostLookups << QString::fromLatin1(name ? name : "");
    if (hostLookupFails || !name) {
        lastError = name ? hostLookupError : WSAEFAULT;
        return nullptr;
    }
    std::vector<std::string> addresses;
    for (const QByteArray& address : hostAddresses)
        addresses.push_back(address.toStdString());
    return hostRecord.Set(name, addresses, hostAddressLength, 2 /* IPv4 */);
}

// ---- NetBIOS ----

UCHAR ScriptedBackend::Netbios(NCB* pcnb)
{
    if (!pcnb) {
        log << QStringLiteral("Netbios");
        return NRC_BUFLEN;
    }
    netbiosCalls.push_back(*pcnb);
    UCHAR result = NRC_ILLCMD;
    switch (pcnb->ncb_command) {
    case NCBRESET:
        log << QStringLiteral("Netbios NCBRESET");
        result = NRC_GOODRET;
        break;
    case NCBASTAT:
        log << QStringLiteral("Netbios NCBASTAT");
        if (!adapterAddress) {
            result = NRC_BRIDGE;
        } else if (!pcnb->ncb_buffer || pcnb->ncb_length == 0) {
            result = NRC_BUFLEN;
        } else {
            ADAPTER_STATUS status{};
            std::memcpy(status.adapter_address, adapterAddress->data(), 6);
            status.rev_major = 3;
            status.adapter_type = 0xFE;
            const std::size_t n = std::min<std::size_t>(pcnb->ncb_length, sizeof status);
            std::memcpy(pcnb->ncb_buffer, &status, n);
            result = n < sizeof status ? NRC_INCOMP : NRC_GOODRET;
        }
        break;
    default:
        log << QStringLiteral("Netbios %1").arg(pcnb->ncb_command);
        break;
    }
    pcnb->ncb_retcode = result;
    pcnb->ncb_cmd_cplt = result;
    return result;
}

// ---- adapters and network parameters ----

namespace {

// An address text as the 16-byte field holds it: ANSI, NUL-padded, with no
// NUL when the text fills the field.
void PutAddressText(IP_ADDRESS_STRING& field, const QString& text)
{
    std::memset(field.String, 0, sizeof field.String);
    for (qsizetype i = 0; i < text.size() && i < qsizetype(sizeof field.String); ++i)
        field.String[i] = ToAnsi(text[i]);
}

template <std::size_t N>
void PutName(char (&field)[N], const QString& text)
{
    std::memset(field, 0, N);
    for (qsizetype i = 0; i < text.size() && i < qsizetype(N - 1); ++i)
        field[i] = ToAnsi(text[i]);
}

} // namespace

DWORD ScriptedBackend::GetAdaptersInfo(IP_ADAPTER_INFO* pAdapterInfo, ULONG* pOutBufLen)
{
    log << QStringLiteral("GetAdaptersInfo");
    if (!pOutBufLen)
        return ERROR_INVALID_PARAMETER;
    if (adapters.empty()) {
        *pOutBufLen = 0;
        return ERROR_NO_DATA;
    }
    std::size_t extra = 0;
    for (const Adapter& a : adapters)
        extra += a.dhcpServers.size() > 1 ? a.dhcpServers.size() - 1 : 0;
    const std::size_t needed = adapters.size() * sizeof(IP_ADAPTER_INFO) + extra * sizeof(IP_ADDR_STRING);
    if (!pAdapterInfo) {
        *pOutBufLen = adaptersProbeSize ? *adaptersProbeSize : static_cast<ULONG>(needed);
        return ERROR_BUFFER_OVERFLOW;
    }
    if (adaptersFillResult)
        return *adaptersFillResult;
    if (*pOutBufLen < needed) {
        *pOutBufLen = static_cast<ULONG>(needed);
        return ERROR_BUFFER_OVERFLOW;
    }
    auto* base = reinterpret_cast<BYTE*>(pAdapterInfo);
    std::size_t more = adapters.size() * sizeof(IP_ADAPTER_INFO);
    for (std::size_t k = 0; k < adapters.size(); ++k) {
        const Adapter& a = adapters[k];
        IP_ADAPTER_INFO info{};
        info.Next = k + 1 < adapters.size()
                        ? reinterpret_cast<IP_ADAPTER_INFO*>(base + (k + 1) * sizeof(IP_ADAPTER_INFO))
                        : nullptr;
        info.ComboIndex = info.Index = static_cast<DWORD>(k + 1);
        PutName(info.AdapterName, a.name);
        PutName(info.Description, a.name);
        info.Type = MIB_IF_TYPE_ETHERNET;
        info.DhcpEnabled = a.dhcpEnabled;
        PutAddressText(info.IpAddressList.IpAddress, a.ipAddress);
        PutAddressText(info.IpAddressList.IpMask, a.ipMask);
        if (!a.dhcpServers.isEmpty())
            PutAddressText(info.DhcpServer.IpAddress, a.dhcpServers.front());
        for (qsizetype i = 1; i < a.dhcpServers.size(); ++i) {
            IP_ADDR_STRING entry{};
            PutAddressText(entry.IpAddress, a.dhcpServers[i]);
            entry.Next = i + 1 < a.dhcpServers.size()
                             ? reinterpret_cast<IP_ADDR_STRING*>(base + more + sizeof(IP_ADDR_STRING))
                             : nullptr;
            if (i == 1)
                info.DhcpServer.Next = reinterpret_cast<IP_ADDR_STRING*>(base + more);
            std::memcpy(base + more, &entry, sizeof entry);
            more += sizeof entry;
        }
        std::memcpy(base + k * sizeof(IP_ADAPTER_INFO), &info, sizeof info);
    }
    if (afterAdaptersFill)
        afterAdaptersFill(base, *pOutBufLen);
    return NO_ERROR;
}

DWORD ScriptedBackend::GetNetworkParams(FIXED_INFO* pFixedInfo, ULONG* pOutBufLen)
{
    log << QStringLiteral("GetNetworkParams");
    if (!pOutBufLen)
        return ERROR_INVALID_PARAMETER;
    const std::size_t servers = static_cast<std::size_t>(dnsServers.size());
    const std::size_t needed = NetworkParamsSize(servers);
    if (!pFixedInfo) {
        *pOutBufLen = paramsProbeSize ? *paramsProbeSize : static_cast<ULONG>(needed);
        return ERROR_BUFFER_OVERFLOW;
    }
    if (paramsFillResult)
        return *paramsFillResult;
    if (*pOutBufLen < needed) {
        *pOutBufLen = static_cast<ULONG>(needed);
        return ERROR_BUFFER_OVERFLOW;
    }
    auto* base = reinterpret_cast<BYTE*>(pFixedInfo);
    FIXED_INFO info{};
    PutName(info.HostName, QString::fromLatin1(hostName));
    PutName(info.DomainName, domainName);
    info.NodeType = BROADCAST_NODETYPE;
    std::vector<IP_ADDR_STRING> entries(servers);
    for (std::size_t i = 0; i < servers; ++i)
        PutAddressText(entries[i].IpAddress, dnsServers[qsizetype(i)]);
    PutNetworkParams(base, info, entries);
    return NO_ERROR;
}
