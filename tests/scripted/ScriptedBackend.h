// A platform that answers from what a test chose: a given interface table and
// injected failures. It records every shell call, message box, stacking change
// and exit, answers message boxes at once and keeps one log of it all in order.
#pragma once

#include "platform/Backend.h"
#include "platform/HostEntry.h"

#include <QString>
#include <QByteArray>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class ScriptedBackend : public Backend {
public:
    ScriptedBackend();           // installs itself
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

    // ---- popup menus ----
    struct Popup {
        QString menu;
        UINT flags;
        QStringList offered; // visible items, separators left out
        QStringList enabled; // of those, the enabled ones
    };
    std::vector<Popup> popups;
    // The item to choose in the next popups, by object name ("" closes the
    // menu without a choice).
    QString choose;
    // A failure while the menu is prepared, as a run-time error.
    bool failPopup = false;

    // ---- heap ----
    int liveBlocks = 0;
    int failAllocations = 0; // the next this-many allocations fail

    // ---- process ----
    std::vector<UINT> exits;
    QString appPath;

    // ---- sockets ----
    int startupResult = 0;             // what WSAStartup returns
    WORD socketsVersion = 0x0101;      // the wVersion it reports (low byte major)
    unsigned short maxSockets = 32767; // the iMaxSockets it reports
    int cleanupResult = 0;             // what WSACleanup returns
    int lastError = 0;                 // what WSAGetLastError returns
    // gethostname fails with this error number when set.
    std::optional<int> hostNameError;
    // The host name's bytes; gethostname writes a NUL after them only when
    // the buffer has room, so a 256-byte name fills a 256-byte buffer whole.
    QByteArray hostName = QByteArrayLiteral("scripted-host");
    // gethostbyname gives nullptr (with hostLookupError) when set, else a
    // host with these addresses, each hostAddressLength bytes.
    bool hostLookupFails = false;
    int hostLookupError = 11001;
    std::vector<QByteArray> hostAddresses = {QByteArray("\x0a\x00\x00\x07", 4)};
    short hostAddressLength = 4;
    QStringList hostLookups; // the names asked for
    // What the last gethostbyname handed out; it holds until the next call.
    HostEntry hostRecord;

    // ---- NetBIOS ----
    // The adapter address the status reports; none makes the status fail
    // (NRC_BRIDGE) and leaves the buffer as it was.
    std::optional<std::array<BYTE, 6>> adapterAddress =
        std::array<BYTE, 6>{0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E};
    std::vector<NCB> netbiosCalls; // each block as it was handed in

    // ---- adapters and network parameters ----
    struct Adapter {
        QString name;
        UINT dhcpEnabled = 0;
        // The first in the record's own entry, the others chained after it;
        // an empty text is an all-zero entry. None at all: one empty entry.
        QStringList dhcpServers;
        QString ipAddress;
        QString ipMask;
    };
    std::vector<Adapter> adapters;
    // The size the probe reports instead of the true one (e.g. 0).
    std::optional<ULONG> adaptersProbeSize;
    // The result of the fill instead of the usual one.
    std::optional<DWORD> adaptersFillResult;
    // Runs on the filled buffer before the fill returns, to spoil it.
    std::function<void(BYTE* buffer, ULONG size)> afterAdaptersFill;

    // The DNS servers, the first in the record's own entry; an empty text is
    // an all-zero entry.
    QStringList dnsServers;
    QString domainName;
    std::optional<ULONG> paramsProbeSize;
    std::optional<DWORD> paramsFillResult;

    // Every call above, in the order made.
    QStringList log;

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
};
