// The socket, NetBIOS and IP helper services of the Linux back end: the C
// library's name service, rtnetlink, the DHCP clients' lease records and the
// resolver's configuration.
#pragma once

#include "platform/HostEntry.h"
#include "platform/IpHlpApi.h"
#include "platform/Netbios.h"
#include "platform/Winsock.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class LinuxNetServices {
public:
    int WSAStartup(WORD wVersionRequested, WSADATA* lpWSAData);
    int WSACleanup();
    int WSAGetLastError() const { return lastError_; }
    int gethostname(char* name, int namelen);
    HOSTENT* gethostbyname(const char* name);

    UCHAR Netbios(NCB* pcnb);

    DWORD GetAdaptersInfo(IP_ADAPTER_INFO* pAdapterInfo, ULONG* pOutBufLen);
    DWORD GetNetworkParams(FIXED_INFO* pFixedInfo, ULONG* pOutBufLen);

    // One adapter as GetAdaptersInfo hands it out, before it is laid out in
    // the caller's buffer.
    struct Adapter {
        IP_ADAPTER_INFO info{}; // every pointer in it null
        std::vector<IP_ADDR_STRING> moreAddresses;
    };

    // The adapters of this machine as GetAdaptersInfo describes them.
    static std::vector<Adapter> ReadAdapters();

private:
    UCHAR AdapterStatus(NCB& ncb);

    int lastError_ = 0;

    // The record gethostbyname last handed out and what it points to.
    HostEntry host_;

    // Adapters read by a size probe, kept for the fill that follows it.
    std::vector<Adapter> adapters_;
    bool adaptersFromProbe_ = false;
};
